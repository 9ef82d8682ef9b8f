#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace cli {

class Session;

// How the window programs what the command line asks for: the range from an
// image (with retries and a verify pass, as "PROGRAMAR TODO"), or the whole
// memory with one value (each byte read back once, as "LLENAR CON").
enum class Programming { RangeWithVerifyPass, WholeFill };

// Programs the range of the session with the bytes wanted there; with
// verification on, lists what differs. Returns the exit code.
// given, when set, names the addresses to program (the others are left as
// the chip holds them), and addresses how many they are.
// checkFirst, on a PROM, reads every address to be written first: a chip
// that cannot take the image is refused (exit 1) with nothing written, and a
// cell that holds its byte already is not written.
int programWanted(Session& session, const std::function<std::uint8_t(std::uint32_t)>& wanted,
                  Programming kind, const QString& wantedName,
                  const std::function<bool(std::uint32_t)>& given = {}, std::uint64_t addresses = 0,
                  bool checkFirst = false);

}  // namespace cli
