#include "workbench/watchstore.h"

#include <QFileInfo>
#include <QUrl>

#include "editor/frmkoda.h"

namespace {

// More documents than this under the key: forget those that no longer exist.
constexpr int kPruneAbove = 100;

QString ValueName(const QString& document) { return QString::fromLatin1(QUrl::toPercentEncoding(document)); }

bool Named(const QString& document) { return !document.isEmpty() && document != TfrmKoda::Untitled; }

} // namespace

QStringList WatchStore::Read(QSettings& settings, const QString& document, const QString& group) {
    if (!Named(document)) return {};
    settings.beginGroup(group);
    const QStringList lines = settings.value(ValueName(document)).toStringList();
    settings.endGroup();
    return lines;
}

void WatchStore::Write(QSettings& settings, const QString& document, const QStringList& lines,
                       const QString& group) {
    if (!Named(document)) return;
    settings.beginGroup(group);
    if (lines.isEmpty()) settings.remove(ValueName(document));
    else settings.setValue(ValueName(document), lines);
    const QStringList names = settings.childKeys();
    if (names.size() > kPruneAbove)
        for (const QString& name : names) {
            const QString path = QUrl::fromPercentEncoding(name.toLatin1());
            if (path != document && !QFileInfo::exists(path)) settings.remove(name);
        }
    settings.endGroup();
}
