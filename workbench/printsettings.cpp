#include "workbench/printsettings.h"

#include <QSettings>
#include <QStringList>

namespace {

const QString kGroup = QStringLiteral("code/printing");

} // namespace

TPrintOptions TPrintOptions::DialogDefaults() {
    TPrintOptions o;
    o.Left = 15;
    o.Right = 15;
    o.Top = 20;
    o.Bottom = 20;
    o.Header = 20;
    o.Footer = 20;
    o.BlackWhite = true;
    o.Syntax = true;
    o.NumberedLines = false;
    o.WrapLines = true;
    return o;
}

TPrintOptions TPrintOptions::PreviewDefaults() {
    // The preview's own header and footer heights, and no syntax colours.
    TPrintOptions o = DialogDefaults();
    o.Header = 19;
    o.Footer = 24;
    o.Syntax = false;
    return o;
}

TStoreValue ReadStoreInt(QSettings& settings, const QString& name) {
    TStoreValue result;
    const QVariant v = settings.value(name);
    if (!v.isValid()) return result;
    bool ok = false;
    result.number = v.toString().trimmed().toInt(&ok);
    result.state = ok && v.typeId() != QMetaType::QStringList ? TStoreValue::Present : TStoreValue::Wrong;
    return result;
}

TStoreValue ReadStoreBool(QSettings& settings, const QString& name) {
    TStoreValue result;
    const QVariant v = settings.value(name);
    if (!v.isValid()) return result;
    const QString text = v.toString().trimmed().toLower();
    result.state = TStoreValue::Present;
    if (text == QLatin1String("1") || text == QLatin1String("true")) result.number = 1;
    else if (text == QLatin1String("0") || text == QLatin1String("false")) result.number = 0;
    else result.state = TStoreValue::Wrong;
    return result;
}

TStoreValue ReadStoreText(QSettings& settings, const QString& name, QString& text) {
    TStoreValue result;
    const QVariant v = settings.value(name);
    if (!v.isValid()) return result;
    // A value with a comma reads back from the INI file as a list: that is not a name.
    if (v.typeId() == QMetaType::QStringList || !v.canConvert<QString>()) {
        result.state = TStoreValue::Wrong;
        return result;
    }
    text = v.toString();
    result.state = TStoreValue::Present;
    return result;
}

bool ReadPrintOptions(QSettings& settings, const TPrintOptions& defaults, TPrintOptions& options) {
    struct Field {
        const char* name;
        int TPrintOptions::*number;
        bool TPrintOptions::*flag;
    };
    static const Field fields[] = {
        {"Left", &TPrintOptions::Left, nullptr},
        {"Right", &TPrintOptions::Right, nullptr},
        {"Top", &TPrintOptions::Top, nullptr},
        {"Bottom", &TPrintOptions::Bottom, nullptr},
        {"Header", &TPrintOptions::Header, nullptr},
        {"Footer", &TPrintOptions::Footer, nullptr},
        {"Black&white", nullptr, &TPrintOptions::BlackWhite},
        {"Syntax", nullptr, &TPrintOptions::Syntax},
        {"Numbered lines", nullptr, &TPrintOptions::NumberedLines},
        {"Wrap lines", nullptr, &TPrintOptions::WrapLines},
    };
    settings.beginGroup(kGroup);
    bool complete = true;
    for (const Field& f : fields) {
        const QString name = QLatin1String(f.name);
        const TStoreValue v = f.number ? ReadStoreInt(settings, name) : ReadStoreBool(settings, name);
        if (v.state == TStoreValue::Wrong) {
            complete = false;
            break;
        }
        if (f.number) options.*f.number = v.state == TStoreValue::Present ? v.number : defaults.*f.number;
        else options.*f.flag = v.state == TStoreValue::Present ? v.number != 0 : defaults.*f.flag;
    }
    settings.endGroup();
    return complete;
}

void WritePrintOptions(QSettings& settings, const TPrintOptions& o) {
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("Left"), o.Left);
    settings.setValue(QStringLiteral("Right"), o.Right);
    settings.setValue(QStringLiteral("Top"), o.Top);
    settings.setValue(QStringLiteral("Bottom"), o.Bottom);
    settings.setValue(QStringLiteral("Header"), o.Header);
    settings.setValue(QStringLiteral("Footer"), o.Footer);
    settings.setValue(QStringLiteral("Black&white"), o.BlackWhite ? 1 : 0);
    settings.setValue(QStringLiteral("Syntax"), o.Syntax ? 1 : 0);
    settings.setValue(QStringLiteral("Numbered lines"), o.NumberedLines ? 1 : 0);
    settings.setValue(QStringLiteral("Wrap lines"), o.WrapLines ? 1 : 0);
    settings.endGroup();
}
