#pragma once
#include <QSettings>
#include <QString>
#include <QStringList>

// What is kept with each document in the settings store: under a key ("watch lists" for the
// watched variables, "boards" for the lab board's file), one value per document, named by the
// document's path (percent-encoded, so the store's own separators stay out of the name), holding
// lines. Documents without a name keep none.
namespace WatchStore {

inline const QString kWatchLists = QStringLiteral("watch lists");
inline const QString kBoards = QStringLiteral("boards");

QStringList Read(QSettings& settings, const QString& document, const QString& group = kWatchLists);
// An empty list removes the document's value. When the key holds many documents, those whose
// files are gone are dropped.
void Write(QSettings& settings, const QString& document, const QStringList& lines,
           const QString& group = kWatchLists);

} // namespace WatchStore
