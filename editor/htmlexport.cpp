#include "editor/htmlexport.h"

#include <QColor>
#include <QFont>

#include "editor/asmlexer.h"

namespace {

QString Escape(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\'':
            out += QLatin1String("&#39;");
            break;
        default:
            if (u == u'\t') out += c;
            else if (u < 0x20) out += QChar(char16_t(0x2400 + u)); // the control's picture
            else if (u == 0x7F) out += QChar(char16_t(0x2421));
            else if (u >= 0x80 && u < 0xA0) out += QChar(char16_t(0xFFFD));
            else out += c;
        }
    }
    return out;
}

// The CSS class of each style the page uses; the default style has none.
const char* ClassOf(int style) {
    switch (style) {
    case TAsmLexer::Comment:
        return "c";
    case TAsmLexer::Keyword:
        return "k";
    case TAsmLexer::Number:
        return "n";
    case TAsmLexer::Identifier:
        return "i";
    default:
        return nullptr;
    }
}

QString Css(const TAsmLexer& scheme, int style) {
    const QFont font = scheme.defaultFont(style);
    QString css = QStringLiteral("color:%1").arg(scheme.defaultColor(style).name());
    if (font.bold()) css += QLatin1String(";font-weight:bold");
    if (font.italic()) css += QLatin1String(";font-style:italic");
    return css;
}

} // namespace

QString ExportHtml(const QStringList& lines, const TAsmLexer& scheme, const QString& title) {
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"sl\">\n<head>\n<meta charset=\"utf-8\">\n"
                                  "<title>%1</title>\n<style>\n"
                                  "pre{font-family:\"Courier New\",monospace;font-size:10pt;%2}\n")
                       .arg(Escape(title), Css(scheme, TAsmLexer::Default));
    for (int style : {TAsmLexer::Comment, TAsmLexer::Keyword, TAsmLexer::Number, TAsmLexer::Identifier})
        html += QStringLiteral("pre .%1{%2}\n").arg(QLatin1String(ClassOf(style)), Css(scheme, style));
    // A line break right after <pre> belongs to the tag, so a first empty line survives.
    html += QLatin1String("</style>\n</head>\n<body>\n<pre>\n");
    for (int n = 0; n < lines.size(); ++n) {
        // The highlighter classifies bytes; its delimiters are ASCII, so a run of one style never
        // splits a character's UTF-8 bytes.
        const QByteArray bytes = lines[n].toUtf8();
        const QByteArray styles = scheme.StyleLine(bytes);
        qsizetype k = 0;
        while (k < bytes.size()) {
            const char style = k < styles.size() ? styles[k] : char(TAsmLexer::Default);
            qsizetype m = k;
            while (m < bytes.size() && (m < styles.size() ? styles[m] : char(TAsmLexer::Default)) == style)
                ++m;
            const QString run = Escape(QString::fromUtf8(bytes.mid(k, m - k)));
            if (const char* cls = ClassOf(style))
                html += QStringLiteral("<span class=\"%1\">%2</span>").arg(QLatin1String(cls), run);
            else html += run;
            k = m;
        }
        if (n + 1 < lines.size()) html += QLatin1Char('\n');
    }
    html += QLatin1String("\n</pre>\n</body>\n</html>\n");
    return html;
}
