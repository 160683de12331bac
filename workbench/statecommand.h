#pragma once
#include <QObject>
#include <QString>

class TDocuments;
class TRunControl;
class TWatchList;
class TfrmKoda;

// "Datoteke > Shrani stanje ..." and "Odpri stanje ...": the whole session in one file (see
// session/snapshot.h), so that a student can send a question with the program at the very step
// it arose at and the teacher can open it there.
//
// Saving pauses a run first. Opening reads and checks the whole file before anything changes (a
// damaged, foreign or newer file is told and changes nothing), asks about unsaved changes, stops
// a loaded program, checks that the snapshot's source assembles, and then puts the document text,
// the breakpoints, the watches and the machine back: the program is loaded and halted at the
// snapshot's step. `opened` follows for the windows the main window owns.
class TStateCommand : public QObject {
    Q_OBJECT
public:
    TStateCommand(TRunControl& run, TDocuments& documents, TfrmKoda& koda, TWatchList& watches,
                  QObject* parent = nullptr);

    // The file dialogs, then SaveFile / OpenFile.
    void SaveCommand();
    void OpenCommand();
    // Return false when nothing was written or opened (the user was told why, or cancelled).
    bool SaveFile(const QString& path);
    bool OpenFile(const QString& path);

signals:
    // A snapshot was opened: the session holds its board, trace and machine.
    void opened();

private:
    TRunControl& run_;
    TDocuments& documents_;
    TfrmKoda& koda_;
    TWatchList& watches_;
    QString directory_; // where the dialogs open: the folder of the last snapshot
};
