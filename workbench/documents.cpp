#include "workbench/documents.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "editor/frmkoda.h"
#include "session/session.h"
#include "windows/prompt.h"
#include "workbench/historylist.h"
#include "workbench/settingsstore.h"

namespace {

const QString kAppTitle = QStringLiteral("Orlek");
const QString kUntitledFile = QStringLiteral("Neimenovana"); // the save dialog's first name
const QString kOpenFilter = QStringLiteral("Assembler (*.asm *.s07);;Vse datoteke (*)");
const QString kSaveFilter = QStringLiteral("Assembler (*.asm);;(*.s07);;Vse datoteke (*)");

QString DirectoryWithSeparator(const QString& path) {
    QString dir = QFileInfo(path).absolutePath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

} // namespace

TDocuments::TDocuments(TfrmKoda& koda, const TSession& session, QMenu* recentMenu, QObject* parent)
    : QObject(parent), koda(koda), session(session), recent(new THistoryList(recentMenu, this)) {
    connect(recent, &THistoryList::fileChosen, this, [this](const QString& path) { OpenDocument(path); });
}

bool TDocuments::AskToSave() {
    if (!koda.txtKoda->isModified()) return true;
    switch (
        Prompt().AskYesNoCancel(QStringLiteral("Shranim spremenjeno?"),
                                QStringLiteral("Ali želite shraniti spremembe v ") + koda.DocumentName())) {
    case TPrompt::Answer::Cancel:
        return false;
    case TPrompt::Answer::No:
        return true;
    case TPrompt::Answer::Yes:
        // Only a save that happened lets the operation go on; otherwise the changes would be lost.
        return SaveDocument();
    }
    return false;
}

void TDocuments::ResetDocumentState() {
    koda.ClearBreakpoints();
    koda.ClearOrdinaryMarks();
    koda.ShowMessages(false);
    koda.SetCaret(1, 1);
    koda.txtKoda->setFirstVisibleLine(0);
    koda.RepaintMarks();
    emit documentReplaced();
}

void TDocuments::NewDocument() {
    if (session.Loaded() || !AskToSave()) return;
    koda.SetSource(QString());
    koda.SetDocumentName(TfrmKoda::Untitled);
    format = TTextFormat{};
    saveDialogFileName = kUntitledFile;
    ResetDocumentState();
}

void TDocuments::OpenCommand() {
    if (session.Loaded()) return;
    const QString dir = OpenSettingsStore()->value(QStringLiteral("fileopen initialdir")).toString();
    QString path = Prompt().ChooseOpenFile(QStringLiteral("Odpri"), dir, kOpenFilter);
    if (path.isEmpty()) return;
    if (!QFileInfo::exists(path) && QFileInfo::exists(path + QStringLiteral(".asm")))
        path += QStringLiteral(".asm");
    OpenDocument(path);
}

bool TDocuments::OpenDocument(const QString& path) {
    if (session.Loaded()) return false;
    // The save dialog takes the new name only once the file is open: a "Yes" to the question
    // below may open the save dialog for the old text, and offering the file about to be
    // opened there invites overwriting it.
    if (!AskToSave()) return false;
    QString text, error;
    TTextFormat newFormat;
    if (!TDocumentFile::Read(path, text, newFormat, error)) {
        Prompt().ShowError(kAppTitle, error);
        return false;
    }
    koda.SetSource(text);
    koda.SetDocumentName(path);
    saveDialogFileName = path;
    format = newFormat;
    recent->AddItem(path);
    ResetDocumentState();
    OpenSettingsStore()->setValue(QStringLiteral("fileopen initialdir"), DirectoryWithSeparator(path));
    return true;
}

bool TDocuments::OpenText(const QString& text, const QString& path) {
    if (session.Loaded()) return false;
    koda.SetSource(text);
    koda.SetDocumentName(path.isEmpty() ? TfrmKoda::Untitled : path);
    saveDialogFileName = path.isEmpty() ? kUntitledFile : path;
    format = TTextFormat{};
    ResetDocumentState();
    return true;
}

bool TDocuments::WriteDocument(const QString& path) {
    QByteArray bytes;
    if (!TDocumentFile::Encode(koda.Source(), format, bytes)) {
        // The text holds characters Windows-1250 cannot store: offer UTF-8 instead of losing them.
        if (!Prompt().AskYesNo(kAppTitle, QStringLiteral("Besedilo vsebuje znake, ki jih kodna tabela "
                                                         "Windows-1250 ne pozna. Ali naj datoteko shranim "
                                                         "v kodiranju UTF-8?")))
            return false;
        format.encoding = TTextFormat::Encoding::Utf8;
        TDocumentFile::Encode(koda.Source(), format, bytes);
    }
    QString error;
    if (!TDocumentFile::Write(path, bytes, error)) {
        Prompt().ShowError(kAppTitle, error);
        return false;
    }
    return true;
}

bool TDocuments::SaveDocument() {
    const QString name = koda.DocumentName();
    if (name == TfrmKoda::Untitled) return SaveDocumentAs();
    if (!WriteDocument(name)) return false;
    koda.txtKoda->setModified(false);
    return true;
}

bool TDocuments::SaveDocumentAs() {
    auto settings = OpenSettingsStore();
    const QString dir = settings->value(QStringLiteral("filesave initialdir")).toString();
    const QString start = QFileInfo(saveDialogFileName).isAbsolute() || dir.isEmpty()
                              ? saveDialogFileName
                              : QDir(dir).filePath(saveDialogFileName);
    QString path = Prompt().ChooseSaveFile(QStringLiteral("Shrani kot"), start, kSaveFilter);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) {
        // The default extension: the dialog confirmed the name without it, so an existing file
        // of the full name has not been asked about yet.
        path += QStringLiteral(".asm");
        if (QFileInfo::exists(path) &&
            !Prompt().AskYesNo(QStringLiteral("Shrani kot"),
                               QStringLiteral("Datoteka %1 že obstaja. Ali jo želite zamenjati?")
                                   .arg(QDir::toNativeSeparators(path))))
            return false;
    }
    if (!WriteDocument(path)) return false;
    koda.SetDocumentName(path);
    saveDialogFileName = path;
    settings->setValue(QStringLiteral("filesave initialdir"), DirectoryWithSeparator(path));
    // What the window holds is now in the file under its new name.
    koda.txtKoda->setModified(false);
    emit documentRenamed();
    return true;
}

bool TDocuments::OpenAtStart(const QString& commandLineDocument, QSettings& settings) {
    if (!commandLineDocument.isEmpty()) {
        // The path keeps its case: file names are case-sensitive here.
        const QString path = QFileInfo(commandLineDocument).absoluteFilePath();
        saveDialogFileName = path;
        if (QFileInfo(path).isFile()) return OpenDocument(path);
        Prompt().ShowMessage(kAppTitle,
                             QStringLiteral("Datoteka ne obstaja: %1").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    const QString last = settings.value(QStringLiteral("last file")).toString();
    if (!last.isEmpty() && last != TfrmKoda::Untitled && QFileInfo(last).isAbsolute() &&
        QFileInfo(last).isFile())
        return OpenDocument(last);
    return false;
}

void TDocuments::Restore(QSettings& settings) { recent->Load(settings); }

void TDocuments::Save(QSettings& settings) const {
    settings.setValue(QStringLiteral("last file"), koda.DocumentName());
    recent->Save(settings);
}

void TDocuments::SetRecentEnabled(bool enabled) { recent->SetEnabled(enabled); }
