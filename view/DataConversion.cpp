#include "view/DataConversion.h"

#include "view/Errors.h"
#include "view/NumberFormat.h"

namespace {
constexpr std::int32_t kLargestByte = 255;
}  // namespace

std::size_t convertBytes(std::vector<QString>& texts, std::size_t shown, const NumberFormat& from,
                         const NumberFormat& to) {
    std::size_t notBytes = 0;
    for (std::size_t a = 0; a < texts.size(); ++a) {
        QString& text = texts[a];
        if (text.isEmpty()) continue;
        std::int32_t value = -1;
        try {
            value = from.read(text);
        } catch (const ConversionError&) {
        }
        if (value < 0 || value > kLargestByte) {
            if (a < shown) ++notBytes;
            continue;
        }
        text = to.show(static_cast<std::uint32_t>(value));
    }
    return notBytes;
}

QString conversionNote(bool hexadecimal, std::size_t notBytes) {
    QString note = hexadecimal ? QStringLiteral("Datos convertidos a hexadecimal")
                               : QStringLiteral("Datos convertidos a decimal");
    if (notBytes == 1) return note + QStringLiteral("; 1 celda no es un byte");
    if (notBytes > 1) note += QStringLiteral("; %1 celdas no son un byte").arg(notBytes);
    return note;
}
