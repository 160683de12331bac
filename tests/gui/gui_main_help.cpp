// Help: the help menu, F1, the help viewer that stands in for a missing desktop program, the
// notes "O pomoči" and "O programu".
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <Qsci/qsciglobal.h>

#include "gui_main_fixture.h"
#include "isa/isa.h"
#include "workbench/frmoprogramu.h"
#include "workbench/help.h"
#include "workbench/helpviewer.h"

TEST_F(MainWindowTest, AboutHelpHasItsThreeParagraphs) {
    Create();
    Action("mnuOPomoci")->trigger();
    ASSERT_EQ(prompt.Messages.size(), 1);
    const QStringList paragraphs = prompt.Messages[0].split(QStringLiteral("\n\n"));
    ASSERT_EQ(paragraphs.size(), 3);
    EXPECT_EQ(paragraphs[0],
              QStringLiteral("Pomoč pokriva uporabo simulatorja in mikrokontrolerja MC6803. "));
    EXPECT_EQ(paragraphs[1],
              QStringLiteral("Opis uporabe posameznih ukazov je dostopen tudi iz urejevalnika s "
                             "pritiskom tipke F1."));
    EXPECT_TRUE(
        paragraphs[2].startsWith(QStringLiteral("Vsebina pomoči je shranjena v obliki HTML dokumentov, "
                                                "zato je za uspešno uporabo pomoči potreben program ")));
}

TEST(WordAtCaretTest, BlanksBoundTheWordAndACommentEndsIt) {
    const QString line = QStringLiteral("zanka   ldaa #$10;prištejemo   nop ;konec");
    const struct {
        int col;
        const char* word;
    } cases[] = {
        {1, "zanka"}, {9, "ldaa"}, {12, "ldaa"}, {13, "ldaa"}, // on the blank right after it
        {14, "$10"},  {16, "$10"}, {20, "$10"},                // in a comment written onto the word
        {33, "nop"},  {35, "nop"}, {36, ""},     {38, ""},     // in a comment after a blank
        {7, ""},      {41, ""},    {42, ""},                   // on a blank; beyond the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(TfrmKoda::WordAt(line, c.col), QString::fromUtf8(c.word)) << "column " << c.col;
    EXPECT_EQ(TfrmKoda::WordAt(QStringLiteral("x"), 1), QString());
    EXPECT_EQ(TfrmKoda::WordAt(QStringLiteral(" ldx stevec*2"), 6), QStringLiteral("stevec"));
}

TEST_F(MainWindowTest, F1FindsEveryMnemonicInEitherCase) {
    Create();
    QStringList opened;
    Koda().OpenExternal = [&](const QString& path) { opened << path; };
    const QStringList directives = {"END", "EQU", "FCB", "FCC", "FDB", "NAM", "ORG", "RMB", "SM"};
    int words = 0;
    for (const std::string& keyword : IsaCompletionWords()) {
        const QString word = QString::fromStdString(keyword);
        if (directives.contains(word)) continue;
        for (const QString& spelling : {word, word.toLower()}) {
            opened.clear();
            Koda().ShowCommandHelp(spelling);
            ASSERT_EQ(opened.size(), 1) << spelling.toStdString();
            EXPECT_TRUE(QFile::exists(opened[0])) << opened[0].toStdString();
        }
        ++words;
    }
    EXPECT_EQ(words, 118 + 6); // the mnemonics and the six other spellings
}

TEST_F(MainWindowTest, HelpOpensWithTheDesktopElseInTheViewerWhereLinksWork) {
    TfrmMain& w = Create();
    QStringList desktop;
    bool desktopWorks = true;
    w.Help().DesktopOpen = [&](const QString& path) {
        desktop << path;
        return desktopWorks;
    };
    Action("mnuKazalo")->trigger();
    ASSERT_EQ(desktop.size(), 1);
    EXPECT_TRUE(desktop[0].endsWith(QStringLiteral("/help/manual.htm")));
    EXPECT_FALSE(w.Help().HasViewer());

    // No program for HTML on this desktop: the viewer shows the page.
    desktopWorks = false;
    Action("mnuSeznamUkazov")->trigger();
    ASSERT_TRUE(w.Help().HasViewer());
    THelpViewer& viewer = w.Help().Viewer();
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_TRUE(viewer.Page().toLocalFile().endsWith(QStringLiteral("/help/commands.htm")));
    // A link, as a click follows it, and back.
    viewer.Browser()->setSource(QUrl(QStringLiteral("commands/LDAA.htm")));
    EXPECT_TRUE(viewer.Browser()->toPlainText().contains(QStringLiteral("Naloži operand v A")));
    viewer.Browser()->setSource(QUrl(QStringLiteral("../manual.htm#pasti")));
    EXPECT_GT(viewer.Browser()->verticalScrollBar()->value(), 0); // at the anchor
    viewer.Browser()->backward();
    EXPECT_TRUE(viewer.Browser()->toPlainText().contains(QStringLiteral("Naloži operand v A")));
    // F1 goes the same way.
    Koda().ShowCommandHelp(QStringLiteral("staa"));
    EXPECT_TRUE(viewer.Page().toLocalFile().endsWith(QStringLiteral("/help/commands/STAA.htm")));
    EXPECT_EQ(desktop.size(), 3);
    viewer.close();
}

TEST_F(MainWindowTest, AboutWindowNamesVersionLicenceAndLibrariesAndClosesOnEscape) {
    Create();
    QString text;
    bool modal = false, closed = false;
    prompt.OnDialog = [&](QDialog& d) {
        d.show();
        modal = d.isModal();
        text = static_cast<TfrmOProgramu&>(d).Text();
        QTest::keyClick(&d, Qt::Key_Escape);
        closed = !d.isVisible();
        return false;
    };
    Action("mnuOProgramu")->trigger();
    EXPECT_EQ(prompt.Shown, QStringList{QStringLiteral("frmOProgramu")});
    EXPECT_EQ(TfrmOProgramu::Version(), QStringLiteral(ORLEK_VERSION));
    for (const QString& part :
         {QStringLiteral("Različica " ORLEK_VERSION), QStringLiteral("Licenca: GNU General Public License"),
          QStringLiteral("Qt ") + QString::fromLatin1(qVersion()),
          QStringLiteral("QScintilla " QSCINTILLA_VERSION_STR)})
        EXPECT_TRUE(text.contains(part)) << part.toStdString();
    EXPECT_TRUE(modal);
    EXPECT_TRUE(closed);
}
