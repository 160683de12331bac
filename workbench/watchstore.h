#pragma once
#include <QSettings>
#include <QString>
#include <QStringList>

// The watched variables of each document in the settings store: under the key "watch lists", one
// value per document, named by the document's path (percent-encoded, so the store's own
// separators stay out of the name), holding the watch list's lines. Documents without a name
// keep none.
namespace WatchStore {

QStringList Read(QSettings& settings, const QString& document);
// An empty list removes the document's value. When the key holds many documents, those whose
// files are gone are dropped.
void Write(QSettings& settings, const QString& document, const QStringList& lines);

} // namespace WatchStore
