#include "image/MemoryFile.h"

namespace memory_file {

namespace {
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
const QByteArray kLineEnd("\r\n");
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

std::optional<std::int64_t> numberOfText(const QString& text, bool hexadecimal) {
    constexpr int kHexDigits = 8;
    constexpr std::int64_t kInt32Max = 2147483647;
    if (hexadecimal) {
        std::uint32_t value = 0;
        int significant = 0;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            const int digit = (u >= u'0' && u <= u'9')   ? u - u'0'
                              : (u >= u'A' && u <= u'F') ? u - u'A' + 10
                              : (u >= u'a' && u <= u'f') ? u - u'a' + 10
                                                         : -1;
            if (digit < 0) return std::nullopt;
            if (significant > 0 || digit != 0) ++significant;
            if (significant > kHexDigits) return std::nullopt;
            value = value << 4 | static_cast<std::uint32_t>(digit);
        }
        if (text.isEmpty()) return std::nullopt;
        return static_cast<std::int32_t>(value);
    }
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    const qsizetype firstDigit = i;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < u'0' || u > u'9') return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > kInt32Max + 1) return std::nullopt;
    }
    if (i == firstDigit) return std::nullopt;
    if (negative) value = -value;
    if (value > kInt32Max) return std::nullopt;
    return value;
}

QString nameOf(const QString& path) {
    const qsizetype cut =
        std::max({path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'), path.lastIndexOf(u':')});
    return path.mid(cut + 1);
}

}  // namespace memory_file
