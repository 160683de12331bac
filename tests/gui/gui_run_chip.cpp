// Run control in the chip model: the model from the store, "Hitro" paced by simulated time on a
// hand-moved clock, and the strip beside the cycle counter.
#include <QSettings>
#include <QTemporaryDir>

#include "tests/gui/gui_run_fixture.h"

namespace {

class ChipRunTest : public RunFixture {};

TEST_F(ChipRunTest, FastRunKeepsTheChipsTimeAndTheStripShowsTheModel) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath("orlek.ini"), QSettings::IniFormat);
    settings.setValue("Processor model", "chip");
    settings.setValue("Speed factor", 10);
    run->RestoreModelSettings(settings);
    uint64_t now = 0;
    run->Pacer = TRealTimePacer([&] { return now; });
    run->Pacer.Divisor = 10;
    source = {"       org $fffe", "       fdb start", "       org $2000",
              "start  nop",       "loop   bra loop",  "       end"};
    run->Load();
    ASSERT_EQ(session->LoadedModel(), TProcessorModel::Chip);
    run->RunFast();
    // 100 ms at a tenth of 1.2288 MHz: 12288 cycles, give or take the last step.
    for (int tick = 0; tick < 100; ++tick) {
        now += 1'000'000;
        run->KoracnoTimer();
    }
    EXPECT_GE(session->Cycles(), 12288u);
    EXPECT_LE(session->Cycles(), 12288u + 3);
    run->Pause();
    EXPECT_EQ(panels->Cycles()->Cell(1, 0), QStringLiteral("MC6803"));
    EXPECT_EQ(panels->Cycles()->Cell(1, 1), QString());
    session->Cpu().Waiting = true;
    run->RefreshDisplay();
    QCoreApplication::processEvents();
    EXPECT_EQ(panels->Cycles()->Cell(1, 1), QStringLiteral("čaka"));
}

} // namespace
