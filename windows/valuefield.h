#pragma once
#include <QString>
#include <QWidget>

#include "windows/monotext.h"

// A read-only field of a few characters that a running program changes many times a second (the
// timer's registers): drawn as a read-only line edit, but a new text costs only the field's
// repaint, without the line edit's text layout, cursor and accessibility updates.
class TValueField : public QWidget {
public:
    explicit TValueField(const QString& text, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    TMonoText mono_;
};
