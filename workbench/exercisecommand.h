#pragma once
#include <QObject>
#include <QString>

class QAction;
class TRunControl;
class TfrmNaloga;

// "Orodja > Preveri nalogo ...": asks for an exercise file, loads the code window's program as
// the Load command does, runs the exercise's checks on it and shows the result window. A bad
// exercise file is reported and nothing runs. The machine is left in the state the last
// checkpoint found it (halted, or stopped when the program left its code), for inspection in
// the other windows. The command is enabled with Load.
class TExerciseCommand : public QObject {
    Q_OBJECT
public:
    TExerciseCommand(TRunControl& run, TfrmNaloga& window, QObject* parent = nullptr);

    // The menu item: enabled whenever Load is.
    void SetAction(QAction* action);

    // Checks the program against the exercise in `path` (what the menu item does after its
    // file dialog).
    void CheckFile(const QString& path);

public slots:
    void Run();

private:
    TRunControl& run_;
    TfrmNaloga& window_;
    QString directory_; // where the file dialog opens: the folder of the last exercise
};
