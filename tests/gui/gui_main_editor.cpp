// The code window: highlighter, marks and line colours, breakpoints following edits, label
// hint, jump to memory, command help; the compile command and the listing window.
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "session/addressview.h"
#include "tests/gui/gui_main_fixture.h"
#include "workbench/runcontrol.h"

namespace {

QString Styles(const TAsmLexer& lexer, const char* line) {
    // One letter per byte: . blank, c comment, k keyword, n number, i identifier.
    const QByteArray styles = lexer.StyleLine(QByteArray(line));
    QString out;
    for (char s : styles)
        out += QLatin1Char(".cknixbe"[int(s)]);
    return out;
}

// Position of a column (1-based) in a line (1-based) in viewport coordinates.
QPoint PointOf(QsciScintilla* ed, int line, int column) {
    const long pos = ed->positionFromLineIndex(line - 1, column - 1);
    const int x = int(ed->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, pos));
    const int y = int(ed->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, pos));
    return QPoint(x + 2, y + 5);
}

} // namespace

TEST(AsmLexerTest, CommentsStartAtUnquotedSemicolonOrStar) {
    TAsmLexer lexer(TAsmLexer::Screen);
    lexer.SetKeywords({"LDAA", "FCC", "END"});
    EXPECT_EQ(Styles(lexer, "zanka ldaa x+1;abc"), "iiiii.kkkk.iiicccc");
    EXPECT_EQ(Styles(lexer, " LDAA #2*3"), ".kkkk.nncc");
    EXPECT_EQ(Styles(lexer, "* all"), "ccccc");
    // Inside double quotes ";" and "*" and blanks are text.
    EXPECT_EQ(Styles(lexer, " fcc \"a;b *\" ;c"), ".kkk.iiiiiii.cc");
    EXPECT_EQ(Styles(lexer, " end"), ".kkk");
}

TEST(AsmLexerTest, NumbersAreLiteralsOfTheAssembler) {
    TAsmLexer lexer(TAsmLexer::Screen);
    lexer.SetKeywords({"LDAA"});
    for (const char* number : {"$1000", "#%101", "-5", "0x1F", "'A'", "5,x"})
        EXPECT_EQ(Styles(lexer, (std::string(" LDAA ") + number).c_str()),
                  ".kkkk." + QString(int(strlen(number)), QLatin1Char('n')))
            << number;
    // Not numbers: a label with an offset, a bare "$", a digit followed by letters.
    for (const char* other : {"stevec+1", "$", "12ab"})
        EXPECT_EQ(Styles(lexer, (std::string(" LDAA ") + other).c_str()),
                  ".kkkk." + QString(int(strlen(other)), QLatin1Char('i')))
            << other;
}

// The fields are the assembler's: what it ignores after the operand is a comment, with or
// without ";"; a TAB joins words into one field; SM reads its data tokens.
TEST(AsmLexerTest, LinesAreColouredAsTheAssemblerReadsThem) {
    TAsmLexer lexer(TAsmLexer::Screen);
    lexer.SetKeywords({"STAA", "DAA", "NOP", "SM", "END"});
    const struct {
        const char* line;
        const char* styles;
    } cases[] = {
        {" staa $80  7*7 = 49", ".kkkk.nnn..cccccccc"},
        {"x staa y+1 ker je", "i.kkkk.iii.cccccc"},
        {" daa  korigiramo rezultat", ".kkk..iiiiiiiiii.cccccccc"}, // an operand, as the assembler reads it
        {" nop \"a b\" c", ".kkk.iiiii.c"},
        {"start\tnop x", "iiiiiiiii.i"},                      // the label holds the TAB; the mnemonic is x
        {"\tnop", "iiii"},                                    // a label, not an instruction
        {" nop\t; c", ".iiiiccc"},                            // "NOP<TAB>" is no mnemonic
        {"end", "iii"},                                       // a label in column 1
        {" sm $10 1 \"a b\" x  ;c", ".kk.nnn.n.iiiii.i..cc"}, // data tokens, not a remark
    };
    for (const auto& c : cases)
        EXPECT_EQ(Styles(lexer, c.line), QString::fromLatin1(c.styles)) << c.line;
}

TEST_F(MainWindowTest, LineColoursFollowPrecedence) {
    Create();
    TAsmLexer& lexer = *Koda().barve;
    Koda().SetExecutionLine(11);
    EXPECT_EQ(lexer.LineColourOf(10), LineColour::Execution);
    Koda().SetBreakpoint(11, true);
    EXPECT_EQ(lexer.LineColourOf(10), LineColour::Breakpoint);
    Koda().ShowErrorLine(11);
    EXPECT_EQ(lexer.LineColourOf(10), LineColour::Error);
    Koda().HideErrorMark();
    EXPECT_EQ(lexer.LineColourOf(10), LineColour::Breakpoint);
    Koda().SetBreakpoint(11, false);
    EXPECT_EQ(lexer.LineColourOf(10), LineColour::None); // the error mark cleared the execution line
}

TEST_F(MainWindowTest, TypingRemovesTheCurrentLine) {
    Create();
    Koda().SetExecutionLine(15);
    ASSERT_EQ(Koda().ExecutionLine(), 15);
    Koda().SetCaret(1, 1);
    QTest::keyClicks(Koda().txtKoda, "x");
    EXPECT_EQ(Koda().ExecutionLine(), 0);
    EXPECT_TRUE(Action("mnuRazveljavi")->isEnabled());
}

TEST_F(MainWindowTest, BreakpointsFollowEnterAndBackspace) {
    Create();
    QsciScintilla* ed = Koda().txtKoda;
    const QString before = ed->text();
    Koda().SetCaret(11, 1);
    main->Run().ToggleBreakpoint();
    ASSERT_EQ(Koda().BreakpointLines(), QList<int>({11}));
    ASSERT_TRUE(main->Session().Breakpoints.Contains(11));

    // Enter above the breakpoint moves it down with its line.
    Koda().SetCaret(5, 1);
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_EQ(Koda().BreakpointLines(), QList<int>({12}));
    EXPECT_TRUE(main->Session().Breakpoints.Contains(12));
    EXPECT_FALSE(main->Session().Breakpoints.Contains(11));
    // Backspace in column 1 of the inserted line joins it and moves the breakpoint back.
    Koda().SetCaret(6, 1);
    QTest::keyClick(ed, Qt::Key_Backspace);
    EXPECT_EQ(Koda().BreakpointLines(), QList<int>({11}));
    EXPECT_EQ(main->Session().Breakpoints.Lines(), std::vector<int>({11}));
    EXPECT_EQ(ed->text(), before);

    // Enter at the end of the breakpoint's line leaves the breakpoint on its instruction.
    Koda().SetCaret(11, int(Koda().Lines()[10].size()) + 1);
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_EQ(Koda().BreakpointLines(), QList<int>({11}));
    // Enter at its start moves it down with the text.
    Koda().SetCaret(11, 1);
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_EQ(Koda().BreakpointLines(), QList<int>({12}));

    // Replacing the whole text leaves no marks behind on line 1.
    const QString text = ed->text();
    Koda().SetExecutionLine(3);
    Koda().SetSource(text);
    EXPECT_TRUE(Koda().BreakpointLines().isEmpty());
    EXPECT_TRUE(main->Session().Breakpoints.Empty());
    EXPECT_EQ(Koda().txtKoda->markersAtLine(0), 0u);
    EXPECT_EQ(Koda().ExecutionLine(), 0);
    Koda().SetCaret(12, 1);
    main->Run().ToggleBreakpoint();

    // Toggling twice leaves no breakpoint and no mark.
    Koda().SetCaret(12, 1);
    main->Run().ToggleBreakpoint();
    EXPECT_TRUE(Koda().BreakpointLines().isEmpty());
    EXPECT_TRUE(main->Session().Breakpoints.Empty());
    EXPECT_EQ(Koda().txtKoda->markersAtLine(11), 0u);
}

TEST_F(MainWindowTest, SampleCompilesWithoutMessages) {
    TfrmMain& w = Create();
    Koda().AddMessage("old");
    Koda().ShowMessages(true);
    w.Run().mnuPrevedi->trigger();
    EXPECT_FALSE(Koda().MessagesVisible());
    EXPECT_EQ(Koda().ErrorLine(), 0);
    EXPECT_FALSE(Part<QWidget>("pnlgraf")->isVisible());
    EXPECT_EQ(Part<QProgressBar>("progres")->value(), 2 * int(Koda().Lines().size()));
    EXPECT_TRUE(prompt.Messages.isEmpty());
    EXPECT_FALSE(w.Session().Loaded()); // compiled, not loaded
}

TEST_F(MainWindowTest, BreakpointOnCommentLineFailsWithStatus6AndKeepsText) {
    TfrmMain& w = Create();
    const QString before = Koda().Source();
    Koda().SetCaret(3, 4);
    w.Run().ToggleBreakpoint();
    w.Run().Compile();
    EXPECT_TRUE(Koda().MessagesVisible());
    EXPECT_EQ(Koda().Messages(), QStringList({"Prekinitvena točka v napacni vrstici (napaka v vrstici 3)",
                                              "Simulatorja ne morem zagnati!"}));
    EXPECT_EQ(Koda().ErrorLine(), 3);
    EXPECT_EQ(Koda().CaretLine(), 3);
    EXPECT_EQ(Koda().Source(), before);
    EXPECT_FALSE(Koda().txtKoda->isModified());
    EXPECT_EQ(Koda().BreakpointLines(), QList<int>({3}));

    // The "-" button hides the panel; a successful run hides the error mark.
    QTest::mouseClick(Part<QToolButton>("SpeedButton1"), Qt::LeftButton);
    EXPECT_FALSE(Koda().MessagesVisible());
    w.Run().ToggleBreakpoint();
    w.Run().Compile();
    EXPECT_EQ(Koda().ErrorLine(), 0);
    EXPECT_FALSE(Koda().MessagesVisible());
}

TEST_F(MainWindowTest, BreakpointOnTheEmptyLastLineIsReported) {
    TfrmMain& w = Create();
    Koda().SetSource(QStringLiteral("       org $fffe\n       fdb $2000\n")); // no END: every line is read
    Koda().SetCaret(3, 1); // the empty line after the final line end
    w.Run().ToggleBreakpoint();
    w.Run().Compile();
    EXPECT_EQ(Koda().Messages().value(0),
              QStringLiteral("Prekinitvena točka v napacni vrstici (napaka v vrstici 3)"));
    // An empty text has no lines, unless a breakpoint stands on the line the editor shows.
    Koda().SetSource(QString());
    EXPECT_TRUE(Koda().AssemblerLines().empty());
    Koda().SetCaret(1, 1);
    w.Run().ToggleBreakpoint();
    EXPECT_EQ(Koda().AssemblerLines(), std::vector<std::string>{""});
}

// The empty last line has no character that a line style could paint: its colour must still
// show, not only the gutter mark.
TEST_F(MainWindowTest, ABreakpointOnTheEmptyLastLineIsPaintedRed) {
    TfrmMain& w = Create();
    QsciScintilla* ed = Koda().txtKoda;
    Koda().SetSource(QStringLiteral("       nop\n"));
    Koda().SetCaret(2, 1);
    w.Run().ToggleBreakpoint();
    ASSERT_EQ(Koda().BreakpointLines(), QList<int>({2}));
    const QPoint at = PointOf(ed, 2, 1) + QPoint(40, 0);
    const QImage image = ed->viewport()->grab().toImage();
    EXPECT_EQ(image.pixelColor(at), QColor(0xFF, 0x00, 0x00)) << image.pixelColor(at).name().toStdString();
}

// The execution mark jumping back over a loop repaints the two lines it leaves and enters, and
// the window then shows exactly what a full repaint shows.
TEST_F(MainWindowTest, ExecutionMarkJumpRepaintsAsAFullRepaint) {
    Create();
    TfrmKoda& koda = Koda();
    koda.show();
    QWidget* viewport = koda.txtKoda->viewport();
    auto shown = [&] {
        QCoreApplication::processEvents();
        return QGuiApplication::primaryScreen()->grabWindow(koda.winId()).toImage();
    };
    koda.SetExecutionLine(22);
    shown();
    koda.SetExecutionLine(14);
    const QImage partial = shown();
    viewport->repaint();
    EXPECT_EQ(partial, shown());
    EXPECT_NE(partial.pixelColor(PointOf(koda.txtKoda, 14, 1) + QPoint(200, 0)), QColor(0x00, 0x00, 0x80));
}

// Numbers of five and more digits fit the gutter in the margin's own font.
TEST_F(MainWindowTest, GutterFitsTheHighestLineNumber) {
    Create();
    QsciScintilla* ed = Koda().txtKoda;
    Koda().SetSource(QString(12345, QLatin1Char('\n')));
    const int digits = int(
        ed->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH, QsciScintillaBase::STYLE_LINENUMBER, "12346"));
    EXPECT_GT(ed->marginWidth(0), digits + 3) << "Scintilla keeps 3 pixels beside the number";
}

// The TAB key lays out fields with spaces; a TAB already in the text stays, and the assembler's
// hint for it, like its warnings, reaches the error list.
TEST_F(MainWindowTest, TabKeyInsertsSpacesAndTabsInTheTextAreExplained) {
    TfrmMain& w = Create();
    QsciScintilla* ed = Koda().txtKoda;
    Koda().SetSource(QStringLiteral("ab"));
    Koda().SetCaret(1, 3);
    QTest::keyClick(ed, Qt::Key_Tab);
    QTest::keyClicks(ed, QStringLiteral("x"));
    EXPECT_EQ(ed->text(), QStringLiteral("ab      x")); // x in column 9

    Koda().SetSource(QStringLiteral("       org $fffe\n       fdb 0\n\tldaa #1\n"));
    w.Run().Compile();
    EXPECT_EQ(ed->text(1 - 1 + 2), QStringLiteral("\tldaa #1\n"));
    EXPECT_EQ(
        Koda().Messages(),
        QStringList({"Napaka: neznan ukaz (napaka v vrstici 3)",
                     "Namig: vrstica vsebuje tabulator; oznako, ukaz in operand ločujejo samo presledki",
                     "Simulatorja ne morem zagnati!"}));

    // A TAB after a label at its definition: the hint names that line, not the use.
    Koda().SetSource(QStringLiteral("       org $fffe\n       fdb start\n       org $100\nstart\tnop\n"));
    w.Run().Compile();
    EXPECT_EQ(
        Koda().Messages(),
        QStringList({"Napaka v oznaki - oznaka ni definirana (napaka v vrstici 2)",
                     "Namig: vrstica 4 vsebuje tabulator, zato oznaka ni START; oznako, ukaz in operand "
                     "ločujejo samo presledki",
                     "Simulatorja ne morem zagnati!"}));

    Koda().SetSource(QStringLiteral("       org $fffe\n       fdb t\nt      ldaa t+200\n"));
    w.Run().Compile();
    EXPECT_TRUE(Koda().MessagesVisible());
    EXPECT_EQ(Koda().Messages(),
              QStringList({"Opozorilo: odmik +200 v \"T+200\" se bere kot bajt s predznakom, "
                           "zato se prišteje -56 (vrstica 3)"}));
}

TEST_F(MainWindowTest, UnknownMnemonicOnTheOnlyLine) {
    TfrmMain& w = Create();
    Koda().SetSource(" FOO");
    Koda().hide(); // the failure brings a hidden code window back
    w.Run().Compile();
    EXPECT_TRUE(Koda().isVisible());
    EXPECT_EQ(Koda().Messages(),
              QStringList({"Napaka: neznan ukaz (napaka v vrstici 1)", "Simulatorja ne morem zagnati!"}));
    EXPECT_EQ(Koda().ErrorLine(), 1);
}

TEST_F(MainWindowTest, LabelHintOnMouseRelease) {
    TfrmMain& w = Create();
    w.Run().Compile();
    QsciScintilla* ed = Koda().txtKoda;
    // Line 12: "       clr stevec+1 ..." -- the operand starts in column 12.
    QTest::mouseClick(ed->viewport(), Qt::LeftButton, {}, PointOf(ed, 12, 14));
    EXPECT_EQ(Koda().WordAtCaret(), QStringLiteral("stevec+1"));
    EXPECT_TRUE(Koda().LabelHintVisible());
    EXPECT_EQ(Koda().LabelHintText(), QStringLiteral("STEVEC+1: $1001"));
    // The hint goes after five ticks.
    for (int i = 0; i < 5; ++i)
        QMetaObject::invokeMethod(Part<QTimer>("Timer1"), "timeout");
    EXPECT_FALSE(Koda().LabelHintVisible());

    // An empty line shows nothing.
    QTest::mouseClick(ed->viewport(), Qt::LeftButton, {}, PointOf(ed, 13, 1));
    EXPECT_TRUE(Koda().WordAtCaret().isEmpty());
    EXPECT_FALSE(Koda().LabelHintVisible());
    // The comment after "stevec+1;" is not part of the word.
    Koda().SetCaret(14, 16);
    EXPECT_EQ(Koda().WordAtCaret(), QStringLiteral("stevec+1"));
}

TEST_F(MainWindowTest, JumpToMemoryTakesLabelOrNumber) {
    TfrmMain& w = Create();
    w.Run().Compile();
    Koda().SetCaret(11, 2); // "zaceti"
    Koda().JumpToMemory();
    EXPECT_EQ(w.AddressView().MemoryTop(), 0x2000);
    Koda().SetCaret(4, 13); // "$1000"
    Koda().JumpToMemory();
    EXPECT_EQ(w.AddressView().MemoryTop(), 0x1000);
    Koda().SetCaret(7, 28); // "reset" -- no label, no number
    Koda().JumpToMemory();
    EXPECT_EQ(w.AddressView().MemoryTop(), 0x1000);
    EXPECT_EQ(prompt.Messages.size(), 1);
    // Numbers beyond the address space are refused rather than wrapped.
    Koda().SetSource(QStringLiteral(" 70000 65535 $1FFFF"));
    Koda().SetCaret(1, 3);
    Koda().JumpToMemory();
    EXPECT_EQ(w.AddressView().MemoryTop(), 0x1000);
    EXPECT_EQ(prompt.Messages.size(), 2);
    Koda().SetCaret(1, 9);
    Koda().JumpToMemory();
    EXPECT_EQ(w.AddressView().MemoryTop(), 0xFFFF);
    Koda().SetCaret(1, 15);
    Koda().JumpToMemory();
    EXPECT_EQ(prompt.Messages.size(), 3);
}

TEST_F(MainWindowTest, CommandHelpOpensTheCommandPage) {
    Create();
    QStringList opened;
    Koda().OpenExternal = [&](const QString& path) { opened << path; };
    Koda().ShowCommandHelp("ldaa");
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].endsWith("/help/commands/LDAA.htm")) << opened[0].toStdString();
    Koda().ShowCommandHelp("stevec");
    Koda().ShowCommandHelp("");
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(MainWindowTest, ListingWindowShowsTheLastListing) {
    TfrmMain& w = Create();
    QWidget* listing = Part<QWidget>("frmListing");
    QsciScintilla* text = Part<QsciScintilla>("txtListing");
    Action("Listing1")->trigger(); // nothing assembled yet
    ASSERT_EQ(prompt.Messages.size(), 1);
    EXPECT_FALSE(listing->isVisible());
    w.Run().Compile();
    Action("Listing1")->trigger();
    EXPECT_TRUE(listing->isVisible());
    EXPECT_TRUE(text->text().contains("2000 7F1000")) << text->text().toStdString();
    EXPECT_TRUE(text->text().contains("števcu"));
    listing->findChild<QAction*>(QStringLiteral("CloseBtn"))->trigger();
    EXPECT_FALSE(listing->isVisible());
    // Escape in the text closes the window too.
    Action("Listing1")->trigger();
    EXPECT_TRUE(listing->isVisible());
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_FALSE(listing->isVisible());
}

TEST_F(MainWindowTest, ListingWriteErrorIsReportedOnce) {
    TfrmMain& w = Create();
    const QString path = temp.filePath("no/such/dir/list.lst");
    w.Session().ListingPath = path.toStdString();
    w.Run().Compile();
    ASSERT_EQ(prompt.Messages.size(), 1) << prompt.Messages.join('\n').toStdString();
    // The number, then where and why.
    EXPECT_EQ(prompt.Messages[0],
              "Integrna napaka pri pisanju listinga: 1 (zapomni si stevilko\nNe morem ustvariti "
              "datoteke \"" +
                  path + "\": datoteka ali mapa ne obstaja");
    EXPECT_FALSE(Koda().MessagesVisible()); // the assembly itself succeeded
    // Without a listing at all, "Listing" says so instead of naming an empty path.
    w.Session().ListingPath.clear();
    w.Run().Compile();
    Action("Listing1")->trigger();
    EXPECT_EQ(prompt.Messages.last(), QStringLiteral("Listing se ne zapisuje."));
}

TEST_F(MainWindowTest, FindAndReplaceInTheEditor) {
    Create();
    // Both dialogs come from the menu, the replace dialog also from the code window's menu.
    Action("mnuNajdi")->trigger();
    Koda().mnuZamenjaj->trigger();
    QDialog* find = Part<QDialog>("FindDialog1");
    QDialog* replace = Part<QDialog>("ReplaceDialog1");
    EXPECT_TRUE(find->isVisible());
    EXPECT_TRUE(replace->isVisible());
    // A load takes the replace dialog away: the text is locked.
    main->Run().Load();
    EXPECT_FALSE(replace->isVisible());
    EXPECT_TRUE(find->isVisible());
    main->Run().Stop();

    Koda().SetSource("ldaa stevec\nstaa STEVEC\nldaa stevec1\n");
    Koda().SetCaret(1, 1);
    auto findPart = [](QDialog* dialog, const char* name) { return dialog->findChild<QWidget*>(name); };
    qobject_cast<QLineEdit*>(findPart(find, "txtFind"))->setText("STEVEC");
    qobject_cast<QCheckBox*>(findPart(find, "cbMatchCase"))->setChecked(true);
    qobject_cast<QPushButton*>(findPart(find, "btnFind"))->click();
    EXPECT_EQ(Koda().CaretLine(), 2);
    // Upwards without regard to case: from the match on line 2 to the one on line 1.
    qobject_cast<QCheckBox*>(findPart(find, "cbMatchCase"))->setChecked(false);
    qobject_cast<QRadioButton*>(findPart(find, "rbUp"))->setChecked(true);
    qobject_cast<QPushButton*>(findPart(find, "btnFind"))->click();
    EXPECT_EQ(Koda().CaretLine(), 1);
    EXPECT_EQ(Koda().txtKoda->selectedText(), QStringLiteral("stevec"));
    qobject_cast<QPushButton*>(findPart(find, "btnFind"))->click(); // nothing further up: the selection stays
    EXPECT_EQ(Koda().CaretLine(), 1);
    qobject_cast<QLineEdit*>(findPart(replace, "txtFind"))->setText("stevec");
    qobject_cast<QLineEdit*>(findPart(replace, "txtReplace"))->setText("x");
    qobject_cast<QCheckBox*>(findPart(replace, "cbWholeWord"))->setChecked(true);
    qobject_cast<QPushButton*>(findPart(replace, "btnReplaceAll"))->click();
    EXPECT_EQ(Koda().Lines(), QStringList({"ldaa x", "staa x", "ldaa stevec1"}));
    // One undo step takes the whole replacement back.
    Koda().txtKoda->undo();
    EXPECT_EQ(Koda().Lines(), QStringList({"ldaa stevec", "staa STEVEC", "ldaa stevec1"}));
}

TEST_F(MainWindowTest, CompletionOffersMnemonicsForThePrefix) {
    Create();
    QsciScintilla* ed = Koda().txtKoda;
    Koda().SetSource(QStringLiteral(" bh"));
    Koda().SetCaret(1, 4);
    Koda().ShowCompletion();
    ASSERT_TRUE(ed->isListActive());
    // The list is 262 pixels wide inside its frame (its own style; the editor's parts keep the
    // plain one).
    QListWidget* list = ed->findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->width(), 264);
    EXPECT_TRUE(ed->styleSheet().isEmpty());
    // The list holds BHI and BHS (the alternative spelling of BCC), nothing else.
    ed->SendScintilla(QsciScintillaBase::SCI_AUTOCCOMPLETE);
    EXPECT_EQ(Koda().Lines()[0], QStringLiteral(" BHI"));
    Koda().SetSource(QStringLiteral(" zz"));
    Koda().SetCaret(1, 4);
    Koda().ShowCompletion();
    EXPECT_FALSE(ed->isListActive());
}

TEST_F(MainWindowTest, MaximisedCodeWindowLeavesTheStripVisible) {
    Create();
    Koda().showMaximized();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_GE(Koda().geometry().top(), 107);
    EXPECT_FALSE(Koda().windowState() & Qt::WindowMaximized);
}

TEST(AsmLexerTest, ListingPrefixIsColouredApartFromTheSource) {
    TAsmLexer lexer(TAsmLexer::Screen);
    lexer.SetKeywords({"CLR", "FCC"});
    lexer.ListingMode = true;
    EXPECT_EQ(Styles(lexer, "   11  2000 7F1000       clr x ;c"), "...cc..nnnn.nnnnnn.......kkk.i.cc");
    EXPECT_EQ(Styles(lexer, "    3                   * c"), "....c...................ccc");
    // A field longer than 16 characters is followed by exactly one blank.
    EXPECT_EQ(Styles(lexer, "    5  1000 41424344454647  fcc"), "....c..nnnn.nnnnnnnnnnnnnn..kkk");
}
