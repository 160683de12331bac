// The symbol window, the watch window and the address-space window's instruction list as the user
// drives them, over a real board.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "assembler/compiler.h"
#include "session/addressview.h"
#include "session/session.h"
#include "session/symbols.h"
#include "session/watches.h"
#include "tests/gui/scriptedprompt.h"
#include "windows/frmoznake.h"
#include "windows/frmspomin.h"
#include "windows/frmspremenljivke.h"

namespace {

class SymbolWindowsTest : public ::testing::Test {
protected:
    SymbolWindowsTest() : session(ORLEK_PROGRAM_DIR, false), watches(session, symbols), view(session) {
        view.SetSymbols(&symbols);
    }

    void Load() {
        const std::vector<std::string> lines = {
            "       org $1000", "stevec rmb 2",      "ena    equ 1",
            "       org $2000", "zaceti clr stevec", "zanka  inc stevec+1",
            "       bra zanka", "       org $fffe",  "       fdb zaceti"};
        const bool ok = session.LoadProgram(lines).Ok;
        ASSERT_TRUE(ok);
        symbols.AssemblyFinished(ok, session.Compiler().Labels());
    }
    static QStringList Column(const QAbstractItemModel& model, int column) {
        QStringList texts;
        for (int row = 0; row < model.rowCount(); ++row)
            texts << model.index(row, column).data().toString();
        return texts;
    }
    static void ClickHeader(QTableView* table, int column) {
        QHeaderView* header = table->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }

    TSession session;
    TSymbolTable symbols;
    TWatchList watches;
    TAddressView view;
    TScriptedPrompt prompt;
};

TEST_F(SymbolWindowsTest, SymbolWindowSortsFiltersAndReportsTheChosenLabel) {
    TfrmOznake w(symbols);
    w.show();
    EXPECT_EQ(w.Model()->rowCount(), 0);
    EXPECT_EQ(w.StatusLabel()->text(), QStringLiteral("Ni še uspešnega prevoda z oznakami."));
    Load();
    EXPECT_EQ(w.Model()->rowCount(), 0); // listed at the next frame
    w.DrawFrame();
    EXPECT_EQ(Column(*w.Model(), 0), QStringList({"ENA", "STEVEC", "ZACETI", "ZANKA"}));
    EXPECT_EQ(Column(*w.Model(), 1), QStringList({"$0001", "$1000", "$2000", "$2003"}));
    EXPECT_EQ(Column(*w.Model(), 2), QStringList({"3", "2", "5", "6"}));

    // A click on a header sorts by that column, a second click turns the order round.
    ClickHeader(w.Table(), TSymbolModel::LineColumn);
    EXPECT_EQ(Column(*w.Model(), 0), QStringList({"STEVEC", "ENA", "ZACETI", "ZANKA"}));
    ClickHeader(w.Table(), TSymbolModel::LineColumn);
    EXPECT_EQ(Column(*w.Model(), 0), QStringList({"ZANKA", "ZACETI", "ENA", "STEVEC"}));
    QTest::keyClicks(w.FilterField(), "za");
    EXPECT_EQ(Column(*w.Model(), 0), QStringList({"ZANKA", "ZACETI"}));
    EXPECT_EQ(w.StatusLabel()->text(), QStringLiteral("Oznake: 2 od 4"));

    // Double-click: the label's value and line; the context menu: a watch.
    QSignalSpy shown(&w, &TfrmOznake::symbolActivated);
    QSignalSpy watched(&w, &TfrmOznake::watchRequested);
    const QRect second = w.Table()->visualRect(w.Model()->index(1, 0));
    // (An item view takes a double-click only after the press of a first click on the item.)
    QTest::mouseClick(w.Table()->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(w.Table()->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown[0][0].value<uint16_t>(), 0x2000);
    EXPECT_EQ(shown[0][1].toInt(), 5);
    w.Table()->selectRow(0);
    for (QAction* a : w.ContextMenu()->actions())
        if (a->objectName() == QLatin1String("mnuOpazujBesedo")) a->trigger();
    ASSERT_EQ(watched.count(), 1);
    EXPECT_EQ(watched[0][0].toString(), QStringLiteral("ZANKA"));
    EXPECT_EQ(watched[0][1].value<WatchSize>(), WatchSize::Word);
}

TEST_F(SymbolWindowsTest, WatchWindowAddsRefusesRemovesAndReadsAtDisplayRefreshes) {
    TfrmSpremenljivke w(watches);
    w.show();
    Load();
    QSignalSpy changed(&w, &TfrmSpremenljivke::watchesChanged);
    w.SizeChoice()->setCurrentIndex(1);
    QTest::keyClicks(w.TargetField(), "stevec");
    QTest::mouseClick(w.AddButton(), Qt::LeftButton);
    EXPECT_EQ(w.TargetField()->text(), QString());
    EXPECT_EQ(w.Model()->RowTexts(0),
              QStringList({"STEVEC", "beseda", "$1000", "$0000", "0", "0", "0000", "<00><00>"}));
    // A refused entry is explained and stays in the field.
    QTest::keyClicks(w.TargetField(), "nikjer");
    QTest::keyClick(w.TargetField(), Qt::Key_Return);
    EXPECT_EQ(prompt.Messages, QStringList({"Oznake NIKJER ni v zadnjem prevodu."}));
    EXPECT_EQ(w.TargetField()->text(), QStringLiteral("nikjer"));

    // The values follow the machine at the display's refreshes, and only while shown.
    session.StepOnce();
    session.StepOnce(); // inc stevec+1
    EXPECT_EQ(w.Model()->RowTexts(0)[TWatchModel::HexColumn], QStringLiteral("$0000"));
    w.DrawFrame();
    EXPECT_EQ(w.Model()->RowTexts(0)[TWatchModel::HexColumn], QStringLiteral("$0001"));
    w.hide();
    session.StepOnce();
    session.StepOnce();
    w.DrawFrame();
    EXPECT_EQ(w.Model()->RowTexts(0)[TWatchModel::HexColumn], QStringLiteral("$0001"));
    w.show();
    EXPECT_EQ(w.Model()->RowTexts(0)[TWatchModel::HexColumn], QStringLiteral("$0002"));

    // The context menu makes it a byte; Delete removes it.
    w.Table()->selectRow(0);
    for (QAction* a : w.ContextMenu()->actions())
        if (a->objectName() == QLatin1String("mnuBajt")) a->trigger();
    EXPECT_EQ(w.Model()->RowTexts(0)[TWatchModel::SizeColumn], QStringLiteral("bajt"));
    EXPECT_EQ(w.Model()->RowTexts(0)[TWatchModel::HexColumn], QStringLiteral("$00"));
    EXPECT_TRUE(w.RemoveButton()->isEnabled());
    QTest::keyClick(w.Table(), Qt::Key_Delete);
    EXPECT_EQ(watches.Count(), 0u);
    EXPECT_EQ(changed.count(), 3); // added, made a byte, removed
}

TEST_F(SymbolWindowsTest, AddressWindowListsInstructionsAndEditsTheirFirstByte) {
    TfrmSpomin w(view);
    QObject::connect(&w, &TfrmSpomin::refreshRequested, &w, [&w] { w.DrawFrame(); });
    w.show();
    Load();
    w.Redraw();
    view.SetMemoryTop(0x2000);
    const QSize size = w.size();
    QTest::mouseClick(w.InstructionsButton(), Qt::LeftButton);
    EXPECT_TRUE(w.InstructionsButton()->isChecked());
    EXPECT_EQ(w.size(), size); // the window keeps its size; its neighbours stay uncovered
    EXPECT_EQ(w.List()->RowText(0), QStringLiteral(">2000  7F 10 00  ZACETI  CLR  STEVEC"));
    EXPECT_EQ(w.List()->RowText(2), QStringLiteral(" 2006  20 FB             BRA  ZANKA"));

    // The second row is the instruction at $2003: its opcode is edited.
    prompt.Values << QStringLiteral("1");
    w.EditRow(1);
    EXPECT_EQ(prompt.Asked, QStringList({"Vrednost pom. lokacije $2003 :|$7C"}));
    w.Redraw();
    EXPECT_EQ(w.List()->RowText(1), QStringLiteral(" 2003  01        ZANKA   NOP"));

    QTest::mouseClick(w.InstructionsButton(), Qt::LeftButton);
    EXPECT_TRUE(w.List()->RowText(0).startsWith(QStringLiteral("2000 : (7F)")));
    EXPECT_EQ(w.size(), size);
}

// No caption and no value of the watch list is cut: "Nepredznačeno", "ni BCD", "-32768".
TEST_F(SymbolWindowsTest, WatchColumnsHoldTheirCaptionsAndWidestValues) {
    TfrmSpremenljivke w(watches);
    w.show();
    QTableView* table = w.Table();
    const QFontMetrics cells(table->font()), captions(table->horizontalHeader()->font());
    const struct {
        int column;
        const char* text;
    } widest[] = {{TWatchModel::UnsignedColumn, "Nepredznačeno"},
                  {TWatchModel::SignedColumn, "-32768"},
                  {TWatchModel::BcdColumn, "ni BCD"},
                  {TWatchModel::BcdColumn, "BCD"},
                  {TWatchModel::SizeColumn, "beseda"},
                  {TWatchModel::AddressColumn, "Naslov"}};
    for (const auto& c : widest) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_GE(table->columnWidth(c.column),
                  std::max(cells.horizontalAdvance(text), captions.horizontalAdvance(text)) + 8)
            << c.text;
    }
}

} // namespace
