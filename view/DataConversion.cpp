#include "view/DataConversion.h"

#include "view/NumberFormat.h"

std::size_t convertBytes(std::vector<QString>& texts, std::size_t shown, const NumberFormat& from,
                         const NumberFormat& to) {
    std::size_t notBytes = 0;
    for (std::size_t a = 0; a < texts.size(); ++a) {
        QString& text = texts[a];
        if (text.isEmpty()) continue;
        if (const auto byte = from.readByte(text))
            text = to.show(*byte);
        else if (a < shown)
            ++notBytes;
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
