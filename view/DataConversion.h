#pragma once

#include <QString>
#include <vector>

struct NumberFormat;

// "Convertir datos a ...": every text that is a byte in `from` is written
// again, with the same value, in `to`. Returns how many texts were not empty
// and no byte; those stay as they were.
std::size_t convertBytes(std::vector<QString>& texts, const NumberFormat& from,
                         const NumberFormat& to);

// The status line's note after a conversion, with the texts left as they were.
QString conversionNote(bool hexadecimal, std::size_t notBytes);
