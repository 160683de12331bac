#include "workbench/exercisecommand.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "session/exercise.h"
#include "session/exercisecheck.h"
#include "session/session.h"
#include "windows/frmnaloga.h"
#include "windows/prompt.h"
#include "windows/qtstrings.h"
#include "workbench/runcontrol.h"

namespace {
const QString kTitle = QStringLiteral("Preveri nalogo");
}

TExerciseCommand::TExerciseCommand(TRunControl& run, TfrmNaloga& window, QObject* parent)
    : QObject(parent), run_(run), window_(window) {}

void TExerciseCommand::SetAction(QAction* action) {
    action->setEnabled(ControlsFor(run_.State()).Load);
    connect(&run_, &TRunControl::controlsChanged, action,
            [action](const TControlStates& controls) { action->setEnabled(controls.Load); });
}

void TExerciseCommand::Run() {
    if (run_.Session().Loaded()) return;
    const QString path =
        Prompt().ChooseOpenFile(kTitle, directory_, QStringLiteral("Naloge (*.json);;Vse datoteke (*)"));
    if (path.isEmpty()) return;
    directory_ = QFileInfo(path).absolutePath();
    CheckFile(path);
}

void TExerciseCommand::CheckFile(const QString& path) {
    TSession& session = run_.Session();
    if (session.Loaded()) return;
    const TExerciseRead read = ReadExerciseFile(QFile::encodeName(path).toStdString());
    if (!read.Ok()) {
        Prompt().ShowError(kTitle,
                           QStringLiteral("Naloge %1 ni mogoče uporabiti:\n%2")
                               .arg(QFileInfo(path).fileName(), QString::fromStdString(read.Message())));
        return;
    }
    const TExercise& exercise = *read.Exercise;

    // The load is the Load command's, with its error list and marks; a program that does not
    // assemble is reported there and nothing runs. An exercise that fixes the processor model
    // is loaded in it (as the command line checks it); the setting stays as it was.
    PrepareExerciseBoard(session, exercise);
    const TProcessorModel setting = session.Model();
    if (exercise.Model) session.SetModel(*exercise.Model);
    run_.Load();
    session.SetModel(setting);
    TExerciseResult result;
    if (session.Loaded()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        result = CheckLoadedProgram(session, exercise);
        QApplication::restoreOverrideCursor();
        run_.StepsTaken(ToQStringList(result.Messages), !session.Loaded());
    }
    window_.ShowResult(exercise, result);
    window_.Present();
}
