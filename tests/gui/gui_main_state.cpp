// "Datoteke > Shrani stanje ..." / "Odpri stanje ...": a session saved at a step is opened in
// another workbench at that very step; a file that cannot be used changes nothing.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "session/snapshot.h"
#include "session/watches.h"
#include "tests/gui/gui_main_fixture.h"
#include "windows/frmplosca.h"

namespace {
QString Board(const char* name) {
    return QStringLiteral(ORLEK_SOURCE_DIR "/examples/boards/") + QLatin1String(name);
}
} // namespace

TEST_F(MainWindowTest, SavedStateOpensAtTheSameStepWithItsDocumentBreakpointsWatchesAndBoard) {
    TfrmMain& w = Create();
    const QString program = QString::fromUtf8(Bytes(Board("lucke.asm")));
    Koda().SetSource(program);
    prompt.OpenFiles = {Board("lucke.json")};
    Action("mnuOdpriPlosco")->trigger();
    Koda().SetBreakpoint(17, true);
    w.Run().SetBreakpoints(Koda().BreakpointLines());
    ASSERT_EQ(w.Watches().Add("$0002", WatchSize::Byte), "");
    w.Run().Load();
    for (int i = 0; i < 9; ++i)
        w.Run().StepOnce();
    std::string error;
    ASSERT_TRUE(w.Session().SetBoardSwitch(
        *w.Session().FindBoardInput("S1", TLabBoard::TInputUse::Switch, error), true));
    const TBoardState saved = w.Session().Capture();
    const QString path = temp.filePath(QStringLiteral("vprasanje.orlek"));
    prompt.SaveFiles = {path};
    Action("mnuShraniStanje")->trigger();
    ASSERT_TRUE(prompt.Errors.isEmpty()) << prompt.Errors.join('\n').toStdString();
    Discard();

    // The teacher's workbench, with another document open.
    TfrmMain& t = Create();
    Koda().SetSource(QStringLiteral("* drug program\n"));
    prompt.OpenFiles = {path};
    Action("mnuOdpriStanje")->trigger();
    ASSERT_TRUE(prompt.Errors.isEmpty()) << prompt.Errors.join('\n').toStdString();
    EXPECT_EQ(Koda().Source(), program);
    EXPECT_EQ(Koda().BreakpointLines(), QList<int>{17});
    EXPECT_EQ(t.Watches().Watches(), (std::vector<TWatch>{{"$0002", WatchSize::Byte}}));
    EXPECT_EQ(t.Session().State(), RunState::Halted);
    EXPECT_TRUE(t.Session().Capture() == saved);
    EXPECT_EQ(Koda().ExecutionLine(), t.Session().ExecutionLine());
    EXPECT_TRUE(Koda().txtKoda->isReadOnly());
    auto* board = Part<TfrmPlosca>("frmPlosca");
    EXPECT_TRUE(board->isVisible());
    EXPECT_EQ(board->Board(), t.Session().Board());
    // It goes on from there: the next step is the one the student's would have been.
    EXPECT_EQ(Koda().ExecutionLine(), 17);
    t.Run().StepOnce();
    EXPECT_EQ(Koda().ExecutionLine(), 18);
}

TEST_F(MainWindowTest, AStateFileThatCannotBeUsedIsToldAndChangesNothing) {
    TfrmMain& w = Create();
    const QString program = QString::fromUtf8(Bytes(Board("lucke.asm")));
    Koda().SetSource(program);
    w.Run().Load();
    w.Run().StepOnce();
    const TBoardState before = w.Session().Capture();
    const QString good = temp.filePath(QStringLiteral("dobro.orlek"));
    prompt.SaveFiles = {good};
    Action("mnuShraniStanje")->trigger();
    const QByteArray text = Bytes(good);
    // The last one is found only once the program has been stopped to assemble its source.
    const struct {
        const char* Name;
        QByteArray Bytes;
        const char* Message;
    } bad[] = {
        {"pokvarjeno.orlek", text.left(text.size() / 3), "ni veljaven JSON"},
        {"tuje.orlek", "{\"title\": \"Naloga\", \"checks\": []}", "ni datoteka stanja"},
        {"novejse.orlek", QByteArray(text).replace("\"version\": 1", "\"version\": 2"), "novejša različica"},
        {"neprevedljivo.orlek", QByteArray(text).replace("LDAA P1DR", "LDAA P1DR,Q"), "se ne prevede"},
    };
    for (const auto& b : bad) {
        prompt.Errors.clear();
        prompt.OpenFiles = {File(QLatin1String(b.Name), b.Bytes)};
        Action("mnuOdpriStanje")->trigger();
        ASSERT_EQ(prompt.Errors.size(), 1) << b.Name;
        EXPECT_TRUE(prompt.Errors[0].contains(QLatin1String(b.Name))) << prompt.Errors[0].toStdString();
        EXPECT_TRUE(prompt.Errors[0].contains(QString::fromUtf8(b.Message)))
            << prompt.Errors[0].toStdString();
        EXPECT_EQ(Koda().Source(), program) << b.Name;
        if (&b == &bad[3]) break;
        EXPECT_EQ(w.Session().State(), RunState::Halted) << b.Name;
        EXPECT_TRUE(w.Session().Capture() == before) << b.Name;
    }
}

// The workbench's clocks do not tick without an event loop, and orlek-cli's are set never to tick
// within the run: then a state saved in the workbench and continued on the command line must end
// on the board of one command-line run from the load.
TEST_F(MainWindowTest, StateSavedInTheWorkbenchGoesOnOnTheCommandLineAsAnUninterruptedRun) {
    TfrmMain& w = Create();
    Koda().SetSource(QString::fromUtf8(Bytes(Board("lucke.asm"))));
    prompt.OpenFiles = {Board("lucke.json")};
    Action("mnuOdpriPlosco")->trigger();
    w.Session().Machine().Random.Seed(11);
    w.Run().Load();
    for (int i = 0; i < 9; ++i)
        w.Run().StepOnce();
    const QString path = temp.filePath(QStringLiteral("vmes.orlek"));
    prompt.SaveFiles = {path};
    Action("mnuShraniStanje")->trigger();

    const auto cli = [](QStringList args) {
        args << QStringLiteral("--timer-every=1000000") << QStringLiteral("--sci-every=1000000")
             << QStringLiteral("--json");
        QProcess p;
        p.start(QStringLiteral(ORLEK_PROGRAM_DIR "/orlek-cli"), args);
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        o.remove(QStringLiteral("steps")); // counted from the snapshot by the one, the load by the other
        return o;
    };
    const QJsonObject whole =
        cli({QStringLiteral("run"), Board("lucke.asm"), QStringLiteral("--board"), Board("lucke.json"),
             QStringLiteral("--seed=11"), QStringLiteral("--steps=309")});
    const QJsonObject continued =
        cli({QStringLiteral("run"), QStringLiteral("--load-state"), path, QStringLiteral("--steps=300")});
    EXPECT_FALSE(whole.isEmpty());
    EXPECT_EQ(whole, continued);
}
