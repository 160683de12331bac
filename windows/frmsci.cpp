#include "windows/frmsci.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "base/encoding.h"
#include "engine/devices/sci.h"
#include "session/sciterminal.h"
#include "windows/bitgrid.h"
#include "windows/prompt.h"

namespace {

// The terminal keeps its text in the machine's 8-bit code page.
std::string ToMachineText(const QString& text) { return Utf8ToCp1250(text.toStdString()); }
QString FromMachineText(const std::string& text) { return QString::fromStdString(Cp1250ToUtf8(text)); }

void SetText(QLineEdit* field, const QString& text) {
    if (field->text() != text) field->setText(text);
}

void SetText(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

QLabel* Caption(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

} // namespace

// ============================================================================ TSciLinePicture

TSciLinePicture::TSciLinePicture(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TSciLinePicture::SetState(bool loopback, bool sending, bool receiving) {
    if (loopback == loopback_ && sending == sending_ && receiving == receiving_) return;
    loopback_ = loopback;
    sending_ = sending;
    receiving_ = receiving;
    update();
}

void TSciLinePicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& p = palette();
    const QColor ink = p.color(QPalette::WindowText);
    const QColor busy(0x1E, 0x8C, 0x32);
    const QColor lit(0xB8, 0xE8, 0xB0);

    // The chip's two ends on the left, the external system beyond the right edge.
    const QRectF tx(2.5, 6.5, 26, 16), rx(2.5, height() - 22.5, 26, 16);
    const qreal right = width() - 1.5;

    // A line with its head at `to`.
    auto arrow = [&](QPointF from, QPointF to, const QColor& colour) {
        const QPointF d = (to - from) / std::max(1.0, std::hypot(to.x() - from.x(), to.y() - from.y()));
        const QPointF n(-d.y(), d.x());
        painter.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(from, to - d * 5);
        QPainterPath head;
        head.moveTo(to);
        head.lineTo(to - d * 6 + n * 3.5);
        head.lineTo(to - d * 6 - n * 3.5);
        head.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPath(head);
    };

    // A line is lit while a byte may be on it: in loopback the bytes go down the short line.
    const qreal txY = tx.center().y(), rxY = rx.center().y();
    if (loopback_)
        arrow({tx.center().x(), tx.bottom()}, {rx.center().x(), rx.top()},
              sending_ || receiving_ ? busy : ink);
    else arrow({tx.right(), txY}, {right, txY}, sending_ ? busy : ink);
    arrow({right, rxY}, {rx.right(), rxY}, receiving_ && !loopback_ ? busy : ink);

    for (auto [rect, text, on] : {std::tuple{tx, "Tx", sending_}, std::tuple{rx, "Rx", receiving_}}) {
        painter.setPen(QPen(p.color(QPalette::Shadow), 1));
        painter.setBrush(on ? lit : p.color(QPalette::Button));
        painter.drawRect(rect);
        painter.setPen(p.color(QPalette::ButtonText));
        painter.drawText(rect, Qt::AlignCenter, QLatin1String(text));
    }
}

// ============================================================================ TfrmSCI

TfrmSCI::TfrmSCI(TSci& sci, TSciTerminal& terminal, QWidget* parent)
    : TToolFrame(QStringLiteral("SCI"), Collapse::Strip, parent), sci_(sci), terminal_(terminal) {
    setObjectName(QStringLiteral("frmSCI"));
    Widget2()->SetGlyph(QLatin1Char('t'));
    Widget2()->SetShowHint(true);

    auto* layout = new QHBoxLayout(Body());
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(0);
    layout->addWidget(CreateChipGroup());
    layout->addWidget(CreateLine());
    layout->addWidget(CreateExternalGroup(), 1);

    // The controls edit the terminal model and the line; the model keeps what they show.
    connect(btnRxTx, &QToolButton::toggled, this, [this](bool on) {
        sci_.Loopback = on;
        emit refreshRequested();
    });
    connect(txtIzhod, &QLineEdit::textEdited, this, [this](const QString& text) {
        terminal_.SetOutput(ToMachineText(text));
        shownOutput_ = terminal_.OutputRevision();
    });
    connect(txtVhod, &QLineEdit::textEdited, this,
            [this](const QString& text) { terminal_.Input = ToMachineText(text); });
    connect(cbHitrost, &QComboBox::editTextChanged, this,
            [this](const QString& text) { terminal_.ExternalRate = ToMachineText(text); });
    connect(btnNacin, &QPushButton::clicked, this, [this] {
        terminal_.ToggleDisplayMode();
        emit refreshRequested();
    });
    connect(btnSend, &QPushButton::clicked, this, &TfrmSCI::Send);

    // Everything as the models hold it now, the rate box included ("9600" at start-up).
    shown_ = {sci_.St.RMCR, sci_.St.TRCSR, sci_.St.TxCount, sci_.St.TDR, sci_.St.RxCount, sci_.St.RxByte};
    seenTicks_ = sci_.Ticks;
    Draw();
    resize(sizeHint().width() + 40, sizeHint().height());
}

// The chip: its two registers bit by bit and the rate RMCR selects.
QWidget* TfrmSCI::CreateChipGroup() {
    auto* chip = new QGroupBox(QStringLiteral("MC6803"), Body());
    gRMCR = new TBitGrid(8, chip);
    gRMCR->setObjectName(QStringLiteral("gRMCR"));
    gTRCSR = new TBitGrid(8, chip);
    gTRCSR->setObjectName(QStringLiteral("gTRCSR"));
    gRMCR->SetBitHints({
        QStringLiteral("– ni v uporabi"),
        QStringLiteral("– ni v uporabi"),
        QStringLiteral("– ni v uporabi"),
        QStringLiteral("– ni v uporabi"),
        QStringLiteral("CC1 – oblika zapisa in vir ure (s CC0); simulator ju ne upošteva"),
        QStringLiteral("CC0 – oblika zapisa in vir ure (s CC1); simulator ju ne upošteva"),
        QStringLiteral("SS1 – hitrost (s SS0): 00 76800, 01 9600, 10 1200, 11 300 bit/s"),
        QStringLiteral("SS0 – hitrost (s SS1): 00 76800, 01 9600, 10 1200, 11 300 bit/s"),
    });
    gTRCSR->SetBitHints({
        QStringLiteral("RDRF – sprejemni register je poln (bajt čaka v RDR)"),
        QStringLiteral("ORFE – prekoračitev ali napaka okvirja pri sprejemu"),
        QStringLiteral("TDRE – oddajni register je prazen (v TDR gre lahko nov bajt)"),
        QStringLiteral("RIE – omogoči prekinitev sprejemnika (RDRF, ORFE)"),
        QStringLiteral("RE – vklopi sprejemnik"),
        QStringLiteral("TIE – omogoči prekinitev oddajnika (TDRE)"),
        QStringLiteral("TE – vklopi oddajnik"),
        QStringLiteral("WU – prebujanje: sprejemnik spi do naslednjega prostega voda"),
    });
    txtTakt = new QLineEdit(chip);
    txtTakt->setObjectName(QStringLiteral("txtTakt"));
    txtTakt->setReadOnly(true);
    txtTakt->setFixedWidth(QFontMetrics(txtTakt->font()).horizontalAdvance(QStringLiteral("768000")) + 12);
    auto* chipLayout = new QVBoxLayout(chip);
    chipLayout->setContentsMargins(6, 4, 6, 6);
    chipLayout->setSpacing(2);
    chipLayout->addWidget(Caption("Kontrolni register ($10)", chip));
    chipLayout->addWidget(gRMCR);
    chipLayout->addSpacing(4);
    chipLayout->addWidget(Caption("Kontrolno statusni register ($11)", chip));
    chipLayout->addWidget(gTRCSR);
    chipLayout->addSpacing(4);
    auto* rate = new QHBoxLayout;
    rate->addWidget(Caption("Takt (E = 1.2288 MHz)", chip));
    rate->addWidget(txtTakt);
    rate->addStretch(1);
    chipLayout->addLayout(rate);
    chipLayout->addStretch(1);

    return chip;
}

// The line between the chip and the external system, the loopback switch and the counts.
QWidget* TfrmSCI::CreateLine() {
    auto* line = new QWidget(Body());
    pbLinija = new TSciLinePicture(line);
    pbLinija->setObjectName(QStringLiteral("pbLinija"));
    btnRxTx = new QToolButton(line);
    btnRxTx->setText(QStringLiteral("Rx=Tx"));
    btnRxTx->setObjectName(QStringLiteral("btnRxTx"));
    btnRxTx->setCheckable(true);
    btnRxTx->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Down while the line is looped back, plainly: the style's own checked look is faint.
    btnRxTx->setStyleSheet(QStringLiteral("QToolButton:checked { background: palette(mid); border: 1px solid "
                                          "palette(shadow); border-radius: 3px; padding: 3px; }"));
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    auto* counts = new QGridLayout;
    counts->setHorizontalSpacing(8);
    counts->setVerticalSpacing(0);
    const char* const names[4] = {"lblTxCount", "lblTDR", "lblRxCount", "lblRxByte"};
    const char* const hints[4] = {
        "Oddaja: še toliko korakov ure SCI, da bajt zapusti TDR", "TDR: bajt, ki se oddaja",
        "Sprejem: še toliko korakov ure SCI, da bajt prispe v RDR", "Bajt, ki prihaja"};
    for (int i = 0; i < 4; ++i) {
        lblStevci[i] = new QLabel(QStringLiteral("0"), line);
        lblStevci[i]->setObjectName(QLatin1String(names[i]));
        lblStevci[i]->setToolTip(QString::fromUtf8(hints[i]));
        lblStevci[i]->setFont(small);
        counts->addWidget(lblStevci[i], i / 2, i % 2, Qt::AlignRight);
    }
    auto* lineLayout = new QVBoxLayout(line);
    lineLayout->setContentsMargins(0, 14, 0, 0);
    lineLayout->setSpacing(4);
    lineLayout->addWidget(pbLinija, 0, Qt::AlignLeft);
    lineLayout->addWidget(btnRxTx);
    lineLayout->addLayout(counts);
    lineLayout->addStretch(1);

    return line;
}

// The external system: what the chip sent, what the user sends, the mode and the rate.
QWidget* TfrmSCI::CreateExternalGroup() {
    auto* external = new QGroupBox(QStringLiteral("Zunanji sistem"), Body());
    txtIzhod = new QLineEdit(external);
    txtIzhod->setObjectName(QStringLiteral("txtIzhod"));
    txtVhod = new QLineEdit(external);
    txtVhod->setObjectName(QStringLiteral("txtVhod"));
    // Neither field may cut a long text short.
    txtIzhod->setMaxLength(std::numeric_limits<int>::max());
    txtVhod->setMaxLength(std::numeric_limits<int>::max());
    btnNacin = new QPushButton(external);
    btnNacin->setObjectName(QStringLiteral("btnNacin"));
    btnSend = new QPushButton(QStringLiteral("Send"), external);
    btnSend->setObjectName(QStringLiteral("btnSend"));
    cbHitrost = new QComboBox(external);
    cbHitrost->setObjectName(QStringLiteral("cbHitrost"));
    cbHitrost->setEditable(true);
    cbHitrost->setInsertPolicy(QComboBox::NoInsert);
    cbHitrost->addItems(
        {QStringLiteral("76800"), QStringLiteral("9600"), QStringLiteral("1200"), QStringLiteral("300")});
    cbHitrost->setCurrentIndex(1);
    auto* externalLayout = new QGridLayout(external);
    externalLayout->setContentsMargins(6, 4, 6, 6);
    externalLayout->setVerticalSpacing(3);
    externalLayout->addWidget(Caption("Izhod", external), 0, 0);
    externalLayout->addWidget(txtIzhod, 0, 1);
    externalLayout->addWidget(Caption("Vhod", external), 1, 0);
    externalLayout->addWidget(txtVhod, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnNacin);
    buttons->addWidget(btnSend);
    externalLayout->addLayout(buttons, 2, 1);
    externalLayout->addWidget(Caption("Hitrost (E = 1.2288 MHz)", external), 3, 0, 1, 2);
    externalLayout->addWidget(cbHitrost, 4, 0, 1, 2, Qt::AlignLeft);
    externalLayout->setRowStretch(5, 1);

    return external;
}

void TfrmSCI::Send() {
    if (terminal_.SendInput() == SciSendResult::Invalid)
        Prompt().ShowMessage(QStringLiteral("Orlek"), QStringLiteral("Napacni podatki"));
    emit refreshRequested();
}

void TfrmSCI::DrawFrame(const TDisplayFrame&) {
    shown_.Rmcr = sci_.St.RMCR;
    shown_.Trcsr = sci_.St.TRCSR;
    if (sci_.Ticks != seenTicks_) {
        // The line's counts are shown as they stood at the last tick.
        seenTicks_ = sci_.Ticks;
        shown_.TxCount = sci_.St.TxCount;
        shown_.Tdr = sci_.St.TDR;
        shown_.RxCount = sci_.St.RxCount;
        shown_.RxByte = sci_.St.RxByte;
    }
    if (isVisible()) Draw();
}

void TfrmSCI::showEvent(QShowEvent* event) {
    TToolFrame::showEvent(event);
    Draw();
}

void TfrmSCI::Draw() {
    gRMCR->SetValue(shown_.Rmcr);
    gTRCSR->SetValue(shown_.Trcsr);
    SetText(txtTakt, QLatin1String(TSci::RateText(shown_.Rmcr)));
    const uint8_t counts[4] = {shown_.TxCount, shown_.Tdr, shown_.RxCount, shown_.RxByte};
    for (int i = 0; i < 4; ++i)
        SetText(lblStevci[i], QString::number(counts[i]));
    pbLinija->SetState(sci_.Loopback, shown_.TxCount > 0, shown_.RxCount > 0);
    if (btnRxTx->isChecked() != sci_.Loopback) {
        const QSignalBlocker quiet(btnRxTx);
        btnRxTx->setChecked(sci_.Loopback);
    }

    const QString mode = QLatin1String(terminal_.DisplayModeText());
    if (btnNacin->text() != mode) btnNacin->setText(mode);
    if (terminal_.OutputRevision() != shownOutput_) {
        // New bytes, or emptied: the field takes the terminal's text (the user's edits are in
        // it), showing the end where the newest byte stands.
        shownOutput_ = terminal_.OutputRevision();
        txtIzhod->setText(FromMachineText(terminal_.Output()));
        if (terminal_.DisplayMode == SciDisplayMode::Hex) txtIzhod->setCursorPosition(0);
    }
    SetText(txtVhod, FromMachineText(terminal_.Input));
    const QString rate = FromMachineText(terminal_.ExternalRate);
    if (cbHitrost->currentText() != rate) {
        const QSignalBlocker quiet(cbHitrost);
        cbHitrost->setEditText(rate);
    }
}
