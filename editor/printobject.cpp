#include "editor/printobject.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <Qsci/qsciscintilla.h>
#include <algorithm>
#include <cmath>

namespace {

int Millimetres(double mm, int dpi) { return int(std::lround(mm * dpi / 25.4)); }

// The gap between the header or footer and the text, in millimetres.
constexpr double kGap = 1.0;

// A new painter starts with a black pen and no brush, so setting those alone tells the paint
// engine nothing, and a PDF engine used before keeps the colours of its previous job: go
// through other values to make the defaults reach it.
void ResetPainter(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setPen(QPen(Qt::black));
    painter.setBrush(Qt::white);
    painter.setBrush(Qt::NoBrush);
}

} // namespace

TPrintObject::TPrintObject() {
    // The margins are measured from the paper's edges, not from the printable area.
    setFullPage(true);
    setWrapMode(QsciScintilla::WrapWord);
}

TPrintObject::~TPrintObject() = default;

void TPrintObject::Bind(const QString& newText, TAsmLexer::Scheme newScheme, const QString& family,
                        const QStringList& newKeywords, bool listingLayout) {
    text = newText;
    scheme = newScheme;
    fontFamily = family.isEmpty() ? kFixedFontFamily : family;
    keywords = newKeywords;
    listing = listingLayout;
    bound = true;
}

void TPrintObject::PrepareDocument() {
    // A new document for every print: QScintilla keeps styles of a lexer it has let go, so a
    // document once styled would not print plainly again.
    document.reset();
    lexer.reset();
    document = std::make_unique<QsciScintilla>();
    document->setUtf8(true);
    document->setEolMode(QsciScintilla::EolUnix);
    document->setTabWidth(8);
    document->setMarginWidth(1, 0);
    QFont plain(fontFamily);
    plain.setPointSize(10);
    plain.setStyleHint(QFont::TypeWriter);
    plain.setFixedPitch(true);
    // Syntax marking takes the bound scheme's styles; without it every character is plain
    // text in the editor's font.
    if (Syntax) {
        lexer = std::make_unique<TAsmLexer>(scheme);
        lexer->SetKeywords(keywords);
        lexer->SetFontFamily(fontFamily);
        lexer->ListingMode = listing;
        document->setLexer(lexer.get());
    } else {
        document->setFont(plain);
        document->setColor(Qt::black);
        document->setPaper(Qt::white);
    }
    document->setText(text);
    document->setMarginType(0, QsciScintilla::NumberMargin);
    QFont numbers = plain;
    numbers.setPointSize(8);
    document->setMarginsFont(numbers);
    document->setMarginsForegroundColor(QColor(0x60, 0x60, 0x60));
    document->setMarginsBackgroundColor(Qt::white);
    // A print lays the numbers out anew for the paper; a width above 0 only switches them on.
    if (LineNumbers) document->setMarginWidth(0, QStringLiteral("00000"));
    else document->setMarginWidth(0, 0);

    document->SendScintilla(QsciScintillaBase::SCI_SETPRINTCOLOURMODE,
                            Colours ? QsciScintillaBase::SC_PRINT_COLOURONWHITE
                                    : QsciScintillaBase::SC_PRINT_BLACKONWHITE);
    setWrapMode(Wrap ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
    document->SendScintilla(QsciScintillaBase::SCI_SETPRINTWRAPMODE,
                            Wrap ? QsciScintillaBase::SC_WRAP_WORD : QsciScintillaBase::SC_WRAP_NONE);
    document->SendScintilla(QsciScintillaBase::SCI_SETPRINTMAGNIFICATION, long(magnification()));
    // A wrapped line continues under its own first character, not at the margin.
    document->SendScintilla(QsciScintillaBase::SCI_SETWRAPINDENTMODE, QsciScintillaBase::SC_WRAPINDENT_SAME);
}

QString TPrintObject::Expand(const QString& text, int page, int pages) const {
    QString out = text;
    const QDateTime at = printedAt.isValid() ? printedAt : QDateTime::currentDateTime();
    out.replace(QStringLiteral("$TITLE$"), Title);
    out.replace(QStringLiteral("$DATE$"), at.toString(QStringLiteral("d. M. yyyy")));
    out.replace(QStringLiteral("$TIME$"), at.toString(QStringLiteral("HH:mm")));
    out.replace(QStringLiteral("$PAGENUM$"), QString::number(page));
    out.replace(QStringLiteral("$PAGECOUNT$"), QString::number(pages));
    return out;
}

void TPrintObject::formatPage(QPainter& painter, bool drawing, QRect& area, int pagenr) {
    QPaintDevice* device = painter.device();
    const int dpiX = device->logicalDpiX(), dpiY = device->logicalDpiY();
    const QRect paper = area;
    const int left = paper.left() + Millimetres(LeftMargin, dpiX);
    const int right = paper.right() - Millimetres(RightMargin, dpiX);
    const int headerBottom = paper.top() + Millimetres(HeaderMargin, dpiY);
    const int footerTop = paper.bottom() - Millimetres(FooterMargin, dpiY);

    auto height = [device](const TLine& line) {
        return int(std::ceil(QFontMetricsF(line.Font, device).height()));
    };
    int headerHeight = 0;
    for (const TLine& line : HeaderLines)
        headerHeight += height(line);
    int footerHeight = 0;
    for (const TLine& line : FooterLines)
        footerHeight += height(line);

    if (drawing) {
        painter.save();
        ResetPainter(painter);
        // The header's lines end at the header margin, the footer's begin at the footer margin.
        int y = headerBottom - headerHeight;
        for (const TLine& line : HeaderLines) {
            painter.setFont(line.Font);
            const int h = height(line);
            painter.drawText(QRect(left, y, right - left, h), Qt::AlignHCenter | Qt::AlignVCenter,
                             Expand(line.Text, pagenr, pageCount));
            y += h;
        }
        y = footerTop;
        for (const TLine& line : FooterLines) {
            painter.setFont(line.Font);
            const int h = height(line);
            painter.drawText(QRect(left, y, right - left, h), Qt::AlignRight | Qt::AlignVCenter,
                             Expand(line.Text, pagenr, pageCount));
            y += h;
        }
        painter.restore();
    }

    const int gap = Millimetres(kGap, dpiY);
    int top = paper.top() + Millimetres(TopMargin, dpiY);
    int bottom = paper.bottom() - Millimetres(BottomMargin, dpiY);
    if (!HeaderLines.isEmpty()) top = std::max(top, headerBottom + gap);
    if (!FooterLines.isEmpty()) bottom = std::min(bottom, footerTop - gap);
    area = QRect(QPoint(left, top), QPoint(right, bottom));
}

int TPrintObject::RunPages(QPainter& painter, int first, int last) {
    auto* device = dynamic_cast<QPagedPaintDevice*>(painter.device());
    if (!device) return NoNewPage;
    const long end = document->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const QRect paper(0, 0, painter.device()->width(), painter.device()->height());
    long pos = 0;
    bool drawn = false;
    for (int page = 1;; ++page) {
        const bool render = first > 0 && page >= first && (last <= 0 || page <= last);
        if (render) {
            if (drawn && !device->newPage()) return NoNewPage;
            drawn = true;
        }
        QRect area = paper;
        formatPage(painter, render, area, page);
        // An empty text still makes one page with its header and footer.
        if (pos < end) {
            if (area.width() <= 0 || area.height() <= 0) return NoRoom;
            const long next =
                document->SendScintilla(QsciScintillaBase::SCI_FORMATRANGE, render, &painter, area, pos, end);
            // Not even one line fits: another page would not take one either.
            if (next <= pos) return NoRoom;
            pos = next;
        }
        if (pos >= end || (first > 0 && last > 0 && page >= last)) return page;
    }
}

int TPrintObject::printRange(QsciScintillaBase*, QPainter& painter, int, int) {
    if (!painter.isActive() || !dynamic_cast<QPagedPaintDevice*>(painter.device())) return false;
    PrepareDocument();
    ResetPainter(painter);
    printedAt = QDateTime::currentDateTime();
    // The page count comes first: every footer shows it.
    pageCount = RunPages(painter, 0, 0);
    if (pageCount < 0) return false;
    int first = 1, last = 0;
    if (const auto* printer = dynamic_cast<QPrinter*>(painter.device());
        printer && printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        first = std::min(printer->fromPage(), pageCount);
        last = printer->toPage() > 0 ? std::max(first, std::min(printer->toPage(), pageCount)) : 0;
    }
    return RunPages(painter, first, last) > 0;
}

int TPrintObject::PageCount() {
    PrepareDocument();
    // Measured on a PDF writer with this printer's paper and resolution: the same layout as a
    // print, without starting one.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(resolution());
    const QPageLayout layout = pageLayout();
    writer.setPageLayout(QPageLayout(layout.pageSize(), layout.orientation(), QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer)) return NoNewPage;
    printedAt = QDateTime::currentDateTime();
    const int pages = RunPages(painter, 0, 0);
    painter.end();
    return pages;
}

bool TPrintObject::Print(QString& error) {
    QPainter painter;
    if (!painter.begin(this)) {
        error = outputFormat() == QPrinter::PdfFormat
                    ? QStringLiteral("Datoteke %1 ni mogoče zapisati.")
                          .arg(QDir::toNativeSeparators(outputFileName()))
                    : QStringLiteral("Tiskanje na tiskalnik %1 ni mogoče.").arg(printerName());
        return false;
    }
    const bool ok = printRange(nullptr, painter);
    if (!painter.end() || !ok) {
        error = pageCount == NoRoom
                    ? QStringLiteral("Na stran te velikosti z izbranimi robovi ne gre niti ena "
                                     "vrstica. Zmanjšajte robove v nastavitvah tiskanja.")
                    : QStringLiteral("Tiskanje ni uspelo.");
        return false;
    }
    return true;
}
