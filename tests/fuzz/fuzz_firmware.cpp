// The virtual programmer's command parser: any byte stream, at any pace,
// leaves the chips as real parts would (PROM bits only clear).
#include <cstdint>
#include <cstdlib>

#include "device/Firmware.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Firmware firmware;
    std::int64_t now = 0;
    std::size_t reads = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        now += data[i + 1] * 100'000;  // 0 to 25 ms between bytes
        firmware.receive(data[i], now);
        reads += data[i] == 4 || data[i] == 2 || data[i] == 11;
        if (data[i + 1] == 0xFF) firmware.takeAnswer();
    }
    std::size_t answers = 0;
    while (firmware.takeAnswer()) ++answers;
    if (answers > reads) std::abort();

    // Whatever came before, five non-commands leave the parser idle; then
    // programming 0xFF changes no PROM cell and programming 0 clears it.
    for (int i = 0; i < 5; ++i) firmware.receive(9, now);
    const std::uint32_t address = size > 2 ? (data[0] | data[1] << 8 | (data[2] & 1) << 16) : 0;
    const std::uint8_t before = firmware.peek(Chip::Prom27c010, address);
    const std::uint8_t sequence[] = {12, std::uint8_t(address & 0xFF),
                                     std::uint8_t((address >> 8) & 0x1F),
                                     std::uint8_t(address >> 13), 0xFF};
    for (std::uint8_t byte : sequence) firmware.receive(byte, now);
    if (firmware.peek(Chip::Prom27c010, address) != before) std::abort();
    const std::uint8_t clear[] = {12, sequence[1], sequence[2], sequence[3], 0};
    for (std::uint8_t byte : clear) firmware.receive(byte, now);
    if (firmware.peek(Chip::Prom27c010, address) != 0) std::abort();
    return 0;
}
