// hexnum and the decimal conversion: every text converts or raises the
// conversion error, and what converts shows back as the same number.
#include <cstdint>
#include <cstdlib>

#include "view/Errors.h"
#include "view/conversiones.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const std::int32_t value = hexnum(text);
        if (hexnum(numhex(static_cast<std::uint32_t>(value))) != value) std::abort();
    } catch (const ConversionError& error) {
        if (!error.text().startsWith(QStringLiteral("''$"))) std::abort();
    }
    try {
        const std::int32_t value = decimalToInt(text);
        if (decimalToInt(QString::number(value)) != value) std::abort();
    } catch (const ConversionError& error) {
        if (!error.text().endsWith(QStringLiteral("'' is not a valid integer value"))) std::abort();
    }
    return 0;
}
