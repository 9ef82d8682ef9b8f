#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "chip/DumpAnalysis.h"

struct Workbench;

// Reading a range or the whole chip into the grid.
class ReadOperations {
  public:
    explicit ReadOperations(Workbench& bench) : bench_(bench) {}

    void BitBtn7Click();  // "LECTURA POR LOTE" > "Leer"
    void BitBtn2Click();  // "LEER TODO"

    // What the last range or whole read's bytes say (chip/DumpAnalysis).
    const std::vector<chip::Finding>& findings() const { return findings_; }
    std::function<void(const std::vector<chip::Finding>&)> analysed;

  private:
    // Reads first..last into the grid, one poll per address; false when the
    // range runs past the memory (nothing read then).
    bool readRange(std::int32_t first, std::int32_t last);
    void analyse(std::int32_t first, std::int32_t last);

    Workbench& bench_;
    std::vector<chip::Finding> findings_;
};
