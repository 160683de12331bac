// The value-entry dialog and the log window.
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/gui/scriptedprompt.h"
#include "windows/logwindow.h"
#include "windows/vnos.h"

namespace {

// Shows the dialog without a modal loop so keys can be sent to it.
void Open(TfrmVnos& dialog, const QString& prompt, const QString& initial) {
    dialog.Prepare(prompt, initial);
    dialog.open();
    ASSERT_TRUE(dialog.isVisible());
}

} // namespace

TEST(ValueDialogTest, UntouchedConfirmReturnsInitialText) {
    TfrmVnos dialog;
    Open(dialog, "Vrednost registra A :", "$00FF");
    EXPECT_EQ(dialog.windowTitle(), "Vnos");
    EXPECT_EQ(dialog.Entry()->selectedText(), "00FF"); // from the second character on
    QTest::keyClick(dialog.Entry(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.Confirmed);
    EXPECT_EQ(dialog.EntryText, "$00FF");
}

TEST(ValueDialogTest, TypingReplacesAllButTheDollar) {
    TfrmVnos dialog;
    Open(dialog, "Vrednost registra A :", "$00FF");
    QTest::keyClicks(dialog.Entry(), "1f");
    QTest::keyClick(dialog.Entry(), Qt::Key_Enter);
    EXPECT_TRUE(dialog.Confirmed);
    EXPECT_EQ(dialog.EntryText, "$1f");
}

TEST(ValueDialogTest, EscapeCancelsWhateverWasTypedAndKeepsLastConfirmedText) {
    TfrmVnos dialog;
    Open(dialog, "p", "$12");
    QTest::keyClick(dialog.Entry(), Qt::Key_Return);
    ASSERT_EQ(dialog.EntryText, "$12");

    Open(dialog, "p", "$34");
    EXPECT_FALSE(dialog.Confirmed); // reset when shown
    QTest::keyClicks(dialog.Entry(), "99");
    QTest::keyClick(dialog.Entry(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Confirmed);
    EXPECT_EQ(dialog.EntryText, "$12");
}

TEST(ValueDialogTest, CancelButtonAndOneCharacterText) {
    TfrmVnos dialog;
    Open(dialog, "p", "$");
    EXPECT_TRUE(dialog.Entry()->selectedText().isEmpty());
    EXPECT_EQ(dialog.Entry()->cursorPosition(), 1);
    QTest::keyClicks(dialog.Entry(), "7");
    EXPECT_EQ(dialog.Entry()->text(), "$7");
    dialog.CancelButton()->click();
    EXPECT_FALSE(dialog.Confirmed);
}

TEST(ValueDialogTest, AskEntryIntegerConvertsOrReportsAndChangesNothing) {
    TScriptedPrompt prompt;
    prompt.Values = {QString("$1F"), QString(), QString("abc")};
    EXPECT_EQ(AskEntryInteger("p", "$0000"), 0x1F);
    EXPECT_FALSE(AskEntryInteger("p", "$0000")); // cancelled: no message
    EXPECT_TRUE(prompt.Messages.isEmpty());
    EXPECT_FALSE(AskEntryInteger("p", "$0000")); // invalid: message naming the text
    ASSERT_EQ(prompt.Messages.size(), 1);
    EXPECT_TRUE(prompt.Messages[0].contains("'abc'"));

    // Pasted junk is quoted only by its start.
    prompt.Values = {QString(5000, QLatin1Char('z'))};
    EXPECT_FALSE(AskEntryInteger("p", "$0000"));
    ASSERT_EQ(prompt.Messages.size(), 2);
    EXPECT_LT(prompt.Messages[1].size(), 100);
    EXPECT_TRUE(prompt.Messages[1].startsWith("'zzzz"));
}

// ---------------------------------------------------------------------------------------------

namespace {
TLogRecord Record(uint16_t pc, uint8_t pending) {
    TLogRecord r;
    r.PC = pc;
    r.Line = 4;
    r.Opcode = 0x86;
    r.A = 0x1F;
    r.CCR = 0xD4;
    r.Pending = pending;
    return r;
}
} // namespace

TEST(LogWindowTest, RowsArriveInBatchesAndClearWritesTheHeaderAgain) {
    TLog log;
    TfrmLog window(log);
    EXPECT_EQ(window.windowTitle(), "Dnevnik");
    EXPECT_EQ(window.ClearButton()->text(), "Brisi dnevnik");
    TLogModel& model = *window.Model();

    log.AppendHeader();
    for (int i = 0; i < 1000; ++i)
        log.Append(Record(static_cast<uint16_t>(0x2000 + i), 1 << 3));
    EXPECT_EQ(model.rowCount(), 0); // announced later, in one batch
    model.Flush();
    ASSERT_EQ(model.rowCount(), 1001);
    EXPECT_EQ(model.RowText(0), QString(TLog::kHeader));
    EXPECT_EQ(model.data(model.index(0, 9)).toString(), "  HINZVC");
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), "2000");
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "4");
    EXPECT_EQ(model.data(model.index(1, 9)).toString(), "11010100");
    EXPECT_EQ(model.data(model.index(1, 11)).toString(), "3");
    EXPECT_EQ(model.data(model.index(1000, 0)).toString(), "23E7");

    window.ClearButton()->click();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(log.Size(), 1u);
    EXPECT_EQ(model.RowText(0), QString(TLog::kHeader));
}

TEST(LogWindowTest, LogEmptiedElsewhereResetsTheModel) {
    TLog log;
    TLogModel model(log);
    log.Append(Record(0x2000, 0));
    log.Append(Record(0x2001, 0));
    model.Flush();
    log.Clear();
    model.Flush();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.data(model.index(0, 0)).isValid());
}

// A shown log window with its header row.
class LogViewTest : public ::testing::Test {
protected:
    LogViewTest() {
        window.resize(601, 480);
        window.show();
        log.AppendHeader();
    }
    TLog log;
    TfrmLog window{log};
    TLogView& view = *window.View();
};

// Rows that keep coming while the view follows the end are drawn at once; the scroll bar
// catches up a little later, or as soon as the user moves it.
TEST_F(LogViewTest, ScrollBarCatchesUpWithAFollowedLog) {
    QScrollBar& bar = *view.verticalScrollBar();
    auto append = [&](int rows) {
        for (int i = 0; i < rows; ++i)
            log.Append(Record(0x2000, 0));
        window.Model()->Flush();
    };
    append(300);
    const int max = bar.maximum();
    append(50);
    EXPECT_EQ(bar.maximum(), max);
    EXPECT_TRUE(view.AtBottom());
    EXPECT_EQ(view.FirstVisibleRow(), 351 - view.VisibleRows());
    for (QDeadlineTimer deadline(5000); bar.maximum() == max && !deadline.hasExpired();)
        QTest::qWait(10);
    EXPECT_EQ(bar.maximum(), 351 - view.VisibleRows());
    EXPECT_EQ(bar.value(), bar.maximum());

    append(50);
    bar.setValue(20); // the user scrolls up before the bar has caught up
    EXPECT_EQ(bar.maximum(), 401 - view.VisibleRows());
    EXPECT_EQ(view.FirstVisibleRow(), 20);
    append(50);
    EXPECT_EQ(view.FirstVisibleRow(), 20);
}

TEST_F(LogViewTest, ViewFollowsTheEndOnlyWhileAtTheEndAndCopiesSelectedLines) {
    for (int i = 0; i < 500; ++i)
        log.Append(Record(static_cast<uint16_t>(0x2000 + i), 0));
    window.Model()->Flush();
    EXPECT_TRUE(view.AtBottom());
    EXPECT_EQ(view.FirstVisibleRow(), 501 - view.VisibleRows());

    // Scrolled up by the user: new lines do not pull the view down.
    view.verticalScrollBar()->setValue(10);
    log.Append(Record(0x3000, 0));
    window.Model()->Flush();
    EXPECT_EQ(view.FirstVisibleRow(), 10);

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(20, view.RowHeight() / 2));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(20, view.RowHeight() * 3 / 2));
    EXPECT_EQ(view.SelectionFirst(), 10);
    EXPECT_EQ(view.SelectionLast(), 11);
    const QString text = view.SelectedText();
    EXPECT_TRUE(text.startsWith("2009\t4\t86\t"));
    EXPECT_EQ(text.count('\n'), 2);
}

// Rows arriving at the followed end move the drawn rows up and paint only the new ones; what is
// on the screen then is what a whole repaint draws.
TEST_F(LogViewTest, RowsArrivingAtTheEndLookAsIfRepaintedWhole) {
    QScreen* screen = window.screen();
    ASSERT_TRUE(screen);
    const auto onScreen = [&] {
        QCoreApplication::processEvents();
        return screen->grabWindow(window.winId()).toImage();
    };
    const auto append = [&](int rows, int frames) {
        for (int frame = 0; frame < frames; ++frame) {
            for (int i = 0; i < rows; ++i)
                log.Append(
                    Record(static_cast<uint16_t>(0x2000 + log.Size()), static_cast<uint8_t>(log.Size())));
            window.Model()->Flush();
            QCoreApplication::processEvents();
        }
    };
    append(20, 1); // not yet a page: the new rows are painted below the old ones
    append(1, 40); // a page and more, one row at a time
    append(3, 5);
    const QImage moved = onScreen();
    view.viewport()->update();
    EXPECT_EQ(onScreen(), moved);
    EXPECT_TRUE(view.AtBottom());
}
