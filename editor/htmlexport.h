#pragma once
#include <QString>
#include <QStringList>

class TAsmLexer;

// The HTML exporter of the code window: the source lines as one HTML5 page, coloured and set
// in bold and italics by a highlighter's scheme (the code window exports with `tisk`), in
// Courier New 10 pt, without a background colour. Every character that HTML gives a meaning
// is escaped; control characters other than TAB, which no HTML page may hold, are shown by
// their visible symbols (U+2400...). The page declares UTF-8: write it as UTF-8.
QString ExportHtml(const QStringList& lines, const TAsmLexer& scheme,
                   const QString& title = QStringLiteral("Untitled"));
