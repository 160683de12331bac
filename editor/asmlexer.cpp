#include "editor/asmlexer.h"

#include <Qsci/qsciscintilla.h>

#include <QFont>
#include <QRegularExpression>
#include <algorithm>
#include <cctype>

#include "assembler/syntax.h"

namespace {

// Numeric literal forms of the assembler, optionally immediate ("#") and optionally indexed
// (",X"): decimal with sign, "$" / "0x" hexadecimal, "%" binary, or a character constant.
bool IsNumberToken(const QByteArray& token) {
    static const QRegularExpression re(
        QStringLiteral(R"(^#?([+-]?[0-9]+|\$[0-9A-Fa-f]+|0[xX][0-9A-Fa-f]+|%[01]+|'.'?)(,[xX])?$)"));
    return re.match(QString::fromUtf8(token)).hasMatch();
}

} // namespace

TAsmLexer::TAsmLexer(Scheme scheme, QObject* parent) : QsciLexerCustom(parent), scheme(scheme) {}

QString TAsmLexer::description(int style) const {
    switch (style) {
    case Default:
        return QStringLiteral("Default");
    case Comment:
        return QStringLiteral("Comment");
    case Keyword:
        return QStringLiteral("Keyword");
    case Number:
        return QStringLiteral("Number");
    case Identifier:
        return QStringLiteral("Identifier");
    case ExecutionLine:
        return QStringLiteral("Execution line");
    case BreakpointLine:
        return QStringLiteral("Breakpoint line");
    case ErrorLine:
        return QStringLiteral("Error line");
    default:
        return {};
    }
}

QColor TAsmLexer::defaultColor(int style) const {
    switch (style) {
    case ExecutionLine:
        return Qt::black;
    case BreakpointLine:
    case ErrorLine:
        return Qt::white;
    default:
        break;
    }
    if (scheme == Print) return Qt::black;
    if (scheme == PrintColour) {
        switch (style) {
        case Comment:
            return QColor(0x60, 0x60, 0x60); // grey
        case Keyword:
            return QColor(0x00, 0x00, 0x80); // navy
        case Number:
            return QColor(0x00, 0x70, 0x00); // dark green
        case Identifier:
            return QColor(0x80, 0x00, 0x00); // maroon
        default:
            return Qt::black;
        }
    }
    switch (style) {
    case Comment:
        return QColor(0xC0, 0xC0, 0xC0); // silver
    case Keyword:
        return Qt::white;
    case Number:
        return QColor(0x00, 0xFF, 0x00); // lime
    case Identifier:
        return QColor(0xFF, 0xFF, 0x00); // yellow
    default:
        return QColor(0xFF, 0xFF, 0xFF); // blanks: window text on navy
    }
}

QColor TAsmLexer::defaultPaper(int style) const {
    switch (style) {
    case ExecutionLine:
        return QColor(0x00, 0xFF, 0xFF); // aqua
    case BreakpointLine:
        return QColor(0xFF, 0x00, 0x00); // red
    case ErrorLine:
        return QColor(0x80, 0x00, 0x00); // maroon
    default:
        break;
    }
    return scheme == Screen ? kNavy : QColor(Qt::white);
}

QFont TAsmLexer::defaultFont(int style) const {
    QFont font(fontFamily);
    font.setPointSize(10); // 13 pixels at 96 dpi
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (style == Comment) font.setItalic(true);
    if (style == Keyword) font.setBold(true);
    return font;
}

bool TAsmLexer::defaultEolFill(int style) const {
    // Marked lines are painted across the whole width of the window.
    return style == ExecutionLine || style == BreakpointLine || style == ErrorLine;
}

const char* TAsmLexer::wordCharacters() const {
    // Every printable character is part of a word: the assembler's tokens are separated only by
    // blanks ("stevec+1" is one word).
    static const QByteArray chars = [] {
        QByteArray all;
        for (int c = '!'; c <= '~'; ++c)
            all.append(char(c));
        for (int c = 0x80; c <= 0xFF; ++c)
            all.append(char(c));
        return all;
    }();
    return chars.constData();
}

void TAsmLexer::SetKeywords(const QStringList& words) {
    keywords.clear();
    for (const QString& word : words)
        keywords.insert(word.trimmed().toUpper().toLatin1());
}

bool TAsmLexer::IsKeyword(const QByteArray& word) const { return keywords.contains(word.toUpper()); }

QStringList TAsmLexer::Keywords() const {
    QStringList list;
    for (const QByteArray& word : keywords)
        list << QString::fromLatin1(word);
    list.sort();
    return list;
}

void TAsmLexer::SetFontFamily(const QString& family) {
    fontFamily = family.isEmpty() ? kFixedFontFamily : family;
    for (int style = 0; style < StyleCount; ++style)
        setFont(defaultFont(style), style);
}

QByteArray TAsmLexer::StyleLine(const QByteArray& line) const {
    if (ListingMode) {
        // "   11  2000 7F1000      source": number, two blanks, a field of at least 16
        // characters with the address and the bytes, one blank, the source text.
        const int n = int(line.size());
        int pos = 0;
        while (pos < n && line[pos] == ' ')
            ++pos;
        while (pos < n && line[pos] >= '0' && line[pos] <= '9')
            ++pos;
        const int numberEnd = pos;
        pos += 2;
        int end = pos + 5;
        while (end < n && std::isxdigit(static_cast<unsigned char>(line[end])))
            ++end;
        const int fieldEnd = std::min(n, std::max(pos + 16, end) + 1);
        QByteArray styles(fieldEnd, char(Default));
        for (int k = 0; k < std::min(numberEnd, fieldEnd); ++k)
            if (line[k] != ' ') styles[k] = char(Comment);
        for (int k = std::min(pos, fieldEnd); k < fieldEnd; ++k)
            if (line[k] != ' ') styles[k] = char(Number);
        return styles + StyleSource(line.mid(fieldEnd));
    }
    return StyleSource(line);
}

QByteArray TAsmLexer::StyleSource(const QByteArray& line) const {
    QByteArray styles(line.size(), char(Default));
    const std::string_view text(line.constData(), size_t(line.size()));
    const TLineLayout layout = LayoutLine(text);
    const auto paint = [&](size_t begin, size_t end, char style) {
        for (size_t k = begin; k < end; ++k)
            styles[qsizetype(k)] = style;
    };
    // An operand or SM data token: a quoted text, a number, or a label reference.
    const auto valueStyle = [&](TSpan span) {
        const QByteArray word = line.mid(qsizetype(span.Begin), qsizetype(span.Size()));
        return word.contains('"') || !IsNumberToken(word) ? char(Identifier) : char(Number);
    };
    paint(layout.Label.Begin, layout.Label.End, char(Identifier));
    const QByteArray mnemonic = line.mid(qsizetype(layout.Mnemonic.Begin), qsizetype(layout.Mnemonic.Size()));
    paint(layout.Mnemonic.Begin, layout.Mnemonic.End, IsKeyword(mnemonic) ? char(Keyword) : char(Identifier));
    paint(layout.Operand.Begin, layout.Operand.End, valueStyle(layout.Operand));
    // SM's data tokens.
    for (TSpan token = NextToken(text, layout.Operand.End, layout.ReadEnd); token.Size() > 0;
         token = NextToken(text, token.End, layout.ReadEnd))
        paint(token.Begin, token.End, valueStyle(token));
    // The remark after the fields and the comment: what the assembler ignores.
    paint(layout.IgnoredStart, size_t(line.size()), char(Comment));
    return styles;
}

void TAsmLexer::styleText(int start, int end) {
    QsciScintilla* ed = editor();
    if (!ed) return;
    int firstLine = 0, lastLine = 0, index = 0;
    ed->lineIndexFromPosition(start, &firstLine, &index);
    ed->lineIndexFromPosition(end, &lastLine, &index);
    const int lines = ed->lines();
    if (lastLine >= lines) lastLine = lines - 1;

    startStyling(ed->positionFromLineIndex(firstLine, 0));
    for (int line = firstLine; line <= lastLine; ++line) {
        const int lineStart = int(ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line));
        const int lineEnd = int(ed->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line));
        const int nextStart = line + 1 < lines
                                  ? int(ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1))
                                  : lineEnd;
        const LineColour colour = LineColourOf ? LineColourOf(line) : LineColour::None;
        if (colour != LineColour::None) {
            const int whole = colour == LineColour::Execution    ? ExecutionLine
                              : colour == LineColour::Breakpoint ? BreakpointLine
                                                                 : ErrorLine;
            setStyling(nextStart - lineStart, whole);
            continue;
        }
        const QByteArray text = ed->bytes(lineStart, lineEnd);
        QByteArray styles = StyleLine(text.left(lineEnd - lineStart));
        // Runs of equal style in one call each.
        int k = 0;
        while (k < styles.size()) {
            int m = k;
            while (m < styles.size() && styles[m] == styles[k])
                ++m;
            setStyling(m - k, int(styles[k]));
            k = m;
        }
        if (nextStart > lineEnd) setStyling(nextStart - lineEnd, Default);
    }
}
