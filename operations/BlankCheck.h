#pragma once

#include <QString>
#include <cstdint>

struct Workbench;

inline const QString kMemoriaBorrada = QStringLiteral("Memoria Borrada");
inline const QString kHeaderBorrado = QStringLiteral("DATO BORRADO");

// What the blank check says, before the mismatch window, when a chip is not
// blank.
QString notErasedMessage(std::int64_t addresses);

// "Verificar Borrado": reads every address of an EEPROM or PROM through the
// ordinary read sequence and tells whether all of it holds FF; otherwise the
// mismatch window lists the addresses that do not, chip byte against FF.
// The memory image in the grid is not touched.
class BlankCheck {
  public:
    explicit BlankCheck(Workbench& bench) : bench_(bench) {}

    // Static RAMs have no erased state.
    static bool applies(std::uint8_t tipo);
    void VerificarBorrado1Click();

  private:
    Workbench& bench_;
};
