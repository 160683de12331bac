#pragma once
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <Qsci/qsciscintilla.h>
#include <cstdint>
#include <functional>
#include <optional>

#include "editor/asmlexer.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QStatusBar;
class QTimer;
class QToolButton;

// The source editor widget: forwards the key and mouse events the code window reacts to.
class TKodaEditor : public QsciScintilla {
    Q_OBJECT
public:
    using QsciScintilla::QsciScintilla;
signals:
    void keyReleased();
    void mouseReleased(QPoint globalPos);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

public:
    QMenu* contextMenu = nullptr;
};

// The code window: the assembly source editor with its gutter marks, line colours, error panel,
// status bar and context menu. It paints the simulator's state (current line, breakpoints,
// error line) into the text; the main window decides what that state is.
//
// Line numbers in this interface are 1-based, 0 meaning "no line".
class TfrmKoda : public QWidget {
    Q_OBJECT
public:
    static inline const QString Untitled = QStringLiteral("Neimenovan");

    explicit TfrmKoda(QWidget* parent = nullptr);

    // --- components
    TKodaEditor* txtKoda = nullptr;
    TAsmLexer* barve = nullptr; // screen highlighter
    TAsmLexer* tisk = nullptr;  // print / export highlighter
    QWidget* Napake = nullptr;
    QListWidget* lbNapake = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QStatusBar* sb = nullptr;
    QLabel* sbPanel0 = nullptr;
    QLabel* sbPanel1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* mnuKopiraj = nullptr;
    QAction* mnuIzrezi = nullptr;
    QAction* mnuPrilepi = nullptr;
    QAction* Najdi1 = nullptr;
    QAction* mnuZamenjaj = nullptr;
    QAction* mnuSamoZaBranje = nullptr;
    QAction* Prekinitvenatoka1 = nullptr;
    QAction* Skoinapomnilnikolokacijo1 = nullptr;
    QLabel* labelHint = nullptr;
    QTimer* Timer1 = nullptr;
    int hintTicks = 0;

    // --- hooks set by the main window
    // Label lookup with offsets ("STEVEC+1"); the name is upper-cased already.
    std::function<std::optional<uint16_t>(const QString&)> FindLabel;
    // Moves the address-space view to an address (sets memoryTop and refreshes).
    std::function<void(uint16_t)> JumpToAddress;
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
    void SetSource(const QString& text); // replaces the text, clears undo and the modified flag
    QString Source() const { return txtKoda->text(); }
    int LineCount() const { return txtKoda->lines(); }
    int CaretLine() const;   // 1-based
    int CaretColumn() const; // 1-based
    void SetCaret(int line, int column = 1);
    // Run of non-blank characters under the caret (without a trailing comment or a leading "#").
    QString WordAtCaret() const;

    // --- document name (the window caption)
    QString DocumentName() const { return windowTitle(); }
    void SetDocumentName(const QString& name) { setWindowTitle(name); }

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

    // --- commands of the window
    void UpdateStatus();
    void ShowLabelHint(const QPoint& globalPos);
    QString LabelHintText() const;
    bool LabelHintVisible() const;
    void JumpToMemory();
    void ShowCommandHelp(const QString& word);
    void RepaintMarks(); // re-applies the line colours
    void ShowCompletion();

    static constexpr int ExecutionMarker = 2; // drawn over a breakpoint mark
    static constexpr int BreakpointMarker = 1;
    static constexpr int ErrorMarker = 3;

signals:
    void breakpointsChanged();
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
    void OnTextChanged();
    void OnModified(int position, int modificationType, const char* text, int length, int linesAdded,
                    int line, int foldNow, int foldPrev, int token, int annotationLinesAdded);
    void SyncBreakpoints();
    LineColour ColourOf(int line0) const;
    bool HasExecutionMark(int line) const;
    void RestyleLine(int line); // 1-based; 0 ignored
    void HintTick();
    void ApplyMaximisedRule();
    void ScheduleMaximisedRule();

    int executionLine = 0;
    int errorLine = 0;
    bool errorVisible = false;
    QList<int> breakpointCache;  // sorted, 1-based
    QStringList completionWords; // upper case, sorted
};
