#pragma once

#include <QString>
#include <optional>

class Firmware;

// The faults of a chip in the emulated programmer's socket, by the names
// the command line's --fallo-virtual and programador-virtual's
// PROGRAMADOR_FALLO_VIRTUAL give them:
//   vacio      no chip, a floating bus: each read gives a byte that varies
//   vacio-ff   no chip, a bus held high: every read gives FF
//   menor=B    a chip with only B address lines: address a reads a mod 2^B
//   bit=D:V    data line D stuck at V
//   protegida  every write ignored (a write-protected 28c64)
// Nothing for a name it does not know; else applied.
bool isChipFault(const QString& name);
bool applyChipFault(Firmware& firmware, const QString& name, unsigned seed);
