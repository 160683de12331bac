#include "windows/frmport.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/devices/ports.h"

namespace {

const QColor kCell(Qt::white);
const QColor kGridLine(0xA0, 0xA0, 0xA0);
const QColor kCellText(Qt::black);

QFont SmallFont(const QFont& base) {
    QFont font = base;
    font.setPixelSize(10);
    return font;
}

} // namespace

// ============================================================================ TPinButton

TPinButton::TPinButton(int pin, QWidget* parent) : QAbstractButton(parent), pin_(pin) {
    setObjectName(QStringLiteral("b%1").arg(pin));
    setProperty("Tag", pin);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_Hover);
}

void TPinButton::SetImage(PinImageKind image) {
    if (image == image_) return;
    image_ = image;
    update();
}

void TPinButton::DrawPicture(QPainter& painter, QPointF topLeft, PinImageKind image) {
    const QRectF square(topLeft, QSizeF(16, 16));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(square, Qt::black);
    const QPointF centre = square.center();
    switch (image) {
    case PinImageKind::OutputLow: { // an unlit lamp
        QRadialGradient glass(centre - QPointF(1.5, 1.5), 6);
        glass.setColorAt(0, QColor(0xB0, 0xB0, 0xB0));
        glass.setColorAt(1, QColor(0x60, 0x60, 0x60));
        painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 0.8));
        painter.setBrush(glass);
        painter.drawEllipse(centre, 5.5, 5.5);
        break;
    }
    case PinImageKind::OutputHigh: { // a lit lamp with its glow
        QRadialGradient glow(centre, 8);
        glow.setColorAt(0, QColor(0x40, 0xFF, 0x40, 0xC0));
        glow.setColorAt(1, QColor(0x00, 0xFF, 0x00, 0x00));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(centre, 8, 8);
        QRadialGradient glass(centre - QPointF(1.5, 1.5), 6);
        glass.setColorAt(0, QColor(0xE0, 0xFF, 0xE0));
        glass.setColorAt(0.35, QColor(0x30, 0xF0, 0x30));
        glass.setColorAt(1, QColor(0x00, 0xA0, 0x00));
        painter.setPen(QPen(QColor(0x00, 0x70, 0x00), 0.8));
        painter.setBrush(glass);
        painter.drawEllipse(centre, 5.5, 5.5);
        break;
    }
    case PinImageKind::InputLow: // a switch that is off
        painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
        painter.setBrush(QColor(0x90, 0x90, 0x90));
        painter.drawRect(QRectF(centre - QPointF(5, 5), QSizeF(10, 10)));
        break;
    default: // a switch that is on
        painter.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(centre - QPointF(5, 5), QSizeF(10, 10)));
        break;
    }
    painter.restore();
}

void TPinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A flat tool-bar button: a frame only under the mouse, sunk while pressed.
    const bool input = Image() >= PinImageKind::InputLow;
    if (isDown() && input) {
        painter.fillRect(rect(), palette().color(QPalette::Mid));
    } else if (underMouse() && input) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    const QPointF topLeft((width() - 16) / 2.0 + (isDown() && input ? 1 : 0),
                          (height() - 16) / 2.0 + (isDown() && input ? 1 : 0));
    DrawPicture(painter, topLeft, Image());
}

// ============================================================================ TfrmPort

TfrmPort::TfrmPort(TPort& port, const QString& caption, Collapse collapse, QWidget* parent)
    : TToolFrame(caption, collapse, parent), port_(port) {
    Widget2()->SetGlyph(QLatin1Char('t'));
    Widget2()->SetShowHint(true);

    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(1);
    const auto label = [this](const QString& text) {
        auto* l = new QLabel(text, Body());
        l->setFont(SmallFont(l->font()));
        return l;
    };
    gDDR = new TBitGrid(port_.PinCount, Body());
    gDDR->setObjectName(QStringLiteral("gDDR"));
    gDR = new TBitGrid(port_.PinCount, Body());
    gDR->setObjectName(QStringLiteral("gDR"));
    // Bit n of both registers belongs to pin Pxn; Port 2's pins also serve the timer and the SCI.
    const int number = port_.PinCount == 8 ? 1 : 2;
    static const char* const port2Roles[5] = {" (vhod zajema časovnika)", " (izhod primerjave časovnika)",
                                              " (ura SCI)", " (sprejem SCI)", " (oddaja SCI)"};
    QStringList directions, levels;
    for (int bit = port_.PinCount - 1; bit >= 0; --bit) {
        const QString pin = QStringLiteral("P%1%2").arg(number).arg(bit);
        const QString role = number == 2 ? QString::fromUtf8(port2Roles[bit]) : QString();
        directions << QStringLiteral("– smer priključka %1%2: 1 izhod, 0 vhod").arg(pin, role);
        levels << QStringLiteral("– nivo priključka %1%2").arg(pin, role);
    }
    gDDR->SetBitHints(directions);
    gDR->SetBitHints(levels);
    layout->addWidget(label(QStringLiteral("DDR")));
    layout->addWidget(gDDR);
    layout->addSpacing(2);
    layout->addWidget(label(QStringLiteral("DR")));
    layout->addWidget(gDR);
    layout->addSpacing(3);

    // The buttons stand under their grid columns, pin 7 (or 4) leftmost.
    auto* row = new QHBoxLayout();
    row->setContentsMargins(TBitGrid::kLine, 0, 0, 0);
    row->setSpacing(TBitGrid::kLine);
    pins_.resize(static_cast<size_t>(port_.PinCount));
    for (int column = 0; column < port_.PinCount; ++column) {
        const int pin = port_.PinCount - 1 - column;
        auto* button = new TPinButton(pin, Body());
        pins_[static_cast<size_t>(pin)] = button;
        row->addWidget(button);
        connect(button, &QAbstractButton::clicked, this, [this, pin] { PinClicked(pin); });
    }
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(gDR, &TBitGrid::cellClicked, this, [this](int column, int) { DrCellClicked(column); });
    // The grids and the pictures start as the port is now (every pin an input at 0 at start-up).
    Draw();
    resize(std::max(gDDR->sizeHint().width() + 8, 130), sizeHint().height());
}

TPinButton* TfrmPort::PinButton(int pin) const {
    return pin >= 0 && pin < port_.PinCount ? pins_[static_cast<size_t>(pin)] : nullptr;
}

int TfrmPort::ColumnOfPin(int pin) const { return port_.PinCount - 1 - pin; }

void TfrmPort::PinClicked(int pin) {
    // An output pin's level is the program's: TogglePin leaves it alone.
    if (port_.TogglePin(pin)) emit refreshRequested();
}

void TfrmPort::DrCellClicked(int column) {
    if (column < 0 || column >= port_.PinCount) return;
    PinClicked(port_.PinCount - 1 - column);
}

void TfrmPort::DrawFrame(const TDisplayFrame&) {
    if (port_.St.Direction != shownDirection_ || port_.Levels() != shownLevel_) Draw();
}

void TfrmPort::Draw() {
    shownDirection_ = port_.St.Direction;
    shownLevel_ = port_.Levels();
    gDDR->SetValue(shownDirection_);
    gDR->SetValue(shownLevel_);
    for (TPinButton* b : pins_)
        b->SetImage(port_.PinImage(b->Pin()));
}

TfrmPort1::TfrmPort1(TPort& port, QWidget* parent)
    : TfrmPort(port, QStringLiteral("Port1"), Collapse::Strip, parent) {
    setObjectName(QStringLiteral("frmPort1"));
}

TfrmPort2::TfrmPort2(TPort& port, QWidget* parent)
    : TfrmPort(port, QStringLiteral("Port2"), Collapse::TitleOnly, parent) {
    setObjectName(QStringLiteral("frmPort2"));
}
