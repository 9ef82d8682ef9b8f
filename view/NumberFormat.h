#pragma once

#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>

// The number format of every address and data text: decimal or hexadecimal,
// with the letter that also marks memory files.
struct NumberFormat {
    std::uint8_t hexa = 0;
    QChar letra = u'd';

    bool hexadecimal() const { return hexa != 0; }
    void setLetraFromHexa() { letra = hexadecimal() ? u'h' : u'd'; }
    // Addresses and bytes as the grid shows them.
    QString show(std::uint32_t value) const;
    // An entry or cell text in the current format; throws ConversionError.
    std::int32_t read(const QString& text) const;
    // A cell text that is a byte in the current format, or nothing (empty,
    // no number, or out of 0 to 255).
    std::optional<std::uint8_t> readByte(const QString& text) const;
};
