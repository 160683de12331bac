#pragma once
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QMenu;
class QSettings;

// The recent-files sub-menu: at most four entries, most recent first; each shows the file
// name and keeps the full path.
class THistoryList : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxEntries = 4;
    struct Entry {
        QString caption;
        QString path;
    };

    explicit THistoryList(QMenu* menu, QObject* parent = nullptr);

    // Puts an existing file at the top (moves it there when listed already).
    void AddItem(const QString& path);
    const QList<Entry>& Entries() const { return entries; }
    QStringList Paths() const;

    // "Recent files" group of the store: values File<N> (path) and Name<N> (caption).
    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
    void SetEnabled(bool enabled);

signals:
    void fileChosen(const QString& path);

private:
    void Rebuild();
    QMenu* menu;
    QList<Entry> entries;
};
