#include "engine/SerialNumber.h"

#include <QStringList>
#include <algorithm>

#include "image/Parse.h"
#include "image/Texts.h"

namespace engine {

namespace {
constexpr std::uint32_t kLongestSerial = 32;
constexpr std::uint64_t kDecimalBase = 10;
constexpr std::uint64_t kHexBase = 16;

const std::pair<const char*, SerialLayout::Format> kFormats[] = {
    {"le", SerialLayout::Format::Le},
    {"be", SerialLayout::Format::Be},
    {"bcd", SerialLayout::Format::Bcd},
    {"ascii", SerialLayout::Format::Ascii},
    {"asciihex", SerialLayout::Format::AsciiHex}};

// Decimal or 0x hexadecimal, up to 64 bits.
std::optional<std::uint64_t> parseWide(const QString& text) {
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString digits = hex ? text.mid(2) : text;
    if (digits.isEmpty()) return std::nullopt;
    const QString allowed =
        hex ? QStringLiteral("0123456789abcdefABCDEF") : QStringLiteral("0123456789");
    for (const QChar c : digits)
        if (!allowed.contains(c)) return std::nullopt;
    bool ok = false;
    const std::uint64_t value = digits.toULongLong(&ok, hex ? 16 : 10);
    return ok ? std::optional(value) : std::nullopt;
}

// The digits of a number in a base, most significant first, padded to width.
std::optional<std::vector<std::uint8_t>> digitsOf(std::uint64_t number, std::uint64_t base,
                                                  std::uint32_t width) {
    std::vector<std::uint8_t> digits(width, 0);
    for (std::uint32_t i = width; i-- > 0;) {
        digits[i] = static_cast<std::uint8_t>(number % base);
        number /= base;
    }
    if (number != 0) return std::nullopt;
    return digits;
}
std::optional<std::uint32_t> number(const QString& text) {
    const auto value = image::parseNumber(text);
    if (image::refusalOf(value)) return std::nullopt;
    return std::get<std::uint32_t>(value);
}
}  // namespace

QString serialFormatName(SerialLayout::Format format) {
    for (const auto& [name, value] : kFormats)
        if (value == format) return QString::fromLatin1(name);
    return {};
}

image::Result<SerialLayout> parseSerial(const QString& text) {
    const image::Refusal usage =
        image::refused(QStringLiteral("%1 no vale (DIRECCION,BYTES,INICIO[,PASO][,"
                                      "FORMATO] con FORMATO le, be, bcd, ascii o asciihex)")
                           .arg(shownText(text)));
    QStringList parts = text.split(u',');
    if (parts.size() < 3 || parts.size() > 5) return usage;
    SerialLayout layout;
    if (parts.size() >= 4 && !parts.last().isEmpty() && !parts.last()[0].isDigit()) {
        const QString name = parts.takeLast().toLower();
        bool known = false;
        for (const auto& [formatName, format] : kFormats)
            if (name == QLatin1String(formatName)) layout.format = format, known = true;
        if (!known) return usage;
    }
    if (parts.size() > 4) return usage;
    const auto address = number(parts[0]);
    const auto bytes = number(parts[1]);
    const auto start = parseWide(parts[2]);
    const auto step = parts.size() == 4 ? parseWide(parts[3]) : std::optional<std::uint64_t>(1);
    if (!address || !bytes || !start || !step) return usage;
    if (*bytes == 0 || *bytes > kLongestSerial)
        return image::refused(QStringLiteral("el número ocupa de 1 a %1 bytes, no %2")
                                  .arg(kLongestSerial)
                                  .arg(*bytes));
    if (*step == 0) return image::refused(QStringLiteral("el paso no puede ser 0"));
    layout.address = *address;
    layout.bytes = *bytes;
    layout.start = *start;
    layout.step = *step;
    return layout;
}

std::optional<std::vector<std::uint8_t>> serialBytes(const SerialLayout& layout,
                                                     std::uint64_t number) {
    switch (layout.format) {
        case SerialLayout::Format::Le:
        case SerialLayout::Format::Be: {
            auto bytes = digitsOf(number, 256, layout.bytes);
            if (bytes && layout.format == SerialLayout::Format::Le)
                std::reverse(bytes->begin(), bytes->end());
            return bytes;
        }
        case SerialLayout::Format::Bcd: {
            // Two decimal digits a byte, the most significant first.
            const auto digits = digitsOf(number, kDecimalBase, layout.bytes * 2);
            if (!digits) return std::nullopt;
            std::vector<std::uint8_t> bytes(layout.bytes);
            for (std::uint32_t i = 0; i < layout.bytes; ++i)
                bytes[i] = static_cast<std::uint8_t>((*digits)[2 * i] << 4 | (*digits)[2 * i + 1]);
            return bytes;
        }
        case SerialLayout::Format::Ascii:
        case SerialLayout::Format::AsciiHex: {
            const bool hex = layout.format == SerialLayout::Format::AsciiHex;
            auto digits = digitsOf(number, hex ? kHexBase : kDecimalBase, layout.bytes);
            if (!digits) return std::nullopt;
            for (std::uint8_t& digit : *digits)
                digit = static_cast<std::uint8_t>(digit < 10 ? '0' + digit : 'A' + digit - 10);
            return digits;
        }
    }
    return std::nullopt;
}

}  // namespace engine
