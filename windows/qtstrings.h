#pragma once
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// The engine's UTF-8 string lists as the toolkit's.
inline QStringList ToQStringList(const std::vector<std::string>& lines) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        list << QString::fromStdString(line);
    return list;
}
