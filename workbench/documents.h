#pragma once
#include <QObject>
#include <QString>

#include "workbench/documentfile.h"

class QMenu;
class QSettings;
class THistoryList;
class TSession;
class TfrmKoda;

// The document commands: New, Open, Save, Save as, the recent files and the question about
// unsaved changes. The document is the code window's text; its name is the window's caption
// ("Neimenovan" until it has one), its encoding and line ends are kept here and written back
// as they were read.
class TDocuments : public QObject {
    Q_OBJECT
public:
    // `recentMenu` becomes the recent-files sub-menu. New and Open do nothing while the
    // session has a program loaded.
    TDocuments(TfrmKoda& koda, const TSession& session, QMenu* recentMenu, QObject* parent = nullptr);

    void NewDocument();
    // The open dialog, then OpenDocument.
    void OpenCommand();
    // Returns false when nothing was opened (cancelled, unreadable).
    bool OpenDocument(const QString& path);
    // A document whose text comes from elsewhere (a snapshot), named `path` (empty: untitled)
    // and new in UTF-8; it is not added to the recent files (the file may not exist here). The
    // caller has asked about unsaved changes. Returns false while the session has a program
    // loaded.
    bool OpenText(const QString& text, const QString& path);
    // Returns false when nothing was written (cancelled, failed).
    bool SaveDocument();
    bool SaveDocumentAs();
    // Unsaved changes: false when the calling operation must not go on.
    bool AskToSave();

    // Start-up: the document named on the command line (one that does not exist is reported),
    // else the store's "last file" when it still exists. Returns true when a document was opened.
    bool OpenAtStart(const QString& commandLineDocument, QSettings& settings);
    // The recent files from the store; at exit the recent files and "last file" back to it.
    void Restore(QSettings& settings);
    void Save(QSettings& settings) const;
    // The recent-files menu belongs to the file group, which is off while a program is loaded.
    void SetRecentEnabled(bool enabled);

    QString SaveDialogFileName() const { return saveDialogFileName; }
    const TTextFormat& Format() const { return format; }
    const THistoryList& Recent() const { return *recent; }

signals:
    // A document was created or opened: its breakpoints and marks are gone and its undo
    // history is empty.
    void documentReplaced();
    // The document was written under a new name (Save as): what is kept with it follows.
    void documentRenamed();

private:
    void ResetDocumentState();
    bool WriteDocument(const QString& path);

    TfrmKoda& koda;
    const TSession& session;
    THistoryList* recent;
    QString saveDialogFileName = QStringLiteral("Neimenovana");
    TTextFormat format;
};
