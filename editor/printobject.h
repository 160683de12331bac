#pragma once
#include <Qsci/qsciprinter.h>

#include <QDateTime>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "editor/asmlexer.h"

class QsciScintilla;

// The print object of the code window: QScintilla's printer with the page layout, the header
// and footer, the print options and the text that the last preview bound to it. The print
// dialog and the preview work on this printer; what it prints is the bound text, so a print
// after a preview of the listing prints the listing.
//
// Margins are millimetres from the paper's edges. The text lies inside the left, right, top and
// bottom margins; the header ends HeaderMargin below the top edge and the footer starts
// FooterMargin above the bottom edge, and the text keeps clear of both whatever the numbers.
//
// Header and footer lines may hold the fields $TITLE$, $DATE$, $TIME$, $PAGENUM$ and
// $PAGECOUNT$, replaced when a page is drawn.
class TPrintObject : public QsciPrinter {
public:
    struct TLine {
        QString Text;
        QFont Font;
    };

    TPrintObject();
    ~TPrintObject() override;

    // Results of PageCount() that are not page counts.
    static constexpr int NoRoom = -1, NoNewPage = -2;

    double LeftMargin = 15, RightMargin = 15, TopMargin = 20, BottomMargin = 20;
    double HeaderMargin = 19, FooterMargin = 24;
    bool Colours = false;     // off: black on white whatever the scheme
    bool Syntax = false;      // off: every character in the plain text style
    bool LineNumbers = false; // a line number before every line
    bool Wrap = true;         // long lines continue on the next row; off: they are cut
    QString Title;            // $TITLE$
    QList<TLine> HeaderLines; // centred, top to bottom
    QList<TLine> FooterLines; // right-aligned, top to bottom

    // Binds the text to print: its lines, the colour scheme, the editor's font family and the
    // keywords that the scheme marks.
    // A listing is laid out as the listing window shows it (line number, address and bytes,
    // then the source).
    void Bind(const QString& text, TAsmLexer::Scheme scheme, const QString& fontFamily,
              const QStringList& keywords, bool listing = false);
    bool Bound() const { return bound; }
    QString BoundText() const { return text; }
    TAsmLexer::Scheme BoundScheme() const { return scheme; }

    // The number of pages the bound text takes on this printer's paper, measured without
    // printing. NoRoom (negative) when the margins leave no room for a line on the paper.
    int PageCount();

    // Prints on this printer: every page, or the page range chosen in the print dialog. On
    // failure returns false with a Slovenian message in `error`.
    bool Print(QString& error);

    // Draws the bound text on a painter open on a paged device (this printer, the preview's
    // printer or a PDF writer): the range of pages the device asks for when it is a printer
    // with a page range, else every page. `from` and `to` are ignored: a print is always of
    // the whole bound text.
    int printRange(QsciScintillaBase* qsb, QPainter& painter, int from = -1, int to = -1) override;
    using QsciPrinter::printRange;
    // The same for the bound text (the preview draws with it).
    bool Draw(QPainter& painter) { return printRange(nullptr, painter) != 0; }

    // The text of a header or footer line with its fields replaced.
    QString Expand(const QString& text, int page, int pageCount) const;

protected:
    void formatPage(QPainter& painter, bool drawing, QRect& area, int pagenr) override;

private:
    // Builds the document to print from the bound text and the options.
    void PrepareDocument();
    // Lays out (and with `first` > 0 draws pages first..last, last 0 = to the end) the bound
    // text; returns the number of pages laid out, NoRoom when nothing fits on a page or
    // NoNewPage when the device could not start a new page.
    int RunPages(QPainter& painter, int first, int last);

    std::unique_ptr<TAsmLexer> lexer;        // the bound scheme, while syntax marking is on
    std::unique_ptr<QsciScintilla> document; // holds the bound text; never shown
    bool bound = false;
    QString text;
    bool listing = false;
    QStringList keywords;
    TAsmLexer::Scheme scheme = TAsmLexer::Print;
    QString fontFamily = kFixedFontFamily;
    int pageCount = 0;   // of the print in progress, for $PAGECOUNT$
    QDateTime printedAt; // of the print in progress, for $DATE$ and $TIME$
};
