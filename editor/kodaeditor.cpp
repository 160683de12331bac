#include "editor/kodaeditor.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <Qsci/qscilexer.h>
#include <algorithm>

namespace {

// Gutter images: 10 execution arrow (left half), 11 breakpoint dot (right half), so both show
// on one line; 12 error cross.
QPixmap GutterImage(int which) {
    QPixmap pm(22, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case 10: {
        const QPointF arrow[] = {{1, 4}, {6, 4}, {6, 1}, {12, 7}, {6, 13}, {6, 10}, {1, 10}};
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(0x00, 0xC0, 0x00));
        p.drawPolygon(arrow, 7);
        break;
    }
    case 11:
        p.setPen(QPen(QColor(0x80, 0, 0), 1));
        p.setBrush(QColor(0xFF, 0x20, 0x20));
        p.drawEllipse(QRectF(10.5, 1.5, 11, 11));
        break;
    default:
        p.setPen(QPen(QColor(0x80, 0, 0), 1));
        p.setBrush(QColor(0xFF, 0xE0, 0x00));
        p.drawEllipse(QRectF(5.5, 1.5, 11, 11));
        p.setPen(QPen(QColor(0xC0, 0, 0), 2));
        p.drawLine(QPointF(8.5, 4.5), QPointF(13.5, 9.5));
        p.drawLine(QPointF(13.5, 4.5), QPointF(8.5, 9.5));
        break;
    }
    return pm;
}

} // namespace

TKodaEditor::TKodaEditor(QsciLexer* lexer, QWidget* parent) : QsciScintilla(parent) {
    setObjectName(QStringLiteral("txtKoda"));
    setUtf8(true);
    setEolMode(QsciScintilla::EolUnix);
    setLexer(lexer);
    setPaper(QColor(0, 0, 0x80));
    setCaretForegroundColor(Qt::white);
    setSelectionBackgroundColor(QColor(0xFF, 0xFF, 0x00));
    setSelectionForegroundColor(Qt::black);
    // TAB inserts spaces to the next multiple of 8 columns, also in the indentation; with a
    // selection over several lines it indents them by 8 spaces.
    setTabIndents(false);
    setIndentationsUseTabs(false);
    setTabWidth(TabWidth);
    setIndentationWidth(TabWidth);
    // Tabs that are in the text stay but show as arrows; spaces are not marked (their dots have
    // no size).
    setWhitespaceVisibility(QsciScintilla::WsVisible);
    SendScintilla(QsciScintillaBase::SCI_SETWHITESPACESIZE, 0);
    SendScintilla(QsciScintillaBase::SCI_SETLAYOUTCACHE, long(QsciScintillaBase::SC_CACHE_PAGE));
    setWhitespaceForegroundColor(QColor(0xFF, 0x80, 0x00));
    setScrollWidth(1024 * 8);
    setScrollWidthTracking(false);
    setWrapMode(QsciScintilla::WrapNone);
    setAutoCompletionSource(QsciScintilla::AcsNone);
    SendScintilla(QsciScintillaBase::SCI_AUTOCSETIGNORECASE, 1);
    SendScintilla(QsciScintillaBase::SCI_AUTOCSETMAXHEIGHT, 6);
    SendScintilla(QsciScintillaBase::SCI_AUTOCSETSEPARATOR, long(' '));
    SendScintilla(QsciScintillaBase::SCI_AUTOCSTOPS, "()[].");

    // Gutter: line numbers and the mark images.
    setMarginType(0, QsciScintilla::NumberMargin);
    FitNumberMargin();
    connect(this, &QsciScintilla::linesChanged, this, &TKodaEditor::FitNumberMargin);
    setMarginsBackgroundColor(QColor(0xD4, 0xD0, 0xC8));
    setMarginsForegroundColor(QColor(0x40, 0x40, 0x40));
    setMarginType(1, QsciScintilla::SymbolMargin);
    setMarginWidth(1, 24);
    setMarginMarkerMask(1, (1 << ExecutionMarker) | (1 << BreakpointMarker) | (1 << ErrorMarker));
    setMarginMarkerMask(0, 0);
    setMarginType(ProfileMargin, QsciScintilla::TextMargin);
    setMarginMarkerMask(ProfileMargin, 0);
    setMarginWidth(ProfileMargin, 0);
    markerDefine(GutterImage(10), ExecutionMarker);
    markerDefine(GutterImage(11), BreakpointMarker);
    markerDefine(GutterImage(12), ErrorMarker);
    const struct {
        int marker;
        QColor paper;
    } papers[] = {{ExecutionPaper, QColor(0x00, 0xFF, 0xFF)},
                  {BreakpointPaper, QColor(0xFF, 0x00, 0x00)},
                  {ErrorPaper, QColor(0x80, 0x00, 0x00)}};
    for (const auto& p : papers) {
        markerDefine(QsciScintilla::Background, p.marker);
        setMarkerBackgroundColor(p.paper, p.marker);
    }
}

void TKodaEditor::AddMark(int line, int marker) {
    markerAdd(line, marker);
    markerAdd(line, PaperOf(marker));
}

void TKodaEditor::DeleteMark(int line, int marker) {
    markerDelete(line, marker);
    markerDelete(line, PaperOf(marker));
}

void TKodaEditor::DeleteAllMarks(int marker) {
    markerDeleteAll(marker);
    markerDeleteAll(PaperOf(marker));
}

void TKodaEditor::SetProfileMarginShown(bool on) {
    profileShown_ = on;
    // "executions× cycles" of a busy line.
    if (on) setMarginWidth(ProfileMargin, QStringLiteral("999999× 99999999"));
    else setMarginWidth(ProfileMargin, 0);
    if (!on) clearMarginText();
}

void TKodaEditor::SetProfileText(int line, const QString& text) {
    if (text.isEmpty()) clearMarginText(line);
    else setMarginText(line, text, QsciScintillaBase::STYLE_LINENUMBER);
}

void TKodaEditor::FitNumberMargin() {
    // One digit to spare beyond the line count (at least four), so numbers never touch the edge.
    const int digits = std::max(4, int(QString::number(std::max(1, lines())).size())) + 1;
    setMarginWidth(0, QString(digits, QLatin1Char('9')));
}

void TKodaEditor::keyReleaseEvent(QKeyEvent* event) {
    QsciScintilla::keyReleaseEvent(event);
    emit keyReleased();
}

void TKodaEditor::mouseReleaseEvent(QMouseEvent* event) {
    QsciScintilla::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit mouseReleased(event->globalPosition().toPoint());
}

void TKodaEditor::paintEvent(QPaintEvent* event) {
    // The editor paints the bounding rectangle of what is to be painted: when the execution
    // mark jumps back over a loop, that is every line in between, at every display frame of a
    // fast run. A region of a few separate rectangles is painted a rectangle at a time instead.
    const QRegion& region = event->region();
    if (region.rectCount() < 2 || region.rectCount() > 8) {
        QsciScintilla::paintEvent(event);
        return;
    }
    for (const QRect& rect : region) {
        QPaintEvent part(rect);
        QsciScintilla::paintEvent(&part);
    }
}

void TKodaEditor::contextMenuEvent(QContextMenuEvent* event) {
    if (contextMenu) contextMenu->exec(event->globalPos());
    else QsciScintilla::contextMenuEvent(event);
}

// The completion list is a list widget the editor makes when it first needs one: 262 pixels
// wide, its selection aqua. The style sheet goes on the list alone: on the editor it would make
// every one of its parts (the scroll bars too) be drawn through the style sheet's slower style.
void TKodaEditor::childEvent(QChildEvent* event) {
    QsciScintilla::childEvent(event);
    if (event->type() != QEvent::ChildPolished) return;
    auto* list = qobject_cast<QListWidget*>(event->child());
    if (!list || !list->styleSheet().isEmpty()) return;
    list->setStyleSheet(QStringLiteral("QListWidget { min-width: 262px; max-width: 262px; "
                                       "selection-background-color: #00FFFF; selection-color: black; }"));
}
