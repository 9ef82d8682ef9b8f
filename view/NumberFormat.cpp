#include "view/NumberFormat.h"

#include "view/Errors.h"
#include "view/conversiones.h"

namespace {
constexpr std::uint32_t kByteValues = 256;

// The texts of the 256 byte values, made once: every byte read shares them.
struct ByteTexts {
    QString decimal[kByteValues];
    QString hexadecimal[kByteValues];
    ByteTexts() {
        for (std::uint32_t value = 0; value < kByteValues; ++value) {
            decimal[value] = QString::number(value);
            hexadecimal[value] = numhex(value);
        }
    }
};

const ByteTexts& byteTexts() {
    static const ByteTexts texts;
    return texts;
}
}  // namespace

QString NumberFormat::show(std::uint32_t value) const {
    if (value < kByteValues)
        return hexadecimal() ? byteTexts().hexadecimal[value] : byteTexts().decimal[value];
    return hexadecimal() ? numhex(value) : QString::number(value);
}

std::int32_t NumberFormat::read(const QString& text) const {
    return hexadecimal() ? hexnum(text) : decimalToInt(text);
}

std::optional<std::uint8_t> NumberFormat::readByte(const QString& text) const {
    if (text.isEmpty()) return std::nullopt;
    try {
        const std::int32_t value = read(text);
        if (value >= 0 && value < std::int32_t{kByteValues})
            return static_cast<std::uint8_t>(value);
    } catch (const ConversionError&) {
    }
    return std::nullopt;
}
