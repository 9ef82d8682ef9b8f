#pragma once

#include <cstdint>

struct Workbench;

// Reading a range or the whole chip into the grid.
class ReadOperations {
  public:
    explicit ReadOperations(Workbench& bench) : bench_(bench) {}

    void BitBtn7Click();  // "LECTURA POR LOTE" > "Leer"
    void BitBtn2Click();  // "LEER TODO"

  private:
    // Reads first..last into the grid, one poll per address; false when the
    // range runs past the memory (nothing read then).
    bool readRange(std::int32_t first, std::int32_t last);

    Workbench& bench_;
};
