#include "workbench/statecommand.h"

#include <QFile>
#include <QFileInfo>

#include "editor/frmkoda.h"
#include "session/snapshot.h"
#include "session/watches.h"
#include "windows/prompt.h"
#include "workbench/documents.h"
#include "workbench/runcontrol.h"

namespace {

const QString kTitle = QStringLiteral("Orlek");
const QString kFilter = QStringLiteral("Stanja Orlek (*.orlek);;Datoteke JSON (*.json);;Vse datoteke (*)");

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace

TStateCommand::TStateCommand(TRunControl& run, TDocuments& documents, TfrmKoda& koda, TWatchList& watches,
                             QObject* parent)
    : QObject(parent), run_(run), documents_(documents), koda_(koda), watches_(watches) {}

void TStateCommand::SaveCommand() {
    // The snapshot is of one step: a run is paused at the step it has reached.
    run_.Pause();
    QString name = directory_;
    if (koda_.DocumentName() != TfrmKoda::Untitled) {
        const QFileInfo document(koda_.DocumentName());
        name = (directory_.isEmpty() ? document.absolutePath() : directory_) + QLatin1Char('/') +
               document.completeBaseName() + QStringLiteral(".orlek");
    }
    const QString path = Prompt().ChooseSaveFile(QStringLiteral("Shrani stanje"), name, kFilter);
    if (!path.isEmpty()) SaveFile(path);
}

bool TStateCommand::SaveFile(const QString& path) {
    run_.Pause();
    TSession& session = run_.Session();
    // With the steps kept, so that "Korak nazaj" goes on after the snapshot is opened.
    TSnapshot snapshot = CaptureSnapshot(session, true);
    snapshot.Source = koda_.Source().toStdString();
    if (koda_.DocumentName() != TfrmKoda::Untitled)
        snapshot.SourcePath = QFileInfo(koda_.DocumentName()).absoluteFilePath().toStdString();
    snapshot.Watches = watches_.Watches();
    std::string error;
    if (!WriteSnapshotFile(LocalPath(path), snapshot, error)) {
        Prompt().ShowError(
            kTitle, QStringLiteral("Stanja ni mogoče shraniti:\n%1").arg(QString::fromStdString(error)));
        return false;
    }
    directory_ = QFileInfo(path).absolutePath();
    // A board the session holds without a description to read it from (an exercise's, set while
    // it was checked) cannot be read back: the snapshot goes without it, and the user is told.
    if (session.Board() && session.BoardText().empty())
        Prompt().ShowMessage(kTitle, QStringLiteral("Stanje je shranjeno brez plošče: plošča naloge nima "
                                                    "svoje datoteke. Odprite ploščo z \"Odpri ploščo ...\", "
                                                    "če jo želite shraniti s stanjem."));
    return true;
}

void TStateCommand::OpenCommand() {
    const QString path = Prompt().ChooseOpenFile(QStringLiteral("Odpri stanje"), directory_, kFilter);
    if (!path.isEmpty()) OpenFile(path);
}

bool TStateCommand::OpenFile(const QString& path) {
    const auto refuse = [&path](const std::string& why) {
        Prompt().ShowError(
            kTitle,
            QStringLiteral("Stanja ni mogoče odpreti:\n%1\n%2").arg(path, QString::fromStdString(why)));
        return false;
    };
    const TSnapshotRead read = ReadSnapshotFile(LocalPath(path));
    if (!read.Ok()) return refuse(read.Error);
    const TSnapshot& snapshot = *read.Snapshot;
    if (!documents_.AskToSave()) return false;
    directory_ = QFileInfo(path).absolutePath();

    TSession& session = run_.Session();
    run_.Stop();
    // The source is assembled once on its own, so that a text this program's assembler refuses
    // leaves the document as it was.
    const TLoadResult check = session.Compile(SnapshotSourceLines(snapshot));
    if (!check.Ok) {
        run_.RefreshDisplay();
        return refuse("izvorno besedilo stanja se ne prevede" +
                      (check.Messages.empty() ? std::string() : ": " + check.Messages.front()));
    }
    documents_.OpenText(QString::fromStdString(snapshot.Source), QString::fromStdString(snapshot.SourcePath));
    std::string error;
    if (!ApplySnapshot(session, snapshot, error)) {
        run_.SyncState();
        run_.RefreshDisplay();
        return refuse(error);
    }
    // The editor's marks are the breakpoints the session follows.
    for (int line : snapshot.Breakpoints)
        koda_.SetBreakpoint(line, true);
    std::vector<std::string> watches;
    for (const TWatch& w : snapshot.Watches)
        watches.push_back(w.Target + (w.Size == WatchSize::Word ? " w" : " b"));
    watches_.Restore(watches);
    emit opened();
    run_.ProgramLoaded();
    return true;
}
