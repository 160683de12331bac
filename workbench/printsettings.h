#pragma once
#include <QString>
#include <optional>

class QSettings;

// The printing options of the settings store ("code/printing"): the margins in millimetres
// and what a print shows.
struct TPrintOptions {
    int Left = 15, Right = 15, Top = 20, Bottom = 20, Header = 19, Footer = 24;
    bool BlackWhite = true, Syntax = false, NumberedLines = false, WrapLines = true;

    bool operator==(const TPrintOptions&) const = default;

    // What the settings dialog shows for a missing value (its fields raise Bottom to 25 and
    // Footer to 24, the least they take).
    static TPrintOptions DialogDefaults();
    // What a preview prints with for a missing value. They differ from the dialog's on purpose:
    // a store that never saw the dialog prints plainly (no marking), with the narrowest
    // margins; once the dialog has been confirmed every value exists.
    static TPrintOptions PreviewDefaults();
};

// Reads the values in the settings dialog's order: Left, Right, Top, Bottom, Header, Footer,
// Black&white, Syntax, Numbered lines, Wrap lines. A missing value takes its default; a value
// of another type (text that is no number, or no yes/no) ends the reading there and returns
// false, leaving that value and the ones after it as `options` had them.
bool ReadPrintOptions(QSettings& settings, const TPrintOptions& defaults, TPrintOptions& options);
// Writes all ten values (yes/no as 1/0).
void WritePrintOptions(QSettings& settings, const TPrintOptions& options);

// A value of the store as an integer or a yes/no: nothing when the value is missing, Wrong
// when it holds something of another type.
struct TStoreValue {
    enum State { Missing, Wrong, Present } state = Missing;
    int number = 0;
};
TStoreValue ReadStoreInt(QSettings& settings, const QString& name);
TStoreValue ReadStoreBool(QSettings& settings, const QString& name);
// A text value: nothing when missing, Wrong for a list or other non-text value.
TStoreValue ReadStoreText(QSettings& settings, const QString& name, QString& text);
