#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "windows/prompt.h"
#include "workbench/frmmain.h"

namespace {

// The standard button captions of message boxes and dialogs in Slovenian; Qt's own Slovenian
// catalogue, where installed, does not cover them.
class TButtonTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QPlatformTheme") != 0 || !sourceText) return {};
        static const struct {
            const char* english;
            const char* slovenian;
        } captions[] = {
            {"OK", "V redu"},
            {"&Yes", "&Da"},
            {"&No", "&Ne"},
            {"Cancel", "Prekliči"},
            {"Open", "Odpri"},
            {"Save", "Shrani"},
            {"Close", "Zapri"},
            {"Discard", "Zavrzi"},
            {"Apply", "Uporabi"},
            {"Help", "Pomoč"},
            {"Yes to &All", "Da za &vse"},
            {"N&o to All", "N&e za vse"},
            {"Abort", "Prekini"},
            {"Retry", "Poskusi znova"},
            {"Ignore", "Prezri"},
        };
        for (const auto& c : captions)
            if (qstrcmp(sourceText, c.english) == 0) return QString::fromUtf8(c.slovenian);
        return {};
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orlek"));
    QApplication::setOrganizationName(QStringLiteral("Trivel"));

    // The toolkit's own dialogs (file dialogs, message-box buttons) speak Slovenian too when
    // Qt's Slovenian translation is installed; without it they stay as they are.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Slovenian, QLocale::Slovenia), QStringLiteral("qt"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    TButtonTranslator buttonTranslator;
    QApplication::installTranslator(&buttonTranslator);

    // The program's data (bin/, help/) lies beside the executable; the path is the real one,
    // with symbolic links resolved.
    const QString programDir = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();

    TfrmMain main(programDir);
    if (!main.Ok()) {
        Prompt().ShowError(QStringLiteral("Orlek"), main.StartupError());
        return 1;
    }
    const QStringList args = QCoreApplication::arguments();
    main.Start(args.size() > 1 ? args.at(1) : QString());
    return app.exec();
}
