#include "workbench/historylist.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

THistoryList::THistoryList(QMenu* menu, QObject* parent) : QObject(parent), menu(menu) { Rebuild(); }

QStringList THistoryList::Paths() const {
    QStringList paths;
    for (const Entry& e : entries)
        paths << e.path;
    return paths;
}

void THistoryList::AddItem(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].path == path) {
            entries.move(i, 0);
            Rebuild();
            return;
        }
    }
    entries.prepend({QFileInfo(path).fileName(), path});
    while (entries.size() > MaxEntries)
        entries.removeLast();
    Rebuild();
}

void THistoryList::Rebuild() {
    menu->clear();
    if (entries.isEmpty()) {
        QAction* none = menu->addAction(QStringLiteral("(none)"));
        none->setEnabled(false);
        return;
    }
    for (const Entry& e : entries) {
        QAction* a = menu->addAction(e.caption);
        a->setData(e.path);
        a->setToolTip(e.path);
        const QString path = e.path;
        connect(a, &QAction::triggered, this, [this, path] { emit fileChosen(path); });
    }
}

void THistoryList::SetEnabled(bool enabled) { menu->setEnabled(enabled); }

void THistoryList::Load(QSettings& s) {
    s.beginGroup(QStringLiteral("Recent files"));
    QStringList paths;
    for (int n = 0;; ++n) {
        const QVariant file = s.value(QStringLiteral("File%1").arg(n));
        const QVariant name = s.value(QStringLiteral("Name%1").arg(n));
        if (!file.isValid() || !name.isValid()) break;
        paths << file.toString();
        if (n > 1000) break; // a damaged store cannot make this loop long
    }
    s.endGroup();
    for (qsizetype i = paths.size() - 1; i >= 0; --i)
        AddItem(paths[i]);
}

void THistoryList::Save(QSettings& s) const {
    if (entries.isEmpty()) return;
    s.beginGroup(QStringLiteral("Recent files"));
    for (int n = 0; n < entries.size(); ++n) {
        s.setValue(QStringLiteral("File%1").arg(n), entries[n].path);
        s.setValue(QStringLiteral("Name%1").arg(n), entries[n].caption);
    }
    for (int n = int(entries.size()); s.contains(QStringLiteral("File%1").arg(n)); ++n) {
        s.remove(QStringLiteral("File%1").arg(n));
        s.remove(QStringLiteral("Name%1").arg(n));
    }
    s.endGroup();
}
