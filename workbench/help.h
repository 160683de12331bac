#pragma once
#include <QString>
#include <functional>
#include <memory>

class THelpViewer;
class QWidget;

// The help menu: the manual and the command list (HTML documents under the program directory)
// and the two short notes about help and about the program. A help document opens with the
// desktop's program for HTML; when the desktop has none (or fails to start it) the document
// shows in the workbench's own help viewer, so help always works.
class THelp {
public:
    // `openDocument` opens a help document (the code window's opener, which tests replace; the
    // main window points it at OpenDocument). `aboutWindow` shows the about window.
    THelp(const QString& programDir, std::function<void(const QString& path)> openDocument,
          std::function<void()> aboutWindow = {});
    ~THelp();

    void ShowManual();      // "&Kazalo": help/manual.htm
    void ShowCommandList(); // "&Seznam ukazov": help/commands.htm
    void AboutHelp();       // "&O pomoči"
    void AboutProgram();    // "O &programu"

    // The help text of "&O pomoči": three paragraphs.
    static QString AboutHelpText();

    // Opens a help document: with the desktop's program, else in the help viewer.
    void OpenDocument(const QString& path);
    // The desktop's part (tests replace it): true when a program for HTML was started.
    std::function<bool(const QString& path)> DesktopOpen;
    // The viewer, created at its first use.
    THelpViewer& Viewer();
    bool HasViewer() const { return viewer != nullptr; }

private:
    void Open(const QString& name);

    QString programDir;
    std::function<void(const QString&)> openDocument;
    std::function<void()> aboutWindow;
    std::unique_ptr<THelpViewer> viewer;
};

// Opens a document with the desktop's program for HTML; false when there is none. On desktops
// that answer through xdg-open, which reports a missing program only on its error output, the
// desktop is asked first whether it has a program for HTML.
bool OpenWithDesktop(const QString& path);
