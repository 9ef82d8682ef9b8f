#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// "Archivo" > "Identificar…": what the grid's image is, by the catalogues of
// known ROMs in the usual folder, as the box says it.
QString identificationMessage(const std::vector<std::uint8_t>& image);
