#include "workbench/documentfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#include "base/encoding.h"
#include "base/files.h"
#include "base/syserror.h"

namespace TDocumentFile {

QString FileErrorReason(const QFileDevice& file, int error) {
    if (error != 0) return QString::fromStdString(SystemErrorText(error));
    switch (file.error()) {
    case QFileDevice::ReadError:
        return QStringLiteral("napaka pri branju");
    case QFileDevice::WriteError:
        return QStringLiteral("napaka pri pisanju");
    case QFileDevice::PermissionsError:
        return QStringLiteral("nimate dovoljenja");
    case QFileDevice::ResourceError:
        return QStringLiteral("zmanjkalo je prostora ali pomnilnika");
    case QFileDevice::RenameError:
        return QStringLiteral("začasne datoteke ni mogoče preimenovati");
    default:
        return QStringLiteral("datoteke ni mogoče odpreti");
    }
}

QString Decode(const QByteArray& bytes, TTextFormat& format) {
    format = TTextFormat{};
    // The byte order mark is written back as it was found.
    const TSourceBytes source = DetectEncoding(std::string_view(bytes.constData(), size_t(bytes.size())));
    format.byteOrderMark = source.ByteOrderMark;
    QString text;
    if (source.Encoding == TextEncoding::Utf8) {
        format.encoding = TTextFormat::Encoding::Utf8;
        text = QString::fromUtf8(source.Body.data(), qsizetype(source.Body.size()));
    } else {
        format.encoding = TTextFormat::Encoding::Cp1250;
        const std::string utf8 = Cp1250ToUtf8(source.Body);
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
    const QByteArray mark = format.byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    if (format.encoding == TTextFormat::Encoding::Utf8) {
        bytes = mark + utf8;
        return true;
    }
    const std::string cp = Utf8ToCp1250(std::string_view(utf8.constData(), size_t(utf8.size())));
    // Characters outside the code page would silently become "?": refuse instead.
    if (Cp1250ToUtf8(cp) != std::string_view(utf8.constData(), size_t(utf8.size()))) return false;
    bytes = mark + QByteArray(cp.data(), qsizetype(cp.size()));
    return true;
}

bool Read(const QString& path, QString& text, TTextFormat& format, QString& error) {
    // A source larger than the bound is no program the assembler could take; reading it whole
    // would only stall the workbench.
    const TFileRead read = ReadFileCapped(QFile::encodeName(path).toStdString(), size_t(MaxDocumentBytes));
    const QString shown = QDir::toNativeSeparators(path);
    switch (read.Failure) {
    case ReadFailure::None:
        break;
    case ReadFailure::Directory:
        error = QStringLiteral("Datoteke ni mogoče prebrati: %1 (to je mapa)").arg(shown);
        return false;
    case ReadFailure::Open:
    case ReadFailure::Read:
        error =
            QStringLiteral("Datoteke ni mogoče prebrati: %1 (%2)")
                .arg(shown, read.Error != 0 ? QString::fromStdString(SystemErrorText(read.Error))
                            : read.Failure == ReadFailure::Open ? QStringLiteral("datoteke ni mogoče odpreti")
                                                                : QStringLiteral("napaka pri branju"));
        return false;
    case ReadFailure::TooLarge:
        error = QStringLiteral("Datoteka %1 je prevelika za izvorno kodo (več kot %2 MB).")
                    .arg(shown)
                    .arg(MaxDocumentBytes / (1024 * 1024));
        return false;
    }
    // The editor's text ends at a zero byte, so such a file would be shown cut short and later
    // saved that way: it is not a text file and is refused.
    if (read.Data.find('\0') != std::string::npos) {
        error = QStringLiteral("Datoteka %1 ni besedilna datoteka (vsebuje ničelne zloge).").arg(shown);
        return false;
    }
    text = Decode(QByteArray::fromRawData(read.Data.data(), qsizetype(read.Data.size())), format);
    return true;
}

bool Write(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    // A writable file in a folder that takes no new files cannot get a temporary file beside
    // it: it can only be written in place, which is not atomic.
    const QFileInfo info(path);
    const bool inPlace = info.isFile() && info.isWritable() && !QFileInfo(info.absolutePath()).isWritable();
    file.setDirectWriteFallback(inPlace);
    errno = 0;
    bool opened = file.open(QIODevice::WriteOnly);
    bool ok = opened && file.write(bytes) == bytes.size();
    int reason = errno;
    if (ok) {
        errno = 0;
        // In place, commit() reports success even when its final flush failed; the error the
        // flush left behind tells.
        ok = file.commit() && file.error() == QFileDevice::NoError;
        reason = errno;
    }
    if (!ok) {
        error = QStringLiteral("Datoteke ni mogoče shraniti: %1 (%2)")
                    .arg(QDir::toNativeSeparators(path), FileErrorReason(file, reason));
        if (inPlace && opened)
            error += QStringLiteral(".\nMapa ne dovoli začasne datoteke, zato je bila datoteka pisana "
                                    "neposredno in je morda nepopolna. Besedilo v urejevalniku je "
                                    "ostalo; shranite ga z ukazom Shrani kot v drugo mapo.");
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace TDocumentFile
