#include "files/MemoryFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "view/Errors.h"

namespace memory_file {

namespace {
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
const QByteArray kLineEnd("\r\n");

QString readError(const QString& path, const QString& reason) {
    return QStringLiteral("No se puede leer el archivo %1: %2").arg(path, reason);
}

QString writeError(const QString& path, const QString& reason) {
    return QStringLiteral("No se puede escribir el archivo %1: %2").arg(path, reason);
}
}  // namespace

QStringList splitLines(const QByteArray& bytes) {
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf(kLineFeed, start);
        const bool lastLine = end < 0;
        if (lastLine) end = bytes.size();
        qsizetype textEnd = end;
        if (!lastLine && textEnd > start && bytes[textEnd - 1] == kCarriageReturn) --textEnd;
        lines << QString::fromLatin1(bytes.constData() + start, textEnd - start);
        start = end + 1;
    }
    return lines;
}

Contents parse(const QByteArray& bytes) {
    Contents contents;
    contents.lines = splitLines(bytes);
    if (contents.lines.isEmpty()) return contents;
    const QString& first = contents.lines.constFirst();
    contents.marker = first == kMarcaDecimal       ? Marker::Decimal
                      : first == kMarcaHexadecimal ? Marker::Hexadecimal
                                                   : Marker::Other;
    for (const QString& line : contents.lines)
        contents.lineTooLong = contents.lineTooLong || line.size() > kMaxLineLength;
    return contents;
}

Contents read(const QString& path) {
    return parse(readBytes(path));
}

QByteArray readBytes(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) throw IoError(kFileNotFound);
    if (info.isDir()) throw IoError(readError(path, QStringLiteral("es una carpeta")));
    if (info.size() > kMaxFileBytes)
        throw IoError(
            readError(path, QStringLiteral("es demasiado grande para un archivo de memoria")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw IoError(readError(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throw IoError(readError(path, file.errorString()));
    return bytes;
}

QByteArray format(const QString& marker, const std::vector<QString>& texts, std::size_t count) {
    QByteArray bytes;
    std::size_t size = marker.size() + kLineEnd.size();
    for (std::size_t i = 0; i < count && i < texts.size(); ++i)
        size += texts[i].size() + kLineEnd.size();
    bytes.reserve(static_cast<qsizetype>(size));
    bytes += marker.toLatin1();
    bytes += kLineEnd;
    for (std::size_t i = 0; i < count; ++i) {
        if (i < texts.size()) bytes += texts[i].toLatin1();
        bytes += kLineEnd;
    }
    return bytes;
}

void write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) throw IoError(writeError(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw IoError(writeError(path, file.errorString()));
}

QString nameOf(const QString& path) {
    const qsizetype cut =
        std::max({path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'), path.lastIndexOf(u':')});
    return path.mid(cut + 1);
}

}  // namespace memory_file
