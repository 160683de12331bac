#pragma once
#include <Qsci/qscilexercustom.h>

#include <QByteArray>
#include <QSet>
#include <QStringList>
#include <functional>

#include "windows/displaystyle.h"

// Whole-line colouring that overrides the syntax colours of a line (current execution line,
// breakpoint line, assembler error line).
enum class LineColour { None, Execution, Breakpoint, Error };

// Syntax highlighter for MC6803 assembly source. A line is coloured as the assembler reads it
// (LayoutLine): the label, the mnemonic (a keyword when it is one), the operand and SM's data
// tokens (numbers, or texts and label references), then as a comment everything the assembler
// ignores: a remark after the operand, written with or without ";", and a comment started by an
// unquoted ";" or "*". Only spaces separate fields, so a TAB joins the words around it into one
// field, as it does for the assembler. Three schemes: the screen scheme `barve` (navy background), the print
// and export scheme `tisk` (white background, black text, comments italic, keywords bold) and the coloured
// print scheme `tiskanje1` (white background, dark colours) that the source is printed with when colours are
// on.
class TAsmLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    enum Scheme { Screen, Print, PrintColour };
    enum Style {
        Default = 0,
        Comment,
        Keyword,
        Number,
        Identifier,
        ExecutionLine,
        BreakpointLine,
        ErrorLine,
        StyleCount
    };

    explicit TAsmLexer(Scheme scheme, QObject* parent = nullptr);

    const char* language() const override { return "MC6803"; }
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QColor defaultPaper(int style) const override;
    QFont defaultFont(int style) const override;
    bool defaultEolFill(int style) const override;
    const char* wordCharacters() const override;
    void styleText(int start, int end) override;

    // Keywords are compared without regard to case.
    void SetKeywords(const QStringList& words);
    bool IsKeyword(const QByteArray& word) const;
    QStringList Keywords() const;
    Scheme ColourScheme() const { return scheme; }
    // The font family used by every style (default "Courier New", 13 pixels).
    void SetFontFamily(const QString& family);
    QString FontFamily() const { return fontFamily; }

    // Listing mode: each line starts with the line number and the address and bytes of the
    // listing, followed by the source line; the prefix is coloured apart from the source.
    bool ListingMode = false;

    // Asked for every styled line (0-based); a colour other than None paints the whole line.
    std::function<LineColour(int line)> LineColourOf;

    // Pure classification of one line's bytes into styles, one style byte per input byte.
    // Exposed for tests and for the HTML export.
    QByteArray StyleLine(const QByteArray& line) const;

private:
    QByteArray StyleSource(const QByteArray& line) const;

    Scheme scheme;
    QSet<QByteArray> keywords;
    QString fontFamily = kFixedFontFamily;
};
