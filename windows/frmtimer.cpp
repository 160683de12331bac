#include "windows/frmtimer.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/devices/timer.h"
#include "windows/bitgrid.h"
#include "windows/displaystyle.h"
#include "windows/valuefield.h"

namespace {

QString Hex4(uint16_t value) { return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper(); }

TValueField* ValueField(const char* name, QWidget* parent) {
    auto* field = new TValueField(QStringLiteral("0000"), parent);
    field->setObjectName(QLatin1String(name));
    const QFont mono = FixedFont();
    field->setFont(mono);
    field->setFixedWidth(QFontMetrics(mono).horizontalAdvance(QStringLiteral("00000")) + 12);
    return field;
}

} // namespace

TfrmTimer::TfrmTimer(TTimer& timer, QWidget* parent)
    : TToolFrame(QStringLiteral("Timer"), Collapse::Strip, parent), timer_(timer) {
    setObjectName(QStringLiteral("frmTimer"));
    Widget2()->SetGlyph(QLatin1Char('t'));
    Widget2()->SetShowHint(true);

    auto* group = new QGroupBox(QStringLiteral("Registri"), Body());
    gTCSR = new TBitGrid(8, group);
    gTCSR->setObjectName(QStringLiteral("gTCSR"));
    gTCSR->SetBitHints({
        QStringLiteral("ICF – zastavica zajema: fronta na P20 je ujela števec"),
        QStringLiteral("OCF – zastavica primerjave: števec je dosegel primerjalni register"),
        QStringLiteral("TOF – zastavica preliva: števec je prešel z $FFFF na $0000"),
        QStringLiteral("EICI – omogoči prekinitev ob zajemu (ICF)"),
        QStringLiteral("EOCI – omogoči prekinitev ob primerjavi (OCF)"),
        QStringLiteral("ETOI – omogoči prekinitev ob prelivu (TOF)"),
        QStringLiteral("IEDG – fronta zajema na P20: 0 padajoča, 1 naraščajoča"),
        QStringLiteral("OLVL – nivo, ki ga primerjava postavi na P21"),
    });
    txtStevec = ValueField("txtStevec", group);
    txtPrimerjalni = ValueField("txtPrimerjalni", group);
    txtPrestrezni = ValueField("txtPrestrezni", group);
    btn100 = new QPushButton(QStringLiteral("+$100"), group);
    btn100->setObjectName(QStringLiteral("btn100"));
    btn1000 = new QPushButton(QStringLiteral("+$1000"), group);
    btn1000->setObjectName(QStringLiteral("btn1000"));

    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel(QStringLiteral("Kontrolno statusni register ($0008)"), group), 0, 0, 1, 2);
    grid->addWidget(gTCSR, 1, 0, 1, 2, Qt::AlignLeft);
    const struct {
        const char* label;
        TValueField* field;
    } rows[] = {{"Prostotekoči števec ($09-$0A)", txtStevec},
                {"Primerjalni register ($0B-$0C)", txtPrimerjalni},
                {"Prestrezni register ($0D-$0E)", txtPrestrezni}};
    int row = 2;
    for (const auto& r : rows) {
        grid->addWidget(new QLabel(QString::fromUtf8(r.label), group), row, 0);
        grid->addWidget(r.field, row, 1);
        ++row;
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btn100);
    buttons->addWidget(btn1000);
    buttons->addStretch(1);
    grid->addLayout(buttons, row, 0, 1, 2);

    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(group);
    layout->addStretch(1);

    // The buttons move the counter only; the next frame of a loaded program shows it (the device
    // clock's tick asks for one).
    connect(btn100, &QPushButton::clicked, this, [this] { timer_.AdvanceCounter(0x100); });
    connect(btn1000, &QPushButton::clicked, this, [this] { timer_.AdvanceCounter(0x1000); });
    resize(sizeHint().width(), sizeHint().height());
}

void TfrmTimer::DrawFrame(const TDisplayFrame& frame) {
    if (!frame.Processor()) return;
    shown_ = {timer_.St.TCSR, timer_.St.Counter, timer_.St.OutputCompare, timer_.St.InputCapture};
    if (isVisible()) Draw();
}

void TfrmTimer::showEvent(QShowEvent* event) {
    TToolFrame::showEvent(event);
    Draw();
}

void TfrmTimer::Draw() {
    gTCSR->SetValue(shown_.Tcsr);
    for (auto [field, value] :
         {std::pair{txtStevec, shown_.Counter}, std::pair{txtPrimerjalni, shown_.Compare},
          std::pair{txtPrestrezni, shown_.Capture}}) {
        const QString text = Hex4(value);
        if (field->text() != text) field->setText(text);
    }
}
