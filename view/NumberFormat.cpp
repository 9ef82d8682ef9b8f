#include "view/NumberFormat.h"

#include "view/conversiones.h"

QString NumberFormat::show(std::uint32_t value) const {
    return hexadecimal() ? numhex(value) : QString::number(value);
}

std::int32_t NumberFormat::read(const QString& text) const {
    return hexadecimal() ? hexnum(text) : decimalToInt(text);
}
