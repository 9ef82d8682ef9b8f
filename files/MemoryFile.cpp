#include "files/MemoryFile.h"

#include <QElapsedTimer>
#include <cerrno>

#include "files/SafeIo.h"
#include "view/Errors.h"

namespace memory_file {

namespace {
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
const QByteArray kLineEnd("\r\n");
constexpr qint64 kLongestWaitMs = 10'000;

QString readError(const QString& path, const QString& reason) {
    return QStringLiteral("No se puede leer el archivo %1: %2").arg(path, reason);
}

QString writeError(const QString& path, const QString& reason) {
    return QStringLiteral("No se puede escribir el archivo %1: %2").arg(path, reason);
}
}  // namespace

QStringList splitLines(const QByteArray& bytes, qsizetype keep, std::size_t* count,
                       qsizetype* longest, std::size_t* firstFilledBeyond) {
    std::size_t filledBeyond = 0;
    QStringList lines;
    std::size_t all = 0;
    qsizetype longestLine = 0;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf(kLineFeed, start);
        const bool lastLine = end < 0;
        if (lastLine) end = bytes.size();
        qsizetype textEnd = end;
        if (!lastLine && textEnd > start && bytes[textEnd - 1] == kCarriageReturn) --textEnd;
        if (lines.size() < keep)
            lines << QString::fromLatin1(bytes.constData() + start, textEnd - start);
        else if (filledBeyond == 0 && textEnd > start)
            filledBeyond = all + 1;
        longestLine = std::max(longestLine, textEnd - start);
        ++all;
        start = end + 1;
    }
    if (count) *count = all;
    if (longest) *longest = longestLine;
    if (firstFilledBeyond) *firstFilledBeyond = filledBeyond;
    return lines;
}

Contents parse(const QByteArray& bytes) {
    Contents contents;
    qsizetype longest = 0;
    contents.lines = splitLines(bytes, kMaxKeptLines, &contents.allLines, &longest,
                                &contents.firstFilledBeyondKept);
    contents.lineTooLong = longest > kMaxLineLength;
    if (contents.lines.isEmpty()) return contents;
    const QString& first = contents.lines.constFirst();
    contents.marker = first == kMarcaDecimal       ? Marker::Decimal
                      : first == kMarcaHexadecimal ? Marker::Hexadecimal
                                                   : Marker::Other;
    return contents;
}

Contents read(const QString& path) {
    return parse(readBytes(path));
}

QByteArray readBytes(const QString& path) {
    // A FIFO nobody writes must not hold the window for ever.
    QElapsedTimer waiting;
    waiting.start();
    safe_io::Read read = safe_io::readPath(
        path, kMaxFileBytes, [&waiting] { return waiting.hasExpired(kLongestWaitMs); });
    switch (read.end) {
        case safe_io::Read::End::Complete:
            return std::move(read.bytes);
        case safe_io::Read::End::TooLarge:
            throw IoError(
                readError(path, QStringLiteral("es demasiado grande para un archivo de memoria")));
        case safe_io::Read::End::Cancelled:
            throw IoError(readError(path, QStringLiteral("nadie lo escribe")));
        case safe_io::Read::End::Failed:
            break;
    }
    if (read.error == ENOENT) throw IoError(kFileNotFound);
    throw IoError(readError(path, safe_io::reason(read.error)));
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
    if (const int error = safe_io::writePath(path, bytes))
        throw IoError(writeError(path, safe_io::reason(error)));
}

QString nameOf(const QString& path) {
    const qsizetype cut =
        std::max({path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'), path.lastIndexOf(u':')});
    return path.mid(cut + 1);
}

}  // namespace memory_file
