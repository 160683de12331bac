#pragma once
#include <QPoint>
#include <Qsci/qsciscintilla.h>

class QMenu;
class QsciLexer;

// The code window's source editor: QScintilla set up for assembly source (navy paper, black on
// yellow selection, no wrapping, a gutter with line numbers and the three mark images, the
// completion list's look), forwarding the key and mouse events the code window reacts to.
// The TAB key inserts spaces up to the next multiple of 8 columns (the assembler separates
// fields by spaces only); TAB characters already in a text are kept and drawn as arrows.
class TKodaEditor : public QsciScintilla {
    Q_OBJECT
public:
    // Gutter marks: the execution arrow is drawn over a breakpoint dot on the same line.
    static constexpr int BreakpointMarker = 1;
    static constexpr int ExecutionMarker = 2;
    static constexpr int ErrorMarker = 3;
    // The whole-line paper of each gutter mark, kept on the same lines as the marks. The line's
    // style paints it too; the paper mark also covers a line without any character (the empty
    // last line), which no style can reach. A higher number wins: error over breakpoint over
    // the execution line.
    static constexpr int ExecutionPaper = 5;
    static constexpr int BreakpointPaper = 6;
    static constexpr int ErrorPaper = 7;
    static int PaperOf(int marker) {
        return marker == ErrorMarker        ? ErrorPaper
               : marker == BreakpointMarker ? BreakpointPaper
                                            : ExecutionPaper;
    }
    static constexpr int TabWidth = 8;

    TKodaEditor(QsciLexer* lexer, QWidget* parent = nullptr);

    // A gutter mark with its line paper (0-based line).
    void AddMark(int line, int marker);
    void DeleteMark(int line, int marker);
    void DeleteAllMarks(int marker);

    // Sizes the line-number margin for the highest line number in the margin's font, so five
    // and more digits are not clipped.
    void FitNumberMargin();

    // The profile column, a text margin after the marks: hidden until switched on. Each line's
    // text is set by the caller (0-based line; empty clears it).
    static constexpr int ProfileMargin = 2;
    void SetProfileMarginShown(bool on);
    bool ProfileMarginShown() const { return profileShown_; }
    void SetProfileText(int line, const QString& text);

    // Shown on a right click instead of QScintilla's own menu (not owned).
    QMenu* contextMenu = nullptr;

signals:
    void keyReleased();
    void mouseReleased(QPoint globalPos);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    bool profileShown_ = false;
};
