#pragma once
#include <QString>
#include <functional>

// The help menu: the manual and the command list (HTML documents under the program directory,
// opened with the desktop's program for them) and the two short notes about help and about the
// program.
class THelp {
public:
    // `openExternal` opens a document with the desktop's program (the code window's, which
    // tests replace).
    THelp(const QString& programDir, std::function<void(const QString& path)> openExternal);

    void ShowManual();      // "&Kazalo": help/manual.htm
    void ShowCommandList(); // "&Seznam ukazov": help/commands.htm
    void AboutHelp();       // "&O pomoči"
    void AboutProgram();    // "O &programu"

private:
    void Open(const QString& name);

    QString programDir;
    std::function<void(const QString&)> openExternal;
};
