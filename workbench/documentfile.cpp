#include "workbench/documentfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "assembler/encoding.h"

namespace TDocumentFile {

QString Decode(const QByteArray& bytes, TTextFormat& format) {
    QByteArray body = bytes;
    format = TTextFormat{};
    const std::string_view view(body.constData(), size_t(body.size()));
    QString text;
    if (IsValidUtf8(view)) {
        format.encoding = TTextFormat::Encoding::Utf8;
        if (body.startsWith("\xEF\xBB\xBF")) {
            format.byteOrderMark = true;
            body.remove(0, 3);
        }
        text = QString::fromUtf8(body);
    } else {
        format.encoding = TTextFormat::Encoding::Cp1250;
        const std::string utf8 = Cp1250ToUtf8(view);
        text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    }
    // The line terminator of the first line decides; a file without one gets CR LF.
    const qsizetype lf = text.indexOf(QLatin1Char('\n'));
    const qsizetype cr = text.indexOf(QLatin1Char('\r'));
    if (lf >= 0 && (cr < 0 || lf < cr)) format.lineEnd = QStringLiteral("\n");
    else if (cr >= 0 && cr + 1 < text.size() && text[cr + 1] == QLatin1Char('\n'))
        format.lineEnd = QStringLiteral("\r\n");
    else if (cr >= 0) format.lineEnd = QStringLiteral("\r");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool Encode(const QString& text, const TTextFormat& format, QByteArray& bytes) {
    QString body = text;
    if (format.lineEnd != QLatin1String("\n")) body.replace(QLatin1Char('\n'), format.lineEnd);
    const QByteArray utf8 = body.toUtf8();
    if (format.encoding == TTextFormat::Encoding::Utf8) {
        bytes = format.byteOrderMark ? QByteArray("\xEF\xBB\xBF") + utf8 : utf8;
        return true;
    }
    const std::string cp = Utf8ToCp1250(std::string_view(utf8.constData(), size_t(utf8.size())));
    // Characters outside the code page would silently become "?": refuse instead.
    if (Cp1250ToUtf8(cp) != std::string_view(utf8.constData(), size_t(utf8.size()))) return false;
    bytes = QByteArray(cp.data(), qsizetype(cp.size()));
    return true;
}

bool Read(const QString& path, QString& text, TTextFormat& format, QString& error) {
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        error = QStringLiteral("Datoteke ni mogoče prebrati: %1 (to je mapa)")
                    .arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Datoteke ni mogoče prebrati: %1 (%2)")
                    .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    // A source of this size is no program the assembler could take; reading it whole would
    // only stall the workbench.
    if (file.size() > MaxDocumentBytes) {
        error = QStringLiteral("Datoteka %1 je prevelika za izvorno kodo (več kot %2 MB).")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(MaxDocumentBytes / (1024 * 1024));
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Datoteke ni mogoče prebrati: %1 (%2)")
                    .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    // The editor's text ends at a zero byte, so such a file would be shown cut short and later
    // saved that way: it is not a text file and is refused.
    if (bytes.contains('\0')) {
        error = QStringLiteral("Datoteka %1 ni besedilna datoteka (vsebuje ničelne zloge).")
                    .arg(QDir::toNativeSeparators(path));
        return false;
    }
    text = Decode(bytes, format);
    return true;
}

bool Write(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("Datoteke ni mogoče shraniti: %1 (%2)")
                    .arg(QDir::toNativeSeparators(path), file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace TDocumentFile
