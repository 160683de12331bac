#pragma once
#include <QLabel>

class QTimer;

// The label hint of the code window: a small tip at the mouse with a label and its value. It
// goes away by itself on the fifth tick of its timer "Timer1" (one tick per usual hint pause).
class TLabelHint : public QLabel {
    Q_OBJECT
public:
    // `owner` is the editor the hint belongs to.
    explicit TLabelHint(QWidget* owner);

    // Shows `text` at the global position, at most 200 pixels wide, and starts the count.
    void ShowAt(const QString& text, const QPoint& globalPos);

private:
    void Tick();

    QTimer* Timer1;
    int hintTicks = 0;
};
