// The symbol and watch windows in the workbench: wiring to the assembly, the run, the code and
// address-space windows, and what the store keeps of them.
#include <QTableView>

#include "assembler/compiler.h"
#include "session/addressview.h"
#include "session/symbols.h"
#include "session/watches.h"
#include "tests/gui/gui_main_fixture.h"
#include "windows/frmoznake.h"
#include "windows/frmspomin.h"
#include "windows/frmspremenljivke.h"

namespace {

int RowOf(TSymbolModel* model, const QString& name) {
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, TSymbolModel::NameColumn).data().toString() == name) return row;
    return -1;
}

} // namespace

TEST_F(MainWindowTest, SymbolWindowFollowsAssembliesAndShowsALabelInCodeAndAddressSpace) {
    TfrmMain& w = Create();
    auto* oznake = Part<TfrmOznake>("frmOznake");
    auto* spremenljivke = Part<TfrmSpremenljivke>("frmSpremenljivke");
    EXPECT_FALSE(oznake->isVisible()); // first start
    Action("mnuOkno_symbols")->trigger();
    EXPECT_TRUE(oznake->isVisible());
    EXPECT_EQ(oznake->Model()->rowCount(), 0);
    w.Run().Compile(); // the sample program
    EXPECT_EQ(oznake->Model()->rowCount(), 3);

    // A double-click: the line in the code window, the value at the top of the frozen list.
    w.Run().Load();
    oznake->ActivateRow(RowOf(oznake->Model(), "STEVEC"));
    EXPECT_EQ(Koda().CaretLine(), 5);
    EXPECT_EQ(w.AddressView().MemoryTop(), 0x1000);
    EXPECT_FALSE(w.AddressView().FollowPc());
    w.Run().StepOnce();
    EXPECT_EQ(w.AddressView().MemoryTop(), 0x1000);

    // Watched from the symbol window: the window comes up, and the student sees the count in BCD.
    oznake->WatchRow(RowOf(oznake->Model(), "STEVEC"), WatchSize::Word);
    EXPECT_TRUE(spremenljivke->isVisible());
    for (int step = 1; step < 2 + 9 * 10; ++step) // the two clears, then ten rounds of nine
        w.Run().StepOnce();
    EXPECT_EQ(spremenljivke->Model()->RowTexts(0)[TWatchModel::BcdColumn], QStringLiteral("0010"));
}

TEST_F(MainWindowTest, WatchesAndTheNewWindowsAreKeptWithTheDocumentAndTheStore) {
    const QString path = File("stevec.asm", QByteArray::fromStdString(SampleProgram()));
    Create();
    ASSERT_TRUE(Docs().OpenDocument(path));
    auto* spremenljivke = Part<TfrmSpremenljivke>("frmSpremenljivke");
    ASSERT_TRUE(spremenljivke->AddWatch(QStringLiteral("stevec"), WatchSize::Word));
    Action("mnuOkno_watches")->trigger();
    spremenljivke->move(400, 300);
    Close();
    {
        auto s = TfrmMain::OpenSettings();
        EXPECT_EQ(s->value("watches").toInt(), 1);
        EXPECT_EQ(s->value("watches/l").toInt(), 400);
        EXPECT_EQ(s->value("symbols").toInt(), 0);
    }

    // The next start reopens the document with its watches and the window where it was.
    Create();
    spremenljivke = Part<TfrmSpremenljivke>("frmSpremenljivke");
    EXPECT_TRUE(spremenljivke->isVisible());
    EXPECT_EQ(spremenljivke->pos(), QPoint(400, 300));
    ASSERT_EQ(main->Watches().Count(), 1u);
    EXPECT_EQ(main->Watches().Watches()[0], (TWatch{"STEVEC", WatchSize::Word}));
    // Another document has its own list (a new one none); a removal is kept at once.
    Docs().NewDocument();
    EXPECT_EQ(main->Watches().Count(), 0u);
    ASSERT_TRUE(Docs().OpenDocument(path));
    spremenljivke->Table()->selectRow(0);
    spremenljivke->RemoveSelected();
    Docs().NewDocument();
    ASSERT_TRUE(Docs().OpenDocument(path));
    EXPECT_EQ(main->Watches().Count(), 0u);
}
