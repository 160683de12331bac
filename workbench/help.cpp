#include "workbench/help.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

#include "windows/prompt.h"

THelp::THelp(const QString& programDir, std::function<void(const QString& path)> openExternal)
    : programDir(programDir), openExternal(std::move(openExternal)) {}

void THelp::Open(const QString& name) {
    const QString path = programDir + QStringLiteral("/help/") + name;
    if (!QFileInfo::exists(path)) {
        Prompt().ShowMessage(QStringLiteral("Orlek"),
                             QStringLiteral("Datoteke s pomočjo ni: %1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (openExternal) openExternal(path);
}

void THelp::ShowManual() { Open(QStringLiteral("manual.htm")); }

void THelp::ShowCommandList() { Open(QStringLiteral("commands.htm")); }

void THelp::AboutHelp() {
    Prompt().ShowMessage(QStringLiteral("O pomoči"),
                         QStringLiteral("Kazalo odpre priročnik, Seznam ukazov pa seznam ukazov MC6803.\n"
                                        "Tipka F1 v oknu s kodo odpre opis ukaza pod kazalcem."));
}

void THelp::AboutProgram() {
    Prompt().ShowMessage(QStringLiteral("O programu"),
                         QStringLiteral("Orlek\nUčno okolje za mikrokrmilnik Motorola MC6803."));
}
