#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "chip/Loops.h"
#include "engine/ProgrammingPlan.h"

struct Workbench;

// Writing many addresses in one operation: the fill, a range from the grid,
// a range with one value, and the whole image. Each writes, optionally reads
// back with retries, verifies in a second pass and reports the differences in
// the mismatch window.
class ProgramOperations {
  public:
    explicit ProgramOperations(Workbench& bench) : bench_(bench) {}

    void BitBtn9Click();   // "LLENAR CON" > "Programar"
    void BitBtn5Click();   // "PROGRAMACION POR LOTE" > "Programar"
    void BitBtn10Click();  // "POR LOTE CON DATO" > "Programar"
    void BitBtn1Click();   // "PROGRAMAR TODO"

  private:
    enum class Kind { Fill, RangeFromGrid, RangeWithValue, All };
    struct Plan {
        Kind kind = Kind::All;
        std::int32_t first = 0;
        std::int32_t last = -1;
        QString valueText;  // fill and range with one value
        std::int32_t value = 0;
        std::int64_t cursorRow = 1;  // may name no row when the range is upside down
    };

    void run(Kind kind);
    bool llena(Plan& plan);
    // Reads the operation's fields; false when it must stop before any write.
    bool readInputs(Plan& plan);
    // The passes the plan will make, for the progress line.
    // The plan of the run, and its progress started.
    engine::Plan startProgress(const Plan& plan);
    bool programmingPass(const Plan& plan);
    // The share of the plan's addresses whose byte is FF.
    double blankShare(const Plan& plan) const;
    // The value for an address, shown where the operation shows it.
    std::int32_t dataFor(const Plan& plan, std::uint32_t address);
    // The byte an address is to hold, without touching anything; nothing
    // for a text that is no byte.
    std::optional<std::int32_t> wantedAt(const Plan& plan, std::uint32_t address) const;
    bool checksPromFirst(const Plan& plan) const;
    // The passes, fast mode and the PROM check, as the command line decides them.
    engine::Plan programmingPlan(const Plan& plan, int writes, int reads) const;
    // False when the operation ends there: the chip cannot take the image.
    bool checkPass(const Plan& plan, std::vector<bool>& holding);
    void verifyPass(const Plan& plan);
    // With verification: whether a byte read back differs from its text.
    bool readBackDiffers() const;
    void report(bool differs);
    bool verifying() const;
    void recordProgrammed(std::uint32_t address, const QString& text);
    void recordRead(std::uint32_t address, std::uint8_t byte);

    Workbench& bench_;
};
