#pragma once

#include <QString>
#include <vector>

struct NumberFormat;

// "Convertir datos a ...": every text that is a byte in `from` is written
// again, with the same value, in `to`, rows past the memory too (a larger
// type shows them again). Returns how many of the first `shown` texts were
// not empty and no byte; those, like all others, stay as they were.
std::size_t convertBytes(std::vector<QString>& texts, std::size_t shown, const NumberFormat& from,
                         const NumberFormat& to);

// The status line's note after a conversion, with the texts left as they were.
QString conversionNote(bool hexadecimal, std::size_t notBytes);
