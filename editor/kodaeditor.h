#pragma once
#include <QPoint>
#include <Qsci/qsciscintilla.h>

class QMenu;
class QsciLexer;

// The code window's source editor: QScintilla set up for assembly source (navy paper, black on
// yellow selection, no wrapping, a gutter with line numbers and the three mark images, the
// completion list's look), forwarding the key and mouse events the code window reacts to.
class TKodaEditor : public QsciScintilla {
    Q_OBJECT
public:
    // Gutter marks: the execution arrow is drawn over a breakpoint dot on the same line.
    static constexpr int BreakpointMarker = 1;
    static constexpr int ExecutionMarker = 2;
    static constexpr int ErrorMarker = 3;

    TKodaEditor(QsciLexer* lexer, QWidget* parent = nullptr);

    // Shown on a right click instead of QScintilla's own menu (not owned).
    QMenu* contextMenu = nullptr;

signals:
    void keyReleased();
    void mouseReleased(QPoint globalPos);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};
