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
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "base/encoding.h"
#include "windows/prompt.h"
#include "windows/toolframe.h"

// A tool window that can also be maximised (the editor is where the student works).
TfrmKoda::TfrmKoda(QWidget* parent) : QWidget(parent, kToolWindowFlags | Qt::WindowMaximizeButtonHint) {
    setObjectName(QStringLiteral("frmKoda"));
    StandAlone(*this);
    setWindowTitle(Caption(documentName, false));
    resize(580, 384);

    barve = new TAsmLexer(TAsmLexer::Screen, this);
    barve->setObjectName(QStringLiteral("barve"));
    tisk = new TAsmLexer(TAsmLexer::Print, this);
    tisk->setObjectName(QStringLiteral("tisk"));
    barve->LineColourOf = [this](int line0) { return ColourOf(line0); };
    txtKoda = new TKodaEditor(barve, this);
    CreateErrorPanel();
    CreateStatusBar();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(txtKoda, 1);
    layout->addWidget(Napake);
    layout->addWidget(sb);

    CreatePopupMenu();
    labelHint = new TLabelHint(txtKoda);
    ConnectEditor();
    OpenExternal = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    CreatePrintObject();
}

void TfrmKoda::CreatePrintObject() {
    // Header: the title and when it was printed, centred; footer: the page number and the
    // program, right-aligned. Arial 10 pt, the second lines 6 pt.
    printObject = std::make_unique<TPrintObject>();
    const QFont normal(QStringLiteral("Arial"), 10);
    const QFont small(QStringLiteral("Arial"), 6);
    printObject->HeaderLines = {{QStringLiteral("$TITLE$"), normal},
                                {QStringLiteral("Tiskano: $DATE$., $TIME$"), small}};
    printObject->FooterLines = {
        {QStringLiteral("$PAGENUM$/$PAGECOUNT$"), normal},
        {QStringLiteral("Orlek, učno okolje za mikrokrmilnik Motorola MC6803"), small}};
}

void TfrmKoda::CreateErrorPanel() {
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
}

void TfrmKoda::CreateStatusBar() {
    // The caret position and an empty panel.
    sb = new QStatusBar(this);
    sb->setObjectName(QStringLiteral("sb"));
    sb->setSizeGripEnabled(true);
    sbPanel0 = new QLabel(sb);
    sbPanel0->setFixedWidth(100);
    sbPanel1 = new QLabel(sb);
    sbPanel1->setFixedWidth(50);
    sb->addWidget(sbPanel0);
    sb->addWidget(sbPanel1);
}

void TfrmKoda::CreatePopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](const char* name, const QString& caption) {
        QAction* action = PopupMenu1->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    mnuKopiraj = item("mnuKopiraj", QStringLiteral("Kopiraj"));
    mnuIzrezi = item("mnuIzrezi", QStringLiteral("Izreži"));
    mnuPrilepi = item("mnuPrilepi", QStringLiteral("Prilepi"));
    PopupMenu1->addSeparator();
    Najdi1 = item("Najdi1", QStringLiteral("Najdi"));
    mnuZamenjaj = item("mnuZamenjaj", QStringLiteral("Zamenjaj"));
    mnuSamoZaBranje = item("mnuSamoZaBranje", QStringLiteral("Samo za branje"));
    mnuSamoZaBranje->setCheckable(true);
    PopupMenu1->addSeparator();
    Prekinitvenatoka1 = item("Prekinitvenatoka1", QStringLiteral("Prekinitvena točka"));
    Skoinapomnilnikolokacijo1 =
        item("Skoinapomnilnikolokacijo1", QStringLiteral("Skoči na pomnilniško lokacijo"));
    txtKoda->contextMenu = PopupMenu1;
    connect(mnuSamoZaBranje, &QAction::toggled, this, [this](bool on) { txtKoda->setReadOnly(on); });
    connect(Skoinapomnilnikolokacijo1, &QAction::triggered, this, [this] { JumpToMemory(); });
}

void TfrmKoda::ConnectEditor() {
    // Command help on F1 anywhere in the window.
    auto* help =
        new QShortcut(QKeySequence(Qt::Key_F1), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this, [this] { ShowCommandHelp(WordAtCaret()); });
    auto* complete =
        new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Space), txtKoda, nullptr, nullptr, Qt::WidgetShortcut);
    connect(complete, &QShortcut::activated, this, [this] { ShowCompletion(); });

    connect(txtKoda, &QsciScintilla::textChanged, this, [this] { OnTextChanged(); });
    connect(txtKoda, &QsciScintilla::modificationChanged, this, [this](bool modified) {
        setWindowTitle(Caption(documentName, modified));
        emit textEdited();
    });
    connect(txtKoda, &QsciScintillaBase::SCN_MODIFIED, this, &TfrmKoda::OnModified);
    connect(txtKoda, &TKodaEditor::keyReleased, this, [this] { UpdateStatus(); });
    connect(txtKoda, &TKodaEditor::mouseReleased, this, [this](QPoint pos) {
        UpdateStatus();
        ShowLabelHint(pos);
    });
    connect(txtKoda, &QsciScintilla::cursorPositionChanged, this, [this] { UpdateStatus(); });
}

// ---------------------------------------------------------------- text

QString TfrmKoda::Caption(const QString& name, bool modified) {
    return modified ? name + QStringLiteral(" *") : name;
}

void TfrmKoda::SetDocumentName(const QString& name) {
    documentName = name;
    setWindowTitle(Caption(name, txtKoda->isModified()));
}

void TfrmKoda::SetKeywords(const QStringList& keywords, const QStringList& completion) {
    barve->SetKeywords(keywords);
    tisk->SetKeywords(keywords);
    QStringList words;
    for (const QString& w : completion) {
        const QString u = w.trimmed().toUpper();
        if (!u.isEmpty() && !words.contains(u)) words << u;
    }
    words.sort();
    completionWords = words;
    txtKoda->recolor();
}

void TfrmKoda::SetEditorFont(const QString& family) {
    barve->SetFontFamily(family);
    QFont font(barve->FontFamily());
    font.setPointSize(10); // 13 pixels at 96 dpi
    txtKoda->setMarginsFont(font);
    txtKoda->FitNumberMargin();
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

std::vector<std::string> TfrmKoda::AssemblerLines() const {
    std::vector<std::string> lines;
    if (txtKoda->length() > 0)
        for (const QString& line : Lines())
            lines.push_back(Utf8ToCp1250(line.toStdString()));
    // A breakpoint on the editor's empty last line (after the final line end) is still a
    // breakpoint on an empty line, and the assembler must say so.
    for (int line : BreakpointLines())
        while (static_cast<int>(lines.size()) < line && static_cast<int>(lines.size()) < LineCount())
            lines.emplace_back();
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
    return WordAt(text, int(index) + 1); // getCursorPosition counts characters in UTF-8 mode
}

QString TfrmKoda::WordAt(const QString& text, int col) {
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    // No word on a line of one character or beyond the line's end.
    if (text.size() <= 1 || col > text.size()) return QString();
    // The word ends before the first blank at or after the caret ...
    qsizetype end = col - 1;
    while (end < text.size() && !blank(text[end]))
        ++end;
    // ... and starts after the last blank before it.
    qsizetype begin = col - 1;
    while (begin > 0 && !blank(text[begin - 1]))
        --begin;
    QString word = text.mid(begin, end - begin);
    // A comment in the word ends it; a leading "#" (an immediate operand) goes.
    for (qsizetype i = 0; i < word.size(); ++i)
        if (word[i] == QLatin1Char(';') || word[i] == QLatin1Char('*')) {
            word.truncate(i);
            break;
        }
    if (word.startsWith(QLatin1Char('#'))) word.remove(0, 1);
    return word;
}

// ---------------------------------------------------------------- marks and colours

LineColour TfrmKoda::ColourOf(int line0) const {
    const unsigned marks = txtKoda->markersAtLine(line0);
    if (marks & (1u << TKodaEditor::ErrorMarker)) return LineColour::Error;
    if (marks & (1u << TKodaEditor::BreakpointMarker)) return LineColour::Breakpoint;
    if (executionLine > 0 && (marks & (1u << TKodaEditor::ExecutionMarker))) return LineColour::Execution;
    return LineColour::None;
}

void TfrmKoda::RestyleLine(int line) {
    if (line < 1 || line > txtKoda->lines()) return;
    const int start = int(txtKoda->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line - 1));
    const int end = line < txtKoda->lines()
                        ? int(txtKoda->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line))
                        : txtKoda->length();
    // Styled by the lexer directly: the editor's own recolouring would redraw every visible
    // line, where new styles redraw only the characters they cover.
    if (auto* lexer = qobject_cast<QsciLexerCustom*>(txtKoda->lexer())) lexer->styleText(start, end);
    else txtKoda->recolor(start, end);
}

void TfrmKoda::RepaintMarks() {
    // Every mark change restyles its own lines; this only schedules a repaint.
    txtKoda->viewport()->update();
}

void TfrmKoda::SetExecutionLine(int line) {
    // Called after every step of a run: an unchanged line costs nothing.
    if (line == executionLine && (line == 0 || HasExecutionMark(line))) return;
    // Delete the mark where it stands rather than all marks of its kind: deleting all of them
    // makes the editor redraw every visible line, once per display frame of a fast run.
    for (int old; (old = txtKoda->markerFindNext(0, 1u << TKodaEditor::ExecutionMarker)) >= 0;) {
        txtKoda->DeleteMark(old, TKodaEditor::ExecutionMarker);
        RestyleLine(old + 1);
    }
    executionLine = (line >= 1 && line <= txtKoda->lines()) ? line : 0;
    if (executionLine > 0) {
        txtKoda->AddMark(executionLine - 1, TKodaEditor::ExecutionMarker);
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
    txtKoda->AddMark(line - 1, TKodaEditor::ErrorMarker);
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
    const int at = txtKoda->markerFindNext(0, 1u << TKodaEditor::ErrorMarker);
    txtKoda->DeleteAllMarks(TKodaEditor::ErrorMarker);
    if (at >= 0) RestyleLine(at + 1);
    errorVisible = false;
    errorLine = 0;
}

void TfrmKoda::ClearOrdinaryMarks() {
    SetExecutionLine(0);
    HideErrorMark();
}

bool TfrmKoda::HasExecutionMark(int line) const {
    return line >= 1 && (txtKoda->markersAtLine(line - 1) & (1u << TKodaEditor::ExecutionMarker));
}

bool TfrmKoda::HasBreakpoint(int line) const {
    return line >= 1 && (txtKoda->markersAtLine(line - 1) & (1u << TKodaEditor::BreakpointMarker));
}

void TfrmKoda::SetBreakpoint(int line, bool on) {
    if (line < 1 || line > txtKoda->lines() || HasBreakpoint(line) == on) return;
    if (on) {
        txtKoda->AddMark(line - 1, TKodaEditor::BreakpointMarker);
    } else {
        // Joined lines can carry the mark more than once.
        while (HasBreakpoint(line))
            txtKoda->DeleteMark(line - 1, TKodaEditor::BreakpointMarker);
    }
    RestyleLine(line);
    SyncBreakpoints();
}

void TfrmKoda::ClearBreakpoints() {
    const QList<int> lines = BreakpointLines();
    txtKoda->DeleteAllMarks(TKodaEditor::BreakpointMarker);
    for (int line : lines)
        RestyleLine(line);
    SyncBreakpoints();
}

QList<int> TfrmKoda::BreakpointLines() const {
    QList<int> lines;
    for (int at = txtKoda->markerFindNext(0, 1u << TKodaEditor::BreakpointMarker); at >= 0;
         at = txtKoda->markerFindNext(at + 1, 1u << TKodaEditor::BreakpointMarker))
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

void TfrmKoda::ShowWindow() {
    // Messages the student must see: a hidden code window comes back to show them.
    if (!isVisible()) show();
}

void TfrmKoda::ReportErrors(const QStringList& messages, int errorLine) {
    ClearMessages();
    for (const QString& m : messages)
        AddMessage(m);
    // The panel shows two lines: the status and its hint, not the list's end.
    lbNapake->scrollToTop();
    ShowWindow();
    if (errorLine > 0) ShowErrorLine(errorLine);
    ShowMessages(true);
}

void TfrmKoda::AddErrors(const QStringList& messages, bool showPanel) {
    const int first = lbNapake->count();
    for (const QString& m : messages)
        AddMessage(m);
    // The first of the new lines at the top of the panel, the rest below it.
    if (first < lbNapake->count())
        lbNapake->scrollToItem(lbNapake->item(first), QAbstractItemView::PositionAtTop);
    if (showPanel) {
        ShowWindow();
        ShowMessages(true);
    }
}

void TfrmKoda::ApplyControls(bool fileGroup, bool readOnly) {
    for (QAction* a : {mnuZamenjaj, mnuIzrezi, mnuPrilepi})
        a->setEnabled(fileGroup);
    // "Samo za branje" is checked and locked while a program is loaded; afterwards it returns to
    // the student's own choice, which a load (or a failed one) must not undo.
    if (!fileGroup && fileGroupEnabled) userReadOnly = mnuSamoZaBranje->isChecked();
    if (!fileGroup) mnuSamoZaBranje->setChecked(true);
    else if (!fileGroupEnabled) mnuSamoZaBranje->setChecked(userReadOnly);
    mnuSamoZaBranje->setEnabled(fileGroup);
    fileGroupEnabled = fileGroup;
    txtKoda->setReadOnly(readOnly || mnuSamoZaBranje->isChecked());
}

// ---------------------------------------------------------------- commands

void TfrmKoda::UpdateStatus() {
    sbPanel0->setText(QStringLiteral("  %1:  %2").arg(CaretLine()).arg(CaretColumn()));
}

void TfrmKoda::ShowLabelHint(const QPoint& globalPos) {
    const QString word = WordAtCaret().toUpper().left(15);
    if (word.isEmpty() || !FindLabel) return;
    const std::optional<uint16_t> value = FindLabel(word);
    if (!value) return;
    labelHint->ShowAt(QStringLiteral("%1: $%2").arg(word).arg(*value, 4, 16, QLatin1Char('0')).toUpper(),
                      globalPos);
}

QString TfrmKoda::LabelHintText() const { return labelHint->text(); }

bool TfrmKoda::LabelHintVisible() const { return labelHint->isVisible(); }

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
    emit addressJumpRequested(*address);
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
