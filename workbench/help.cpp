#include "workbench/help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <utility>

#include "windows/prompt.h"
#include "workbench/helpviewer.h"

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// Whether the desktop names a program for HTML documents. Without xdg-mime the toolkit decides
// on its own (and says so by its result).
bool DesktopHasHtmlProgram() {
    if (!qEnvironmentVariableIsEmpty("BROWSER") || !qEnvironmentVariableIsEmpty("DEFAULT_BROWSER"))
        return true;
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return true;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}
#endif

} // namespace

bool OpenWithDesktop(const QString& path) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (!DesktopHasHtmlProgram()) return false;
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

THelp::THelp(const QString& programDir, std::function<void(const QString& path)> openDocument,
             std::function<void()> aboutWindow)
    : DesktopOpen(OpenWithDesktop), programDir(programDir), openDocument(std::move(openDocument)),
      aboutWindow(std::move(aboutWindow)) {}

THelp::~THelp() = default;

void THelp::Open(const QString& name) {
    const QString path = programDir + QStringLiteral("/help/") + name;
    if (!QFileInfo::exists(path)) {
        Prompt().ShowMessage(QStringLiteral("Orlek"),
                             QStringLiteral("Datoteke s pomočjo ni: %1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (openDocument) openDocument(path);
}

void THelp::OpenDocument(const QString& path) {
    if (DesktopOpen && DesktopOpen(path)) return;
    Viewer().ShowPage(path);
}

THelpViewer& THelp::Viewer() {
    if (!viewer) viewer = std::make_unique<THelpViewer>(programDir);
    return *viewer;
}

void THelp::ShowManual() { Open(QStringLiteral("manual.htm")); }

void THelp::ShowCommandList() { Open(QStringLiteral("commands.htm")); }

QString THelp::AboutHelpText() {
    return QStringLiteral("Pomoč pokriva uporabo simulatorja in mikrokontrolerja MC6803. \n\n"
                          "Opis uporabe posameznih ukazov je dostopen tudi iz urejevalnika s pritiskom "
                          "tipke F1.\n\n"
                          "Vsebina pomoči je shranjena v obliki HTML dokumentov, zato je za uspešno uporabo "
                          "pomoči potreben program Mozilla Firefox, Chromium ali drug sodoben spletni "
                          "brskalnik.");
}

void THelp::AboutHelp() { Prompt().ShowMessage(QStringLiteral("O pomoči"), AboutHelpText()); }

void THelp::AboutProgram() {
    if (aboutWindow) aboutWindow();
}
