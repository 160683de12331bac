#pragma once
#include <QList>
#include <QStringList>
#include <QWidget>
#include <Qsci/qsciscintilla.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/asmlexer.h"
#include "editor/kodaeditor.h"
#include "editor/labelhint.h"
#include "editor/printobject.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QStatusBar;
class QTimer;
class QToolButton;

// The code window: the assembly source editor with its gutter marks, line colours, error panel,
// status bar and context menu. It paints the simulator's state (current line, breakpoints,
// error line) into the text; the main window decides what that state is.
//
// Line numbers in this interface are 1-based, 0 meaning "no line". Its parts carry object
// names: the editor "txtKoda", the error panel "Napake" with the list "lbNapake" and its button
// "SpeedButton1", the context menu "PopupMenu1" with its items, the label hint "labelHint".
class TfrmKoda : public QWidget {
    Q_OBJECT
public:
    static inline const QString Untitled = QStringLiteral("Neimenovan");

    explicit TfrmKoda(QWidget* parent = nullptr);

    // --- components the main window works with
    TKodaEditor* txtKoda = nullptr;
    TAsmLexer* barve = nullptr; // screen highlighter
    TAsmLexer* tisk = nullptr;  // print / export highlighter
    // The one print object, with its header and footer; each preview binds a text to it.
    TPrintObject& PrintObject() { return *printObject; }
    // Context-menu items that run the main window's commands.
    QAction* mnuKopiraj = nullptr;
    QAction* mnuIzrezi = nullptr;
    QAction* mnuPrilepi = nullptr;
    QAction* Najdi1 = nullptr;
    QAction* mnuZamenjaj = nullptr;
    QAction* Prekinitvenatoka1 = nullptr;

    // --- hooks set by the main window
    // Label lookup with offsets ("STEVEC+1"); the name is upper-cased already.
    std::function<std::optional<uint16_t>(const QString&)> FindLabel;
    // Opens a help document with the desktop's default program (tests replace it).
    std::function<void(const QString& path)> OpenExternal;
    // Program directory, for help/help.dat and help/commands/.
    QString programDir;

    // --- text
    void SetKeywords(const QStringList& keywords, const QStringList& completionWords);
    void SetEditorFont(const QString& family);
    // The source as lines, without line terminators; a final empty line after the last line
    // terminator is not a line of its own.
    QStringList Lines() const;
    // The lines as the assembler reads them: 8-bit text in the machine's code page (Windows-1250).
    // An empty text has none. A breakpoint on the empty line after the final line end (or in an
    // empty text) makes that line one of them, so the assembler can report the breakpoint.
    std::vector<std::string> AssemblerLines() const;
    void SetSource(const QString& text); // replaces the text, clears undo and the modified flag
    QString Source() const { return txtKoda->text(); }
    int LineCount() const { return txtKoda->lines(); }
    int CaretLine() const;   // 1-based
    int CaretColumn() const; // 1-based
    void SetCaret(int line, int column = 1);
    // Run of non-blank characters under the caret (without a trailing comment or a leading "#").
    QString WordAtCaret() const;
    // The same for a line and a 1-based column: the blanks around the column bound the word,
    // its first ";" or "*" ends it, a leading "#" goes. Empty on a line of at most one
    // character and beyond the line's end.
    static QString WordAt(const QString& text, int col);

    // --- document name: the window caption, followed by " *" while the text is modified
    QString DocumentName() const { return documentName; }
    void SetDocumentName(const QString& name);
    static QString Caption(const QString& name, bool modified);

    // --- state painted into the text
    int ExecutionLine() const { return executionLine; }
    void SetExecutionLine(int line);
    // Scrolls so the line is visible: when outside the visible lines the first visible line
    // becomes line - (visible rows / 5).
    void ScrollToLine(int line);
    int ErrorLine() const { return errorVisible ? errorLine : 0; }
    void ShowErrorLine(int line);
    void HideErrorMark();
    // Removes the execution and error marks (not the breakpoints).
    void ClearOrdinaryMarks();

    // Breakpoint marks follow their text lines as the text is edited.
    bool HasBreakpoint(int line) const;
    void SetBreakpoint(int line, bool on);
    void ClearBreakpoints();
    QList<int> BreakpointLines() const;

    // --- error panel
    void ClearMessages();
    void AddMessage(const QString& text);
    QStringList Messages() const;
    void ShowMessages(bool visible);
    bool MessagesVisible() const;
    // A failed assembly: the list holds exactly `messages`, the error line (0: none) is marked
    // and brought into view, and the panel is shown, in a window that comes back if hidden.
    void ReportErrors(const QStringList& messages, int errorLine);
    // Lines added during a run; with `showPanel` the panel is shown as in ReportErrors.
    void AddErrors(const QStringList& messages, bool showPanel);

    // --- the code window's part of the enabling table
    // While the file group is off (a program is loaded) the text is locked: read-only, "Samo za
    // branje" checked and disabled, the context items that change the text off. When the file
    // group comes back, "Samo za branje" returns to the student's own choice.
    void ApplyControls(bool fileGroup, bool readOnly);

    // --- commands of the window
    void UpdateStatus();
    void ShowLabelHint(const QPoint& globalPos);
    QString LabelHintText() const;
    bool LabelHintVisible() const;
    void JumpToMemory();
    void ShowCommandHelp(const QString& word);
    void RepaintMarks(); // re-applies the line colours
    void ShowCompletion();

signals:
    void breakpointsChanged();
    // The jump to a label or an address: the address-space list is to start there.
    void addressJumpRequested(uint16_t address);
    // The editor's modified flag changed or the text was edited (undo/redo availability).
    void textEdited();
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateErrorPanel();
    void CreateStatusBar();
    void CreatePopupMenu();
    void CreatePrintObject();
    void ConnectEditor();
    void ShowWindow();
    void OnTextChanged();
    void OnModified(int position, int modificationType, const char* text, int length, int linesAdded,
                    int line, int foldNow, int foldPrev, int token, int annotationLinesAdded);
    void SyncBreakpoints();
    LineColour ColourOf(int line0) const;
    bool HasExecutionMark(int line) const;
    void RestyleLine(int line); // 1-based; 0 ignored
    void ApplyMaximisedRule();
    void ScheduleMaximisedRule();

    QWidget* Napake = nullptr;
    QListWidget* lbNapake = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QStatusBar* sb = nullptr;
    QLabel* sbPanel0 = nullptr;
    QLabel* sbPanel1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* mnuSamoZaBranje = nullptr;
    QAction* Skoinapomnilnikolokacijo1 = nullptr;
    TLabelHint* labelHint = nullptr;

    QString documentName = Untitled;
    bool fileGroupEnabled = true;
    bool userReadOnly = false; // "Samo za branje" as the student left it before a load
    int executionLine = 0;
    int errorLine = 0;
    bool errorVisible = false;
    QList<int> breakpointCache;  // sorted, 1-based
    QStringList completionWords; // upper case, sorted
    std::unique_ptr<TPrintObject> printObject;
};
