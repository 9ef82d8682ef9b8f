#pragma once

#include <QRandomGenerator>
#include <vector>

#include "chip/SocketCheck.h"
#include "device/CommandSet.h"
#include "device/EmulatedFaults.h"
#include "device/Link.h"
#include "device/VirtualProgrammer.h"
#include "tests/support/FakePlatform.h"

// One chip of a type in the emulated socket, holding an image, with a fault
// or none, and the socket check run on it in virtual time.
struct SocketRig {
    FakePlatform platform;
    VirtualProgrammer programmer{platform};
    Link link{programmer};
    CommandSet comandos{link, platform};
    chip::Access access{comandos, link};
    std::uint8_t tipo;

    SocketRig(std::uint8_t type, const std::vector<std::uint8_t>& image, const QString& fault = {},
              unsigned seed = 1)
        : tipo(type) {
        comandos.select(tipo);
        programmer.firmware().insert(chip());
        for (std::uint32_t a = 0; a < image.size(); ++a) programmer.firmware().poke(chip(), a, image[a]);
        if (!fault.isEmpty()) applyChipFault(programmer.firmware(), fault, seed);
    }
    Chip chip() const { return static_cast<Chip>(tipo); }
    std::uint32_t size() const { return comandos.maxdir + 1; }

    // A read, or a write of wanted over the whole chip.
    chip::SocketReport check(bool writes, const std::vector<std::uint8_t>& wanted = {}) {
        chip::SocketRequest request{tipo, writes, 0, comandos.maxdir};
        if (writes)
            request.wanted = [&wanted](std::uint32_t a) -> std::optional<std::uint8_t> {
                return wanted[a];
            };
        request.at = [](std::uint32_t) { return chip::Step::Continue; };
        request.addressText = [](std::uint32_t a) {
            return QStringLiteral("0x") + QString::number(a, 16).toUpper().rightJustified(4, u'0');
        };
        return chip::checkSocket(access, request);
    }
};

// A chip's contents: blank (FF, or 00 on a RAM as it powers up) or random.
inline std::vector<std::uint8_t> chipImage(QRandomGenerator& random, std::uint32_t size,
                                           std::uint8_t tipo, bool programmed) {
    std::vector<std::uint8_t> bytes(size, hasErasedState(tipo) ? 0xFF : 0x00);
    if (programmed)
        for (auto& b : bytes) b = std::uint8_t(random.bounded(256));
    return bytes;
}
