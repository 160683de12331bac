#include "editor/labelhint.h"

#include <QTimer>

TLabelHint::TLabelHint(QWidget* owner) : QLabel(owner, Qt::ToolTip), Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("labelHint"));
    setStyleSheet(QStringLiteral(
        "QLabel { background: #FFFFE1; color: black; border: 1px solid black; padding: 1px 3px; }"));
    setMaximumWidth(200);
    hide();
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500); // the usual pause before a hint appears
    connect(Timer1, &QTimer::timeout, this, &TLabelHint::Tick);
}

void TLabelHint::ShowAt(const QString& text, const QPoint& globalPos) {
    setText(text);
    adjustSize();
    move(globalPos);
    show();
    hintTicks = 0;
    Timer1->start();
}

void TLabelHint::Tick() {
    if (++hintTicks >= 5) {
        Timer1->stop();
        hide();
    }
}
