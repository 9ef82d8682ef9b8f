#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// What a dump's bytes say about how it was read, without a second image to
// compare with: a data line that never changes, an address line that
// changes nothing (so a block repeats), blank and zero runs. Each finding
// says its likely cause and what to look at. They are warnings: data may
// repeat on purpose, and blank or constant data is never taken for a fault.
namespace chip {

struct Finding {
    enum class Kind { StuckBit, AddressLine, Smaller, Blank, Zero, Constant, Unstable };
    Kind kind;
    QString text;
};

// The findings on one image whose first byte is at address base, in the
// order above. Addresses as hexPrefix and uppercase hexadecimal.
std::vector<Finding> analyzeDump(const std::vector<std::uint8_t>& bytes,
                                 const QString& hexPrefix = QStringLiteral("0x"),
                                 std::uint32_t base = 0);

// Several reads of the same chip: the data lines whose bit changed between
// reads at some address, with how many addresses each.
std::vector<Finding> compareReads(const std::vector<std::vector<std::uint8_t>>& reads,
                                  const QString& hexPrefix = QStringLiteral("0x"),
                                  std::uint32_t base = 0);

// "Análisis: sin hallazgos", "Análisis: 1 aviso", "Análisis: 2 avisos".
QString analysisSummary(const std::vector<Finding>& findings);

}  // namespace chip
