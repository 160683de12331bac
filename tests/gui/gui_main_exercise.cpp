// "Orodja > Preveri nalogo ...": the program in the code window checked against an exercise file.
#include <QFile>
#include <QLabel>
#include <QTreeWidget>

#include "tests/gui/gui_main_fixture.h"
#include "windows/frmnaloga.h"

namespace {
QString Example(const char* name) {
    return QStringLiteral(ORLEK_SOURCE_DIR "/examples/") + QLatin1String(name);
}

// The marks of the result window's expectation rows, in order: true green, false red.
QList<bool> Marks(QTreeWidget& list) {
    QList<bool> marks;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        for (int j = 0; j < list.topLevelItem(i)->childCount(); ++j)
            marks << list.topLevelItem(i)->child(j)->data(0, TfrmNaloga::PassedRole).toBool();
    return marks;
}
} // namespace

TEST_F(MainWindowTest, ExerciseCheckMarksEachExpectationAndLeavesTheMachineForInspection) {
    TfrmMain& w = Create();
    const QString program = QString::fromUtf8(Bytes(Example("kvadrat.asm")));
    Koda().SetSource(program);
    prompt.OpenFiles = {Example("kvadrat.json")};
    const size_t logBefore = w.Session().Log.Size();
    Action("mnuPreveriNalogo")->trigger();

    auto* window = Part<TfrmNaloga>("frmNaloga");
    auto* list = Part<QTreeWidget>("lvRezultat");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Part<QLabel>("lblNaslov")->text(), QStringLiteral("Kvadrat s podprogramom"));
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(Marks(*list), QList<bool>(11, true));
    EXPECT_EQ(Part<QLabel>("lblPovzetek")->text(), QStringLiteral("Izpolnjenih 11 od 11 pričakovanj."));
    // Halted in KONEC with the panels and the current line showing it; the check was not logged.
    EXPECT_EQ(w.Session().State(), RunState::Halted);
    EXPECT_EQ(w.Session().Cpu().PC, 0x2015);
    EXPECT_EQ(Koda().ExecutionLine(), 12);
    EXPECT_TRUE(Koda().txtKoda->isReadOnly());
    EXPECT_FALSE(Action("mnuPreveriNalogo")->isEnabled());
    EXPECT_EQ(w.Session().Log.Size(), logBefore + 1); // the load's header only

    // A wrong variant: the subroutine drops the saved B instead of restoring it.
    w.Run().Stop();
    EXPECT_TRUE(Action("mnuPreveriNalogo")->isEnabled());
    Koda().SetSource(
        QString(program).replace(QStringLiteral("        pulb\n"), QStringLiteral("        ins\n")));
    prompt.OpenFiles = {Example("kvadrat.json")};
    Action("mnuPreveriNalogo")->trigger();
    const QList<bool> marks = Marks(*list);
    ASSERT_EQ(marks.size(), 11);
    EXPECT_TRUE(marks.contains(false));
    EXPECT_FALSE(list->topLevelItem(1)->data(0, TfrmNaloga::PassedRole).toBool());
    EXPECT_TRUE(Part<QLabel>("lblPovzetek")->text().startsWith(QStringLiteral("Izpolnjenih ")));
    EXPECT_TRUE(prompt.Errors.isEmpty()) << prompt.Errors.join('\n').toStdString();
}

TEST_F(MainWindowTest, BadExerciseFileIsReportedAndNothingRuns) {
    TfrmMain& w = Create();
    prompt.OpenFiles = {File(QStringLiteral("slaba.json"), "{\n  \"title\": \"x\",\n  \"checks\": [\n")};
    const size_t logBefore = w.Session().Log.Size();
    Action("mnuPreveriNalogo")->trigger();
    ASSERT_EQ(prompt.Errors.size(), 1);
    EXPECT_TRUE(prompt.Errors[0].contains(QStringLiteral("slaba.json"))) << prompt.Errors[0].toStdString();
    EXPECT_TRUE(prompt.Errors[0].contains(QStringLiteral("vrstica 4: "))) << prompt.Errors[0].toStdString();
    EXPECT_FALSE(w.Session().Loaded());
    EXPECT_EQ(w.Session().Log.Size(), logBefore);
    EXPECT_FALSE(Part<TfrmNaloga>("frmNaloga")->isVisible());
}

TEST_F(MainWindowTest, HiddenCheckpointShowsOnlyWhetherItHeld) {
    Create();
    Koda().SetSource(QString::fromUtf8(Bytes(Example("kvadrat.asm"))));
    prompt.OpenFiles = {File(QStringLiteral("skrita.json"), R"({"title": "Kvadrat", "checks": [
        {"at": "KVADRAT", "points": 2, "registers": {"A": 7}},
        {"at": "KONEC", "hidden": true, "registers": {"B": "$54"}}]})")};
    Action("mnuPreveriNalogo")->trigger();
    auto* list = Part<QTreeWidget>("lvRezultat");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QTreeWidgetItem* hidden = list->topLevelItem(1);
    EXPECT_EQ(hidden->text(0), QStringLiteral("Preverjanje 2 (skrito)"));
    EXPECT_EQ(hidden->childCount(), 0);
    EXPECT_FALSE(hidden->data(0, TfrmNaloga::PassedRole).toBool());
    EXPECT_EQ(Part<QLabel>("lblPovzetek")->text(),
              QStringLiteral("Izpolnjenih 3 od 4 pričakovanj. Točke: 2 od 3."));
}

// An exercise on the lab board: the check runs on the exercise's board, drives it and marks the
// board's checks like the others; the board stays in the session to be looked at.
TEST_F(MainWindowTest, ExerciseOnTheLabBoardChecksWhatTheBoardShows) {
    TfrmMain& w = Create();
    Koda().SetSource(QString::fromUtf8(Bytes(Example("boards/lucke.asm"))));
    prompt.OpenFiles = {Example("boards/lucke-naloga.json")};
    Action("mnuPreveriNalogo")->trigger();
    EXPECT_EQ(Marks(*Part<QTreeWidget>("lvRezultat")), QList<bool>(19, true));
    ASSERT_TRUE(w.Session().HasBoard());
    EXPECT_EQ(w.Session().Board()->Config().Name, "Lučke in stikala");
    EXPECT_TRUE(prompt.Errors.isEmpty()) << prompt.Errors.join('\n').toStdString();
}

// An exercise that names the processor model checks the program in it, whatever the setting;
// the setting stays.
TEST_F(MainWindowTest, ExerciseLoadsTheProgramInItsModel) {
    TfrmMain& w = Create();
    w.Session().SetModel(TProcessorModel::Classic);
    // LDS; SEI; SWI: taken only by the chip.
    Koda().SetSource(QStringLiteral("        org $1000\nstart   lds #$0fff\n        sei\n        swi\n"
                                    "        org $3000\n        nop\n        org $fffa\n        fdb $3000\n"
                                    "        org $fffe\n        fdb start\n        end\n"));
    const QString path = temp.filePath(QStringLiteral("chip.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"title": "T", "model": "chip", "checks": [{"steps": 3, "registers": {"PC": "$3000"}}]})");
    file.close();
    prompt.OpenFiles = {path};
    Action("mnuPreveriNalogo")->trigger();
    EXPECT_EQ(Marks(*Part<QTreeWidget>("lvRezultat")), QList<bool>(1, true));
    EXPECT_EQ(w.Session().LoadedModel(), TProcessorModel::Chip);
    EXPECT_EQ(w.Session().Model(), TProcessorModel::Classic);
    EXPECT_TRUE(prompt.Errors.isEmpty()) << prompt.Errors.join('\n').toStdString();
}
