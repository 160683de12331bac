#include "workbench/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

const QLocale kSlovenian(QLocale::Slovenian, QLocale::Slovenia);

} // namespace

void InstallTranslations() {
    auto* app = QCoreApplication::instance();
    if (!app) return;
    // Installed last, asked first: the workbench's own catalogue fills the gaps of Debian's.
    auto* toolkit = new QTranslator(app);
    if (toolkit->load(kSlovenian, QStringLiteral("qt"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(toolkit);
    auto* extra = new QTranslator(app);
    if (extra->load(QStringLiteral(":/i18n/qt_extra_sl.qm"))) QCoreApplication::installTranslator(extra);
}
