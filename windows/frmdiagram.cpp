#include "windows/frmdiagram.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "session/session.h"
#include "windows/prompt.h"
#include "windows/signalview.h"

namespace {

QPushButton* Button(const QString& text, const QString& hint, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

} // namespace

TfrmCasovniDiagram::TfrmCasovniDiagram(const TSession& session, QWidget* parent)
    : TToolFrame(QStringLiteral("Časovni diagram"), Collapse::Strip, parent), session_(session) {
    setObjectName(QStringLiteral("frmCasovniDiagram"));
    Widget2()->SetGlyph(QLatin1Char('t'));
    Widget2()->SetShowHint(true);

    view_ = new TSignalView;
    auto* scroll = new QScrollArea(Body());
    scroll->setObjectName(QStringLiteral("scrollSignali"));
    scroll->setWidget(view_);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* povecaj =
        Button(QStringLiteral("+"), QStringLiteral("Povečaj (tudi kolesce miške)"), "btnPovecaj", Body());
    auto* pomanjsaj = Button(QStringLiteral("−"), QStringLiteral("Pomanjšaj"), "btnPomanjsaj", Body());
    auto* vse = Button(QStringLiteral("Vse"), QStringLiteral("Pokaže ves posnetek"), "btnVse", Body());
    auto* levo = Button(QStringLiteral("◀"), QStringLiteral("Premakne pogled nazaj (tudi Shift s kolescem)"),
                        "btnLevo", Body());
    auto* desno = Button(QStringLiteral("▶"), QStringLiteral("Premakne pogled naprej"), "btnDesno", Body());
    btnRob = Button(QStringLiteral("Naslednji rob"),
                    QStringLiteral("Kazalec A skoči na naslednjo spremembo izbranega signala (klik na ime "
                                   "izbere signal)"),
                    "btnRob", Body());
    cbSledi = new QCheckBox(QStringLiteral("Sledi"), Body());
    cbSledi->setObjectName(QStringLiteral("cbSledi"));
    cbSledi->setToolTip(QStringLiteral("Med izvajanjem ostane trenutni korak na desnem robu"));
    cbSledi->setChecked(true);
    btnIzvozi = Button(QStringLiteral("Izvozi VCD ..."),
                       QStringLiteral("Zapiše posnetek kot Value Change Dump (GTKWave, PulseView)"),
                       "btnIzvozi", Body());
    for (QPushButton* b : {povecaj, pomanjsaj, levo, desno})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 10);

    lblInfo = new QLabel(Body());
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setTextFormat(Qt::PlainText);
    lblInfo->setToolTip(QStringLiteral("Kazalec A: levi klik; kazalec B: desni klik ali Shift in levi klik"));

    auto* tools = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{povecaj, pomanjsaj, vse, levo, desno, btnRob, cbSledi})
        tools->addWidget(w);
    tools->addStretch(1);
    tools->addWidget(btnIzvozi);
    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(3);
    layout->addLayout(tools);
    layout->addWidget(scroll, 1);
    layout->addWidget(lblInfo);

    connect(povecaj, &QPushButton::clicked, this, [this] { view_->ZoomBy(1 / 2.0); });
    connect(pomanjsaj, &QPushButton::clicked, this, [this] { view_->ZoomBy(2.0); });
    connect(vse, &QPushButton::clicked, this, [this] {
        cbSledi->setChecked(false);
        view_->ShowAll();
    });
    auto pan = [this](double pages) {
        cbSledi->setChecked(false);
        view_->SetView(view_->Start() + pages * view_->WaveWidth() * view_->Scale(), view_->Scale());
    };
    connect(levo, &QPushButton::clicked, this, [pan] { pan(-0.5); });
    connect(desno, &QPushButton::clicked, this, [pan] { pan(0.5); });
    connect(btnRob, &QPushButton::clicked, this, [this] {
        cbSledi->setChecked(false);
        view_->JumpToNextEdge();
        ShowInfo();
    });
    connect(btnIzvozi, &QPushButton::clicked, this, &TfrmCasovniDiagram::Export);
    connect(view_, &TSignalView::viewChanged, this, &TfrmCasovniDiagram::ShowInfo);
    resize(760, 460);
}

void TfrmCasovniDiagram::Follow() {
    const TSignalRecorder* recorder = session_.Signals();
    const TLabBoard* board = session_.Board();
    if (recorder == recorder_ && board == board_ && shownOnce_) return;
    recorder_ = recorder;
    board_ = board;
    shownOnce_ = true;
    view_->SetRecording(recorder, AvailableSignals(board ? &board->Config() : nullptr),
                        session_.TimeBase().Hz);
}

void TfrmCasovniDiagram::DrawFrame(const TDisplayFrame& frame) {
    if (!isVisible()) return;
    Follow();
    if (cbSledi->isChecked() && (frame.Running || frame.Stepped)) view_->FollowNow();
    view_->RecordingMoved();
    ShowInfo();
}

void TfrmCasovniDiagram::showEvent(QShowEvent* event) {
    TToolFrame::showEvent(event);
    Follow();
    view_->FollowNow();
    ShowInfo();
}

void TfrmCasovniDiagram::ShowInfo() {
    const uint64_t hz = session_.TimeBase().Hz;
    QString text;
    if (!recorder_) {
        text = QStringLiteral("Snemanje signalov je izklopljeno.");
    } else {
        const auto a = view_->CursorA(), b = view_->CursorB();
        text = QStringLiteral("Zdaj: %1").arg(recorder_->Now());
        if (a) text += QStringLiteral("   A: %1").arg(*a);
        if (b) text += QStringLiteral("   B: %1").arg(*b);
        if (a && b)
            text += QStringLiteral("   B−A: ") + (*b < *a ? QStringLiteral("−") : QString()) +
                    Utf8(TimeSpanText(*b < *a ? *a - *b : *b - *a, hz));
        if (recorder_->Dropped() != 0)
            text += QStringLiteral("   izpuščenih najstarejših sprememb: %1").arg(recorder_->Dropped());
    }
    if (lblInfo->text() != text) lblInfo->setText(text);
}

void TfrmCasovniDiagram::Export() {
    const QString title = QStringLiteral("Časovni diagram");
    if (!recorder_ || recorder_->Count() == 0) {
        Prompt().ShowMessage(title,
                             QStringLiteral("Ni posnetka: signali se snemajo od nalaganja programa naprej."));
        return;
    }
    const QString path =
        Prompt().ChooseSaveFile(QStringLiteral("Izvozi časovni diagram"), QString(),
                                QStringLiteral("Value Change Dump (*.vcd);;Vse datoteke (*)"));
    if (path.isEmpty()) return;
    std::string error;
    if (!WriteVcd(path.toStdString(), *recorder_, view_->Rows(), session_.TimeBase().Hz, error))
        Prompt().ShowError(title, Utf8(error));
}
