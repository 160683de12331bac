#include <QApplication>
#include <QFileInfo>

#include "windows/prompt.h"
#include "workbench/frmmain.h"
#include "workbench/translations.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orlek"));
    QApplication::setOrganizationName(QStringLiteral("Trivel"));

    // The toolkit's own dialogs (file and print dialogs, message-box buttons) in Slovenian.
    InstallTranslations();

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
