#include "editor/frmkoda.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "windows/prompt.h"

namespace {

// Gutter images: 10 execution arrow (left half), 11 breakpoint dot (right half), so both show
// on one line; 12 error cross.
QPixmap GutterImage(int which) {
    QPixmap pm(22, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case 10: {
        const QPointF arrow[] = {{1, 4}, {6, 4}, {6, 1}, {12, 7}, {6, 13}, {6, 10}, {1, 10}};
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(0x00, 0xC0, 0x00));
        p.drawPolygon(arrow, 7);
        break;
    }
    case 11:
        p.setPen(QPen(QColor(0x80, 0, 0), 1));
        p.setBrush(QColor(0xFF, 0x20, 0x20));
        p.drawEllipse(QRectF(10.5, 1.5, 11, 11));
        break;
    default:
        p.setPen(QPen(QColor(0x80, 0, 0), 1));
        p.setBrush(QColor(0xFF, 0xE0, 0x00));
        p.drawEllipse(QRectF(5.5, 1.5, 11, 11));
        p.setPen(QPen(QColor(0xC0, 0, 0), 2));
        p.drawLine(QPointF(8.5, 4.5), QPointF(13.5, 9.5));
        p.drawLine(QPointF(13.5, 4.5), QPointF(8.5, 9.5));
        break;
    }
    return pm;
}

bool IsWordBreak(QChar c) { return c.isSpace() || c == QLatin1Char(';'); }

} // namespace

void TKodaEditor::keyReleaseEvent(QKeyEvent* event) {
    QsciScintilla::keyReleaseEvent(event);
    emit keyReleased();
}

void TKodaEditor::mouseReleaseEvent(QMouseEvent* event) {
    QsciScintilla::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit mouseReleased(event->globalPosition().toPoint());
}

void TKodaEditor::contextMenuEvent(QContextMenuEvent* event) {
    if (contextMenu) contextMenu->exec(event->globalPos());
    else QsciScintilla::contextMenuEvent(event);
}

TfrmKoda::TfrmKoda(QWidget* parent) : QWidget(parent, Qt::Window | Qt::Tool) {
    setObjectName(QStringLiteral("frmKoda"));
    setWindowTitle(Untitled);
    resize(580, 384);

    txtKoda = new TKodaEditor(this);
    txtKoda->setObjectName(QStringLiteral("txtKoda"));
    txtKoda->setUtf8(true);
    txtKoda->setEolMode(QsciScintilla::EolUnix);
    barve = new TAsmLexer(TAsmLexer::Screen, this);
    tisk = new TAsmLexer(TAsmLexer::Print, this);
    barve->LineColourOf = [this](int line0) { return ColourOf(line0); };
    txtKoda->setLexer(barve);
    txtKoda->setPaper(QColor(0, 0, 0x80));
    txtKoda->setCaretForegroundColor(Qt::white);
    txtKoda->setSelectionBackgroundColor(QColor(0xFF, 0xFF, 0x00));
    txtKoda->setSelectionForegroundColor(Qt::black);
    txtKoda->setTabIndents(false);
    txtKoda->setIndentationsUseTabs(false);
    txtKoda->setScrollWidth(1024 * 8);
    txtKoda->setScrollWidthTracking(false);
    txtKoda->setWrapMode(QsciScintilla::WrapNone);
    txtKoda->setAutoCompletionSource(QsciScintilla::AcsNone);
    txtKoda->SendScintilla(QsciScintillaBase::SCI_AUTOCSETIGNORECASE, 1);
    txtKoda->SendScintilla(QsciScintillaBase::SCI_AUTOCSETMAXHEIGHT, 6);
    txtKoda->SendScintilla(QsciScintillaBase::SCI_AUTOCSETSEPARATOR, long(' '));
    txtKoda->SendScintilla(QsciScintillaBase::SCI_AUTOCSTOPS, "()[].");
    // The completion list is a list widget owned by the editor: 262 pixels wide, its
    // selection aqua.
    txtKoda->setStyleSheet(QStringLiteral("QListWidget { min-width: 262px; max-width: 262px; "
                                          "selection-background-color: #00FFFF; selection-color: black; }"));

    // Gutter: line numbers and the mark images.
    txtKoda->setMarginType(0, QsciScintilla::NumberMargin);
    txtKoda->setMarginWidth(0, QStringLiteral("00000"));
    txtKoda->setMarginsBackgroundColor(QColor(0xD4, 0xD0, 0xC8));
    txtKoda->setMarginsForegroundColor(QColor(0x40, 0x40, 0x40));
    txtKoda->setMarginType(1, QsciScintilla::SymbolMargin);
    txtKoda->setMarginWidth(1, 24);
    txtKoda->setMarginMarkerMask(1, (1 << ExecutionMarker) | (1 << BreakpointMarker) | (1 << ErrorMarker));
    txtKoda->setMarginMarkerMask(0, 0);
    txtKoda->markerDefine(GutterImage(10), ExecutionMarker);
    txtKoda->markerDefine(GutterImage(11), BreakpointMarker);
    txtKoda->markerDefine(GutterImage(12), ErrorMarker);

    // Error panel.
    Napake = new QWidget(this);
    Napake->setObjectName(QStringLiteral("Napake"));
    Napake->setFixedHeight(58);
    auto* napakeLayout = new QVBoxLayout(Napake);
    napakeLayout->setContentsMargins(0, 0, 0, 0);
    napakeLayout->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(new QLabel(QStringLiteral("     Napaka/Opozorilo"), Napake), 1);
    SpeedButton1 = new QToolButton(Napake);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("-"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setFixedSize(16, 14);
    header->addWidget(SpeedButton1);
    napakeLayout->addLayout(header);
    lbNapake = new QListWidget(Napake);
    lbNapake->setObjectName(QStringLiteral("lbNapake"));
    napakeLayout->addWidget(lbNapake, 1);
    Napake->hide();
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { ShowMessages(false); });

    // Status bar: caret position and an empty panel.
    sb = new QStatusBar(this);
    sb->setSizeGripEnabled(true);
    sbPanel0 = new QLabel(sb);
    sbPanel0->setFixedWidth(100);
    sbPanel1 = new QLabel(sb);
    sbPanel1->setFixedWidth(50);
    sb->addWidget(sbPanel0);
    sb->addWidget(sbPanel1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(txtKoda, 1);
    layout->addWidget(Napake);
    layout->addWidget(sb);

    // Context menu.
    PopupMenu1 = new QMenu(this);
    mnuKopiraj = PopupMenu1->addAction(QStringLiteral("Kopiraj"));
    mnuIzrezi = PopupMenu1->addAction(QStringLiteral("Izreži"));
    mnuPrilepi = PopupMenu1->addAction(QStringLiteral("Prilepi"));
    PopupMenu1->addSeparator();
    Najdi1 = PopupMenu1->addAction(QStringLiteral("Najdi"));
    mnuZamenjaj = PopupMenu1->addAction(QStringLiteral("Zamenjaj"));
    mnuSamoZaBranje = PopupMenu1->addAction(QStringLiteral("Samo za branje"));
    mnuSamoZaBranje->setCheckable(true);
    PopupMenu1->addSeparator();
    Prekinitvenatoka1 = PopupMenu1->addAction(QStringLiteral("Prekinitvena točka"));
    Skoinapomnilnikolokacijo1 = PopupMenu1->addAction(QStringLiteral("Skoči na pomnilniško lokacijo"));
    txtKoda->contextMenu = PopupMenu1;
    connect(mnuSamoZaBranje, &QAction::toggled, this, [this](bool on) { txtKoda->setReadOnly(on); });
    connect(Skoinapomnilnikolokacijo1, &QAction::triggered, this, [this] { JumpToMemory(); });

    // Label hint.
    labelHint = new QLabel(txtKoda, Qt::ToolTip);
    labelHint->setObjectName(QStringLiteral("labelHint"));
    labelHint->setStyleSheet(QStringLiteral(
        "QLabel { background: #FFFFE1; color: black; border: 1px solid black; padding: 1px 3px; }"));
    labelHint->setMaximumWidth(200);
    labelHint->hide();
    Timer1 = new QTimer(this);
    Timer1->setInterval(500); // the usual pause before a hint appears
    connect(Timer1, &QTimer::timeout, this, [this] { HintTick(); });

    // Command help on F1 anywhere in the window.
    auto* help =
        new QShortcut(QKeySequence(Qt::Key_F1), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this, [this] { ShowCommandHelp(WordAtCaret()); });
    auto* complete =
        new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Space), txtKoda, nullptr, nullptr, Qt::WidgetShortcut);
    connect(complete, &QShortcut::activated, this, [this] { ShowCompletion(); });

    connect(txtKoda, &QsciScintilla::textChanged, this, [this] { OnTextChanged(); });
    connect(txtKoda, &QsciScintilla::modificationChanged, this, [this] { emit textEdited(); });
    connect(txtKoda, &QsciScintillaBase::SCN_MODIFIED, this, &TfrmKoda::OnModified);
    connect(txtKoda, &TKodaEditor::keyReleased, this, [this] { UpdateStatus(); });
    connect(txtKoda, &TKodaEditor::mouseReleased, this, [this](QPoint pos) {
        UpdateStatus();
        ShowLabelHint(pos);
    });
    connect(txtKoda, &QsciScintilla::cursorPositionChanged, this, [this] { UpdateStatus(); });

    OpenExternal = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
}

// ---------------------------------------------------------------- text

void TfrmKoda::SetKeywords(const QStringList& keywords, const QStringList& completion) {
    barve->SetKeywords(keywords);
    tisk->SetKeywords(keywords);
    QStringList words;
    for (const QString& w : completion) {
        const QString u = w.trimmed().toUpper();
        if (!u.isEmpty() && !words.contains(u)) words << u;
    }
    for (const char* extra : {"BHS", "BLO"})
        if (!words.contains(QLatin1String(extra))) words << QLatin1String(extra);
    words.sort();
    completionWords = words;
    txtKoda->recolor();
}

void TfrmKoda::SetEditorFont(const QString& family) {
    barve->SetFontFamily(family);
    QFont font(barve->FontFamily());
    font.setPointSize(10); // 13 pixels at 96 dpi
    txtKoda->setMarginsFont(font);
    // Horizontal scrolling reaches 1024 columns.
    txtKoda->setScrollWidth(
        QFontMetrics(barve->defaultFont(TAsmLexer::Default)).horizontalAdvance(QLatin1Char('M')) * 1024);
    txtKoda->recolor();
}

QStringList TfrmKoda::Lines() const {
    QString text = txtKoda->text();
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void TfrmKoda::SetSource(const QString& text) {
    // A new text is a new document: no marks carry over (removing every line would otherwise
    // gather them all on line 1).
    txtKoda->markerDeleteAll();
    executionLine = 0;
    errorVisible = false;
    errorLine = 0;
    txtKoda->setText(text);
    SyncBreakpoints();
    txtKoda->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    txtKoda->setModified(false);
}

int TfrmKoda::CaretLine() const {
    int line = 0, index = 0;
    txtKoda->getCursorPosition(&line, &index);
    return line + 1;
}

int TfrmKoda::CaretColumn() const {
    int line = 0, index = 0;
    txtKoda->getCursorPosition(&line, &index);
    // Columns count characters, not bytes.
    return int(txtKoda->text(line).left(index).size()) + 1;
}

void TfrmKoda::SetCaret(int line, int column) {
    txtKoda->setCursorPosition(std::max(0, line - 1), std::max(0, column - 1));
}

QString TfrmKoda::WordAtCaret() const {
    int line = 0, index = 0;
    txtKoda->getCursorPosition(&line, &index);
    QString text = txtKoda->text(line);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    // getCursorPosition counts characters in QScintilla's UTF-8 mode.
    // Beyond the end of the line there is no word.
    if (index >= text.size()) return QString();
    const int caret = int(index);
    int begin = caret, end = caret;
    while (begin > 0 && !IsWordBreak(text[begin - 1]))
        --begin;
    while (end < text.size() && !IsWordBreak(text[end]))
        ++end;
    QString word = text.mid(begin, end - begin);
    if (word.startsWith(QLatin1Char('#'))) word.remove(0, 1);
    return word;
}

// ---------------------------------------------------------------- marks and colours

LineColour TfrmKoda::ColourOf(int line0) const {
    const unsigned marks = txtKoda->markersAtLine(line0);
    if (marks & (1u << ErrorMarker)) return LineColour::Error;
    if (marks & (1u << BreakpointMarker)) return LineColour::Breakpoint;
    if (executionLine > 0 && (marks & (1u << ExecutionMarker))) return LineColour::Execution;
    return LineColour::None;
}

void TfrmKoda::RestyleLine(int line) {
    if (line < 1 || line > txtKoda->lines()) return;
    const int start = int(txtKoda->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line - 1));
    const int end = line < txtKoda->lines()
                        ? int(txtKoda->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line))
                        : txtKoda->length();
    txtKoda->recolor(start, end);
}

void TfrmKoda::RepaintMarks() {
    // Every mark change restyles its own lines; this only schedules a repaint.
    txtKoda->viewport()->update();
}

void TfrmKoda::SetExecutionLine(int line) {
    // Called after every step of a run: an unchanged line costs nothing.
    if (line == executionLine && (line == 0 || HasExecutionMark(line))) return;
    const int old = executionLine > 0 ? txtKoda->markerFindNext(0, 1u << ExecutionMarker) + 1 : 0;
    txtKoda->markerDeleteAll(ExecutionMarker);
    RestyleLine(old);
    executionLine = (line >= 1 && line <= txtKoda->lines()) ? line : 0;
    if (executionLine > 0) {
        txtKoda->markerAdd(executionLine - 1, ExecutionMarker);
        RestyleLine(executionLine);
    }
}

void TfrmKoda::ScrollToLine(int line) {
    if (line < 1) return;
    const int top = txtKoda->firstVisibleLine() + 1;
    const int rows = std::max(1, int(txtKoda->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN)));
    if (line > top + rows - 1 || line < top) txtKoda->setFirstVisibleLine(std::max(0, line - rows / 5 - 1));
}

void TfrmKoda::ShowErrorLine(int line) {
    HideErrorMark();
    if (line < 1 || line > txtKoda->lines()) return;
    txtKoda->markerAdd(line - 1, ErrorMarker);
    errorLine = line;
    errorVisible = true;
    ScrollToLine(line);
    SetCaret(line, 1);
    // The editor takes the focus, which means its window too: the command usually comes from
    // the main strip, and the student goes on typing at the error.
    if (isVisible()) activateWindow();
    txtKoda->setFocus();
    SetExecutionLine(0);
    RestyleLine(line);
    UpdateStatus();
}

void TfrmKoda::HideErrorMark() {
    const int at = txtKoda->markerFindNext(0, 1u << ErrorMarker);
    txtKoda->markerDeleteAll(ErrorMarker);
    if (at >= 0) RestyleLine(at + 1);
    errorVisible = false;
    errorLine = 0;
}

void TfrmKoda::ClearOrdinaryMarks() {
    SetExecutionLine(0);
    HideErrorMark();
}

bool TfrmKoda::HasExecutionMark(int line) const {
    return line >= 1 && (txtKoda->markersAtLine(line - 1) & (1u << ExecutionMarker));
}

bool TfrmKoda::HasBreakpoint(int line) const {
    return line >= 1 && (txtKoda->markersAtLine(line - 1) & (1u << BreakpointMarker));
}

void TfrmKoda::SetBreakpoint(int line, bool on) {
    if (line < 1 || line > txtKoda->lines() || HasBreakpoint(line) == on) return;
    if (on) {
        txtKoda->markerAdd(line - 1, BreakpointMarker);
    } else {
        // Joined lines can carry the mark more than once.
        while (HasBreakpoint(line))
            txtKoda->markerDelete(line - 1, BreakpointMarker);
    }
    RestyleLine(line);
    SyncBreakpoints();
}

void TfrmKoda::ClearBreakpoints() {
    const QList<int> lines = BreakpointLines();
    txtKoda->markerDeleteAll(BreakpointMarker);
    for (int line : lines)
        RestyleLine(line);
    SyncBreakpoints();
}

QList<int> TfrmKoda::BreakpointLines() const {
    QList<int> lines;
    for (int at = txtKoda->markerFindNext(0, 1u << BreakpointMarker); at >= 0;
         at = txtKoda->markerFindNext(at + 1, 1u << BreakpointMarker))
        lines << at + 1;
    return lines;
}

void TfrmKoda::SyncBreakpoints() {
    const QList<int> now = BreakpointLines();
    if (now == breakpointCache) return;
    breakpointCache = now;
    emit breakpointsChanged();
}

void TfrmKoda::OnModified(int, int modificationType, const char*, int, int linesAdded, int, int, int, int,
                          int) {
    constexpr int textChange = QsciScintillaBase::SC_MOD_INSERTTEXT | QsciScintillaBase::SC_MOD_DELETETEXT;
    if ((modificationType & textChange) && linesAdded != 0) {
        SyncBreakpoints();
    }
}

void TfrmKoda::OnTextChanged() {
    if (executionLine > 0) SetExecutionLine(0);
    emit textEdited();
}

void TfrmKoda::ShowCompletion() {
    int line = 0, index = 0;
    txtKoda->getCursorPosition(&line, &index);
    const QString text = txtKoda->text(line).left(index);
    int start = int(text.size());
    while (start > 0 && text[start - 1].isLetter())
        --start;
    const QString prefix = text.mid(start);
    QStringList words;
    for (const QString& w : completionWords)
        if (w.startsWith(prefix, Qt::CaseInsensitive)) words << w;
    if (words.isEmpty()) return;
    txtKoda->SendScintilla(QsciScintillaBase::SCI_AUTOCSHOW,
                           static_cast<unsigned long>(prefix.toUtf8().size()),
                           words.join(QLatin1Char(' ')).toUtf8().constData());
}

// ---------------------------------------------------------------- error panel

void TfrmKoda::ClearMessages() { lbNapake->clear(); }

void TfrmKoda::AddMessage(const QString& text) {
    lbNapake->addItem(text);
    lbNapake->scrollToBottom();
}

QStringList TfrmKoda::Messages() const {
    QStringList list;
    for (int i = 0; i < lbNapake->count(); ++i)
        list << lbNapake->item(i)->text();
    return list;
}

void TfrmKoda::ShowMessages(bool visible) {
    const bool appearing = visible && Napake->isHidden();
    Napake->setVisible(visible);
    // The panel takes its height from the editor: once the layout has settled, bring the marked
    // line (or the caret line) back into view so it is not left half hidden under the panel.
    if (appearing) {
        QTimer::singleShot(0, this, [this] {
            const int line = executionLine > 0 ? executionLine : CaretLine();
            if (line > 0) txtKoda->ensureLineVisible(line - 1);
        });
    }
}

bool TfrmKoda::MessagesVisible() const { return !Napake->isHidden(); }

// ---------------------------------------------------------------- commands

void TfrmKoda::UpdateStatus() {
    sbPanel0->setText(QStringLiteral("  %1:  %2").arg(CaretLine()).arg(CaretColumn()));
}

void TfrmKoda::ShowLabelHint(const QPoint& globalPos) {
    const QString word = WordAtCaret().toUpper().left(15);
    if (word.isEmpty() || !FindLabel) return;
    const std::optional<uint16_t> value = FindLabel(word);
    if (!value) return;
    labelHint->setText(QStringLiteral("%1: $%2").arg(word).arg(*value, 4, 16, QLatin1Char('0')).toUpper());
    labelHint->adjustSize();
    labelHint->move(globalPos);
    labelHint->show();
    hintTicks = 0;
    Timer1->start();
}

QString TfrmKoda::LabelHintText() const { return labelHint->text(); }

bool TfrmKoda::LabelHintVisible() const { return labelHint->isVisible(); }

void TfrmKoda::HintTick() {
    if (++hintTicks >= 5) {
        Timer1->stop();
        labelHint->hide();
    }
}

void TfrmKoda::JumpToMemory() {
    const QString word = WordAtCaret().toUpper().left(15);
    std::optional<uint16_t> address;
    if (FindLabel && !word.isEmpty()) address = FindLabel(word);
    if (!address) {
        if (word.isEmpty()) {
            Prompt().ShowMessage(QStringLiteral("Orlek"),
                                 QStringLiteral("Kazalec ne stoji na oznaki ali številu."));
            return;
        }
        bool ok = false;
        const long long value =
            word.startsWith(QLatin1Char('$')) ? word.mid(1).toLongLong(&ok, 16) : word.toLongLong(&ok, 10);
        // An address outside the 64 KiB space is an error, not something to wrap around.
        if (!ok || value < 0 || value > 0xFFFF) {
            Prompt().ShowMessage(
                QStringLiteral("Orlek"),
                QStringLiteral("'%1' ni oznaka ali naslov (desetiško število ali šestnajstiško z $, "
                               "od 0 do $FFFF).")
                    .arg(word));
            return;
        }
        address = static_cast<uint16_t>(value);
    }
    if (JumpToAddress) JumpToAddress(*address);
}

void TfrmKoda::ShowCommandHelp(const QString& word) {
    if (word.isEmpty() || programDir.isEmpty()) return;
    QFile file(programDir + QStringLiteral("/help/help.dat"));
    if (!file.open(QIODevice::ReadOnly)) return;
    QString found;
    // Keys are matched without regard to case: the student writes mnemonics in either case.
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const int firstTab = int(line.indexOf(QLatin1Char('\t')));
        if (firstTab < 0) continue;
        if (line.left(firstTab).compare(word, Qt::CaseInsensitive) == 0)
            found = line.mid(line.lastIndexOf(QLatin1Char('\t')) + 1).trimmed();
    }
    if (found.isEmpty() || found.contains(QLatin1String(".."))) return;
    const QString path = programDir + QStringLiteral("/help/commands/") + found;
    if (OpenExternal && QFile::exists(path)) OpenExternal(path);
}

// ---------------------------------------------------------------- window

void TfrmKoda::closeEvent(QCloseEvent* event) {
    // Closing only hides the window.
    event->ignore();
    hide();
    emit closedByUser();
}

void TfrmKoda::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateStatus();
}

void TfrmKoda::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) ScheduleMaximisedRule();
}

// The maximised geometry arrives after the state change, as a move and a resize.
void TfrmKoda::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    ScheduleMaximisedRule();
}

void TfrmKoda::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ScheduleMaximisedRule();
}

void TfrmKoda::ScheduleMaximisedRule() {
    if (windowState() & Qt::WindowMaximized) QTimer::singleShot(0, this, [this] { ApplyMaximisedRule(); });
}

void TfrmKoda::ApplyMaximisedRule() {
    // A maximised code window keeps the main window's strip at the top of the screen visible.
    if (!(windowState() & Qt::WindowMaximized)) return;
    const QRect g = geometry();
    if (g.top() >= 107) return;
    const QRect target(g.left(), 107, g.width(), std::max(100, g.height() - 107));
    showNormal();
    setGeometry(target);
}
