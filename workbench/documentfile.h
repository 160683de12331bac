#pragma once
#include <QByteArray>
#include <QString>

#include "base/files.h"

class QFileDevice;

// How a document's bytes are turned into editor text and back.
struct TTextFormat {
    enum class Encoding { Utf8, Cp1250 } encoding = Encoding::Utf8;
    bool byteOrderMark = false;               // the file started with EF BB BF
    QString lineEnd = QStringLiteral("\r\n"); // the file's line terminator
};

// A document file read or written whole. Text is held with "\n" line ends; the format
// remembers what the file used so a save writes the same kind of bytes back.
namespace TDocumentFile {
// Why a file operation failed, in Slovenian: the system's reason when `error` (an errno value
// taken right after the failed call) is set, else the file's own error kind.
QString FileErrorReason(const QFileDevice& file, int error);
// Decodes file bytes: a leading byte order mark is dropped (and remembered), then valid UTF-8
// is read as UTF-8, anything else as Windows-1250.
QString Decode(const QByteArray& bytes, TTextFormat& format);
// Encodes editor text in the format. Fails (returns false) when the text holds characters
// that the format's code page cannot represent.
bool Encode(const QString& text, const TTextFormat& format, QByteArray& bytes);
// Larger files are refused by Read: the bound of every source.
constexpr qint64 MaxDocumentBytes = qint64(kMaxSourceBytes);
// Reads a file; on failure returns false with a message in `error`. Files larger than
// MaxDocumentBytes and files holding zero bytes (not text) are refused.
bool Read(const QString& path, QString& text, TTextFormat& format, QString& error);
// Writes the bytes through a temporary file beside the target that replaces it only when
// complete, so a failed save never damages the old file. A writable file in a folder that
// takes no new files is written in place; when that fails, the message says the file may be
// incomplete.
bool Write(const QString& path, const QByteArray& bytes, QString& error);
} // namespace TDocumentFile
