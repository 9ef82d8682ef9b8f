#include "files/ByteSearch.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cstring>

#include "files/GridBytes.h"
#include "view/NumberFormat.h"

namespace {
constexpr std::uint8_t kEmptyCell = 0xFF;
constexpr char16_t kLastLatin1 = 0xFF;

int digit(QChar c) {
    const char16_t u = c.toUpper().unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

bool separator(QChar c) {
    return c.isSpace() || c == u',';
}

// A letter's small form, in ASCII and Latin-1 (× and ÷ are no letters).
std::uint8_t folded(std::uint8_t byte) {
    constexpr std::uint8_t kTimes = 0xD7;
    const bool asciiCapital = byte >= 'A' && byte <= 'Z';
    const bool latinCapital = byte >= 0xC0 && byte <= 0xDE && byte != kTimes;
    return asciiCapital || latinCapital ? static_cast<std::uint8_t>(byte + 0x20) : byte;
}

bool sameByte(const BytePattern& pattern, std::size_t i, std::uint8_t byte) {
    return pattern.anyCase ? folded(byte) == folded(pattern.bytes[i]) : byte == pattern.bytes[i];
}

// Whether the pattern matches at position at (the caller keeps it in range).
bool matchesAt(const ImageBytes& image, const BytePattern& pattern, std::size_t at) {
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (!pattern.wildcard[i] && !sameByte(pattern, i, image.bytes[at + i])) return false;
    const auto& notBytes = image.notBytes;
    for (auto it = std::lower_bound(notBytes.begin(), notBytes.end(), at);
         it != notBytes.end() && *it < at + pattern.size(); ++it)
        if (!pattern.wildcard[*it - at]) return false;
    return true;
}

// The first position the pattern names a byte at, or its size when it names none.
std::size_t firstFixed(const BytePattern& pattern) {
    const auto it = std::find(pattern.wildcard.begin(), pattern.wildcard.end(), false);
    return static_cast<std::size_t>(it - pattern.wildcard.begin());
}
}  // namespace

bool ImageBytes::isByte(std::size_t address) const {
    return !std::binary_search(notBytes.begin(), notBytes.end(), address);
}

std::optional<std::size_t> ImageBytes::firstNotAByte(std::size_t first, std::size_t last) const {
    const auto it = std::lower_bound(notBytes.begin(), notBytes.end(), first);
    if (it == notBytes.end() || *it > last) return std::nullopt;
    return *it;
}

namespace {
// gridBytes' rule, one cell at a time: the byte of texts[first + i] into
// bytes[at + i], and the addresses (counted as bytes' indexes) whose text is
// no byte into notBytes.
void readTexts(const std::vector<QString>& texts, std::size_t first, std::size_t count,
               const NumberFormat& format, std::uint8_t* bytes, std::size_t at,
               std::vector<std::uint32_t>& notBytes) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t a = first + i;
        if (a >= texts.size() || texts[a].isEmpty()) {
            bytes[i] = kEmptyCell;
            continue;
        }
        const auto byte = format.readByte(texts[a]);
        bytes[i] = byte.value_or(0);
        if (!byte) notBytes.push_back(static_cast<std::uint32_t>(at + i));
    }
}
}  // namespace

void ImageBytes::refresh(const std::vector<QString>& texts, std::size_t first, std::size_t last,
                         const NumberFormat& format) {
    last = std::min(last, bytes.size() - 1);
    if (bytes.empty() || first > last) return;
    const auto from = std::lower_bound(notBytes.begin(), notBytes.end(), first);
    const auto to = std::upper_bound(from, notBytes.end(), last);
    std::vector<std::uint32_t> now;
    readTexts(texts, first, last - first + 1, format, bytes.data() + first, first, now);
    notBytes.insert(notBytes.erase(from, to), now.begin(), now.end());
}

ImageBytes spanBytes(const std::vector<QString>& texts, std::size_t first, std::size_t count,
                     const NumberFormat& format) {
    ImageBytes span;
    span.bytes.resize(count);
    readTexts(texts, first, count, format, span.bytes.data(), 0, span.notBytes);
    return span;
}

ImageBytes imageBytes(const std::vector<QString>& texts, std::size_t count,
                      const NumberFormat& format) {
    GridBytes grid = gridBytes(texts, count, format);
    ImageBytes image{std::move(grid.bytes), {}};
    // gridBytes stops at the first text that is no byte: the rest, by its rule.
    if (grid.notAByte && count > 0) image.refresh(texts, *grid.notAByte, count - 1, format);
    return image;
}

std::optional<BytePattern> hexPattern(const QString& text, bool wildcards) {
    BytePattern pattern;
    for (qsizetype i = 0; i < text.size();) {
        if (separator(text[i])) {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return std::nullopt;
        if (wildcards && text[i] == u'?' && text[i + 1] == u'?') {
            pattern.bytes.push_back(0);
            pattern.wildcard.push_back(true);
        } else {
            const int high = digit(text[i]), low = digit(text[i + 1]);
            if (high < 0 || low < 0) return std::nullopt;
            pattern.bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
            pattern.wildcard.push_back(false);
        }
        i += 2;
    }
    if (pattern.bytes.empty()) return std::nullopt;
    return pattern;
}

std::optional<BytePattern> textPattern(const QString& text, bool anyCase) {
    if (text.isEmpty()) return std::nullopt;
    BytePattern pattern;
    pattern.anyCase = anyCase;
    for (QChar c : text) {
        if (c.unicode() > kLastLatin1) return std::nullopt;
        pattern.bytes.push_back(static_cast<std::uint8_t>(c.unicode()));
    }
    pattern.wildcard.assign(pattern.bytes.size(), false);
    return pattern;
}

std::optional<std::size_t> findForward(const ImageBytes& image, const BytePattern& pattern,
                                       std::size_t from) {
    const std::size_t size = image.bytes.size(), length = pattern.size();
    if (length == 0 || length > size || from > size - length) return std::nullopt;
    const std::size_t fixed = firstFixed(pattern);
    if (fixed == length) return from;
    if (pattern.anyCase) {
        for (std::size_t at = from; at <= size - length; ++at)
            if (matchesAt(image, pattern, at)) return at;
        return std::nullopt;
    }
    // Only where the first named byte is: memchr runs through the rest.
    const std::uint8_t* data = image.bytes.data();
    const std::uint8_t* end = data + (size - length) + fixed + 1;
    for (const std::uint8_t* p = data + from + fixed; p < end; ++p) {
        p = static_cast<const std::uint8_t*>(std::memchr(p, pattern.bytes[fixed], end - p));
        if (!p) break;
        const std::size_t at = static_cast<std::size_t>(p - data) - fixed;
        if (matchesAt(image, pattern, at)) return at;
    }
    return std::nullopt;
}

std::optional<std::size_t> findBackward(const ImageBytes& image, const BytePattern& pattern,
                                        std::size_t before) {
    const std::size_t size = image.bytes.size(), length = pattern.size();
    if (length == 0 || length > size || before == 0) return std::nullopt;
    const std::size_t fixed = firstFixed(pattern);
    for (std::size_t at = std::min(before - 1, size - length) + 1; at-- > 0;) {
        if (fixed < length && !sameByte(pattern, fixed, image.bytes[at + fixed])) continue;
        if (matchesAt(image, pattern, at)) return at;
    }
    return std::nullopt;
}

namespace {
// An assembler's byte directive, when a line starts with one.
bool byteDirective(const QString& word) {
    static const QStringList kDirectives{QStringLiteral("db"),    QStringLiteral(".db"),
                                         QStringLiteral(".byte"), QStringLiteral("defb"),
                                         QStringLiteral("dc.b"),  QStringLiteral("fcb")};
    return kDirectives.contains(word, Qt::CaseInsensitive);
}

// One part of a pasted list: 0x12, $12 or 12h is one byte (one or two
// digits); bare digits are pairs, "1234" two bytes.
bool appendPart(QString part, std::vector<std::uint8_t>& bytes) {
    bool marked = false;
    if (part.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) {
        part.remove(0, 2);
        marked = true;
    } else if (part.startsWith(u'$')) {
        part.remove(0, 1);
        marked = true;
    } else if (part.endsWith(u'h', Qt::CaseInsensitive)) {
        part.chop(1);
        marked = true;
    }
    for (QChar c : part)
        if (digit(c) < 0) return false;
    if (part.isEmpty() || (marked && part.size() > 2) || (!marked && part.size() % 2 != 0))
        return false;
    if (marked) {
        bytes.push_back(static_cast<std::uint8_t>(part.toUInt(nullptr, 16)));
        return true;
    }
    for (qsizetype i = 0; i < part.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(digit(part[i]) * 16 + digit(part[i + 1])));
    return true;
}
}  // namespace

std::optional<std::vector<std::uint8_t>> pastedBytes(const QString& text) {
    static const QRegularExpression kBetween(QStringLiteral("[\\s,;{}]+"));
    std::vector<std::uint8_t> bytes;
    for (const QString& line : text.split(u'\n')) {
        QString kept = line;
        // A C declaration's name and "=" go, its list stays.
        if (const qsizetype brace = kept.indexOf(u'{'); brace >= 0) kept.remove(0, brace);
        QStringList parts = kept.split(kBetween, Qt::SkipEmptyParts);
        // "db 12h": a directive is only taken as one before marked bytes, since
        // "db" alone is the byte DB.
        const bool markedAfter =
            parts.size() > 1 && std::any_of(parts.begin() + 1, parts.end(), [](const QString& p) {
                return p.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive) ||
                       p.startsWith(u'$') || p.endsWith(u'h', Qt::CaseInsensitive);
            });
        if (!parts.isEmpty() && byteDirective(parts.first()) &&
            (markedAfter || parts.first().size() > 2))
            parts.removeFirst();
        for (const QString& part : parts)
            if (!appendPart(part, bytes)) return std::nullopt;
    }
    if (bytes.empty()) return std::nullopt;
    return bytes;
}

QString hexText(const image::Bytes& bytes, std::size_t first, std::size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(static_cast<qsizetype>(count * 3));
    for (std::size_t i = first; i < first + count && i < bytes.size(); ++i) {
        if (!text.isEmpty()) text += u' ';
        text += QLatin1Char(kDigits[bytes[i] >> 4]);
        text += QLatin1Char(kDigits[bytes[i] & 0xF]);
    }
    return text;
}
