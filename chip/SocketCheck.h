#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "chip/Loops.h"

// A short look at the socket before an operation: is there a chip, and does
// it behave as the type chosen? Without an ID command the bytes are the
// evidence. A spread sample is read twice: reads that disagree mean a
// floating bus. Before a static RAM is written, test patterns go only where
// the operation writes anyway; before a 28c64 is written, its first changed
// byte is written and read back after the write cycle. A read stays a read.
namespace chip {

// The exit code and the words of a check that failed.
inline constexpr int kSinMemoria = 4;
inline const QString kMemoriaNoResponde = QStringLiteral("la memoria no está o no responde");
inline const QString kEepromProtegida =
    QStringLiteral("la EEPROM parece protegida contra escritura (protección por software) o es "
                   "de solo lectura");

struct SocketRequest {
    std::uint8_t tipo = 0;
    // The operation writes (a program or a fill) or only reads.
    bool writes = false;
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    // On a write: the addresses the operation writes (unset, the whole
    // range) and the byte each is to hold (nothing for no byte).
    std::function<bool(std::uint32_t)> written = {};
    std::function<std::optional<std::uint8_t>(std::uint32_t)> wanted = {};
    std::function<Step(std::uint32_t)> at = {};
    // An address as the front end writes it.
    std::function<QString(std::uint32_t)> addressText = {};
};

struct SocketReport {
    enum class Verdict { Present, CannotTell, Refused };
    // What the check named; Present and CannotTell name nothing.
    enum class Finding { None, Floating, Absent, StuckBit, Smaller, Protected, AllFF };
    Verdict verdict = Verdict::Present;
    Finding finding = Finding::None;
    // The loop's end when it was cancelled or lost the programmer.
    Outcome outcome;
    QString text;
    int reads = 0;
    int writes = 0;

    bool refused() const { return verdict == Verdict::Refused; }
    // The time the check kept the wire busy, at one report per USB frame
    // and the type's pause after each write.
    double wireMs(std::uint8_t tipo) const;
};

SocketReport checkSocket(Access& chip, const SocketRequest& request);

}  // namespace chip
