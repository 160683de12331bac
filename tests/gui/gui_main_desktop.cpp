// The workbench on a desktop: the layout on the screen, dialogs above the tool windows, the
// tool-window frame, the strip's width.
#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QResizeEvent>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QWindow>

#include "tests/gui/gui_main_fixture.h"
#include "windows/frmspremenljivke.h"
#include "windows/registerpanels.h"
#include "windows/toolframe.h"
#include "windows/vnos.h"
#include "workbench/frmprintpreview.h"
#include "workbench/translations.h"
#include "workbench/windowlayout.h"

namespace {

using WindowLayout::TWish;

// The windows of a first start as their frames ask (client size and a 4/24/4/4 frame).
QList<TWish> FirstStartWishes() {
    const QSize frame(8, 28);
    const QSize sizes[] = {{580, 384}, {230, 400}, {190, 120}, {150, 110}, {430, 300},
                           {300, 330}, {300, 320}, {300, 360}, {600, 220}, {601, 480}};
    QList<TWish> wishes;
    for (const QSize& s : sizes)
        wishes.append({s + frame, QSize(60, 20) + frame});
    return wishes;
}

} // namespace

// At every screen size and scale the windows lie inside the screen, below the strip.
TEST(WindowLayoutTest, FirstStartFitsEveryScreenBelowTheStrip) {
    const struct {
        QRect area;
        int stripBottom;
    } screens[] = {
        {{0, 0, 1280, 800}, 120},  {{0, 0, 1366, 768}, 120},
        {{0, 0, 1920, 1080}, 120}, {{0, 0, 960, 540}, 126}, // 1920 x 1080 at 200 %
        {{0, 30, 1280, 770}, 150},                          // a panel at the top of the screen
    };
    for (const auto& s : screens) {
        const QList<QRect> rects = WindowLayout::LayOut(s.area, s.stripBottom, FirstStartWishes());
        ASSERT_EQ(rects.size(), FirstStartWishes().size());
        for (const QRect& r : rects) {
            EXPECT_TRUE(s.area.contains(r)) << s.area.width() << "x" << s.area.height() << ": " << r.x()
                                            << "," << r.y() << " " << r.width() << "x" << r.height();
            EXPECT_GE(r.top(), s.stripBottom) << s.area.width();
        }
        // The code window keeps its place at the left and its size wherever there is room.
        EXPECT_EQ(rects[0].left(), s.area.left() + WindowLayout::kLeft);
        if (s.area.height() > 600) EXPECT_EQ(rects[0].size(), FirstStartWishes()[0].size);
        // The two windows shown at first never cover each other.
        EXPECT_FALSE(rects[0].intersects(rects[1])) << s.area.width();
    }
    // A wide screen spreads the windows across it rather than piling them at the left.
    const QList<QRect> wide = WindowLayout::LayOut({0, 0, 1920, 1080}, 120, FirstStartWishes());
    int right = 0;
    for (const QRect& r : wide)
        right = std::max(right, r.right());
    EXPECT_GT(right, 1400);
    // Below a low strip the first row starts at 115, where it always stood.
    EXPECT_EQ(WindowLayout::LayOut({0, 0, 1280, 800}, 90, FirstStartWishes())[0].topLeft(), QPoint(5, 115));
}

TEST(WindowLayoutTest, RestoredFramesAreMovedOntoTheirScreen) {
    const QRect area(0, 0, 1280, 800);
    const QList<QRect> screens = {area, QRect(1280, 0, 1024, 768)};
    const struct {
        QRect frame, expected;
    } cases[] = {
        {{100, 100, 400, 300}, {100, 100, 400, 300}},  // inside: left alone
        {{1000, 100, 400, 300}, {880, 100, 400, 300}}, // past the right edge
        {{100, 700, 400, 300}, {100, 500, 400, 300}},  // past the bottom
        {{-50, -20, 400, 300}, {0, 0, 400, 300}},      // above and left of it
        {{10, 115, 2000, 2000}, {0, 0, 1280, 800}},    // larger than the screen
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowLayout::KeepInside(c.frame, WindowLayout::ScreenOf(c.frame, screens)), c.expected)
            << c.frame.x() << "," << c.frame.y();
    // A frame mostly on the second screen belongs to it.
    EXPECT_EQ(WindowLayout::ScreenOf({1200, 100, 400, 300}, screens), screens[1]);
    EXPECT_EQ(WindowLayout::ScreenOf({5000, 100, 400, 300}, screens), screens[0]);
}

// Every question of the interactive prompt comes up above the stay-on-top tool windows with the
// focus: it stays on top itself and is the active window.
TEST_F(MainWindowTest, DialogsComeUpAboveTheToolWindowsWithFocus) {
    Create();
    SetPrompt(nullptr); // the real dialogs
    TPrompt& real = Prompt();
    QStringList seen;
    const auto answer = [&seen](const char* what) {
        QTimer::singleShot(50, [&seen, what] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) {
                seen << QStringLiteral("%1: none").arg(what);
                return;
            }
            const bool onTop = modal->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            const bool fits = modal->screen()->availableGeometry().contains(modal->frameGeometry());
            seen << QStringLiteral("%1: %2 %3")
                        .arg(QLatin1String(what), onTop ? "above" : "below", fits ? "fits" : "off-screen");
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        });
    };
    answer("message");
    real.ShowMessage("Orlek", "x");
    answer("error");
    real.ShowError("Orlek", "x");
    answer("question");
    real.AskYesNoCancel("Shranim spremenjeno?", "x");
    answer("yes/no");
    real.AskYesNo("Orlek", "x");
    answer("value");
    real.AskValue("Vrednost", "$00");
    answer("open");
    real.ChooseOpenFile("Odpri", temp.path(), "*.asm");
    answer("save");
    real.ChooseSaveFile("Shrani kot", temp.path(), "*.asm");
    TfrmPrintPreview& preview = *Part<TfrmPrintPreview>("frmPrintPreview");
    answer("preview");
    real.ExecDialog(preview);
    SetPrompt(&prompt);
    EXPECT_EQ(seen, QStringList({"message: above fits", "error: above fits", "question: above fits",
                                 "yes/no: above fits", "value: above fits", "open: above fits",
                                 "save: above fits", "preview: above fits"}));
}

// The windows the menus open without a modal loop come up above the tool windows too.
TEST_F(MainWindowTest, WindowsOpenedFromMenusStayAboveAndTakeTheFocus) {
    Create();
    Action("mnuNajdi")->trigger();
    QWidget* find = Part<QWidget>("FindDialog1");
    ASSERT_TRUE(find->isVisible());
    EXPECT_TRUE(find->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(QTest::qWaitForWindowActive(find));

    // The listing of an assembly.
    Action("mnuPrevedi")->trigger();
    Action("Listing1")->trigger();
    QWidget* listing = Part<QWidget>("frmListing");
    ASSERT_TRUE(listing->isVisible());
    EXPECT_TRUE(listing->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(QTest::qWaitForWindowActive(listing));
}

// Tool windows have a close button only and stand alone for the window manager, so minimising
// one (where a window manager still offers it) does not take the whole workbench along.
TEST_F(MainWindowTest, ToolWindowsHaveACloseOnlyFrameAndStandAlone) {
    TfrmMain& w = Create();
    for (const TToolWindow& t : w.Windows().Windows()) {
        SCOPED_TRACE(t.key.toStdString());
        const Qt::WindowFlags f = t.window->windowFlags();
        EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Tool);
        EXPECT_TRUE(f.testFlag(Qt::CustomizeWindowHint));
        EXPECT_TRUE(f.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(f.testFlag(Qt::WindowMinimizeButtonHint));
        // The code window, where the student works, may be maximised.
        EXPECT_EQ(f.testFlag(Qt::WindowMaximizeButtonHint), t.key == QLatin1String("code"));
        t.window->show();
        ASSERT_NE(t.window->windowHandle(), nullptr);
        EXPECT_EQ(t.window->windowHandle()->transientParent(), nullptr);
    }
    // Re-created by a change of its stay-on-top style, a window still stands alone.
    auto* memory = Part<TToolFrame>("frmSpomin");
    memory->ToggleStayOnTop();
    EXPECT_EQ(memory->windowHandle()->transientParent(), nullptr);
    // The strip minimises only; it takes the tool windows along and brings them back.
    const Qt::WindowFlags main = w.windowFlags();
    EXPECT_TRUE(main.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(main.testFlag(Qt::WindowMaximizeButtonHint));
    w.showMinimized();
    EXPECT_TRUE(memory->isMinimized());
    w.showNormal();
    EXPECT_FALSE(memory->isMinimized());
    EXPECT_TRUE(w.Windows().IsVisible("memory"));
}

// "Razporedi okna" lays the shown windows out below the strip, inside the screen.
TEST_F(MainWindowTest, ArrangeWindowsPutsTheShownWindowsOnTheScreen) {
    TfrmMain& w = Create();
    for (const char* key : {"port1", "sci", "trace", "watches"})
        w.Windows().Toggle(key);
    for (const TToolWindow& t : w.Windows().Windows())
        t.window->move(3000, 3000);
    Action("mnuRazporedi")->trigger();
    const QRect area = w.screen()->availableGeometry();
    for (const TToolWindow& t : w.Windows().Windows()) {
        if (!w.Windows().IsVisible(t.key)) continue;
        EXPECT_TRUE(area.contains(t.window->frameGeometry())) << t.key.toStdString();
        EXPECT_GT(t.window->frameGeometry().top(), w.frameGeometry().bottom()) << t.key.toStdString();
    }
    EXPECT_EQ(Koda().pos(), QPoint(5, 115));
}

TEST_F(MainWindowTest, RegisterPanelsStayEmptyUntilTheFirstLoad) {
    TfrmMain& w = Create();
    TRegisterPanels* panels = Part<TRegisterPanels>("RegisterPanels");
    const auto empty = [panels] {
        for (TTextGrid* grid : {panels->Registers(), panels->Flags(), panels->Cycles()})
            for (int c = 0; c < grid->ColumnCount(); ++c)
                for (int r = 0; r < grid->RowCount(); ++r)
                    if (!grid->Cell(c, r).isEmpty()) return false;
        return true;
    };
    EXPECT_TRUE(empty());
    w.Run().RefreshDisplay(); // a window asking for a refresh before any load
    EXPECT_TRUE(empty());
    w.Run().Load();
    EXPECT_EQ(panels->Registers()->Cell(0, 0), QStringLiteral("A: $00"));
    EXPECT_EQ(panels->Flags()->Cell(0, 0), QStringLiteral("H"));
    EXPECT_EQ(panels->Cycles()->Cell(0, 0), QStringLiteral("Cikli: 0"));
}

// Ctrl+A reaches the strip from every tool window: it acts on the window that has the focus.
TEST_F(MainWindowTest, SelectAllActsOnTheFocusedWindow) {
    TfrmMain& w = Create();
    w.Windows().Toggle("watches");
    auto* watches = Part<TfrmSpremenljivke>("frmSpremenljivke");
    ASSERT_TRUE(watches->AddWatch("$1000", WatchSize::Byte));
    watches->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(watches));
    // The list (one row at a time) has nothing more to select: the code window is left alone.
    watches->Table()->setFocus();
    Action("mnuIzberiVse")->trigger();
    EXPECT_FALSE(Koda().txtKoda->hasSelectedText());
    // The entry field's text is selected.
    auto* field = watches->findChild<QLineEdit*>("txtNaslov");
    field->setText("STEVEC");
    field->setFocus();
    Action("mnuIzberiVse")->trigger();
    EXPECT_EQ(field->selectedText(), QStringLiteral("STEVEC"));
    EXPECT_FALSE(Koda().txtKoda->hasSelectedText());
    // With the focus on the strip the code window's text is selected, as before.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    Part<QWidget>("RegisterPanels")->setFocus();
    Action("mnuIzberiVse")->trigger();
    EXPECT_TRUE(Koda().txtKoda->hasSelectedText());
}

// A narrow strip drops the captions of the buttons with pictures; NMI stays in view.
TEST_F(MainWindowTest, NmiButtonStaysInViewInANarrowStrip) {
    TfrmMain& w = Create();
    auto* bar = Part<QToolBar>("ToolBar1");
    for (int width : {900, 760}) {
        w.resize(width, w.height());
        QApplication::processEvents();
        QWidget* nmi = bar->widgetForAction(w.Run().btnNMI);
        ASSERT_NE(nmi, nullptr);
        EXPECT_TRUE(nmi->isVisible()) << width;
        EXPECT_LE(nmi->geometry().right(), bar->width()) << width;
    }
    w.resize(1800, w.height());
    EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
}

// The toolkit's texts the print and file dialogs show come in Slovenian, the ones Debian's
// catalogue lacks from the workbench's own.
TEST(TranslationsTest, PrintAndFileDialogTextsAreSlovenian) {
    InstallTranslations();
    const struct {
        const char* context;
        const char* source;
        const char* comment;
        const char* slovenian;
    } texts[] = {
        {"QPrintDialog", "Write PDF file", nullptr, "Zapiši datoteko PDF"},
        {"QPrintDialog", "All Pages", nullptr, "Vse strani"},
        {"QPrintSettingsOutput", "Pages", nullptr, "Strani"},
        {"QPrintSettingsOutput", "Page Set:", nullptr, "Nabor strani:"},
        {"QAbstractFileIconProvider", "Folder", "All other platforms", "Mapa"},
        {"QPlatformTheme", "Cancel", nullptr, "Prekliči"},
        {"QPlatformTheme", "&Yes", nullptr, "&Da"},
    };
    for (const auto& t : texts)
        EXPECT_EQ(QCoreApplication::translate(t.context, t.source, t.comment), QString::fromUtf8(t.slovenian))
            << t.source;
}
