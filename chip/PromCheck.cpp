#include "chip/PromCheck.h"

namespace chip {

namespace {
QString hex(std::uint64_t value, int digits) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}
}  // namespace

PromFit checkProm(Access& chip, std::uint32_t first, std::uint32_t last,
                  const std::function<std::optional<std::int32_t>(std::uint32_t)>& wanted,
                  const ReadHooks& hooks, std::vector<bool>& holding) {
    PromFit fit;
    std::optional<std::uint32_t> stopAt;
    ReadHooks reading = hooks;
    reading.at = [&](std::uint32_t address) {
        if (!wanted(address)) {
            stopAt = address;
            return Step::Stop;
        }
        return hooks.at(address);
    };
    reading.read = [&](std::uint32_t address, std::uint8_t byte) {
        const auto want = static_cast<std::uint8_t>(*wanted(address));
        if ((want & ~byte) != 0) {
            if (!fit.first) fit.first = Mismatch{address, byte, want};
            ++fit.refused;
        } else if (byte == want && address < holding.size()) {
            holding[address] = true;
        }
        if (hooks.read) hooks.read(address, byte);
    };
    fit.outcome = readRange(chip, first, last, reading);
    // A text that is no byte ends the check there: the programming reports it.
    if (stopAt && fit.outcome.end == Outcome::End::Stopped) fit.outcome = {};
    return fit;
}

QString promRefusal(const PromFit& fit, std::uint32_t maxdir) {
    if (!fit.first) return {};
    const int digits = maxdir > 0xFFFF ? 5 : 4;
    return QStringLiteral(
               "La memoria no admite la imagen: %1 a 0 bits que la imagen pide a 1; "
               "la primera, %2, vale %3 y la imagen pide %4")
        .arg(fit.refused == 1 ? QStringLiteral("1 dirección tiene")
                              : QStringLiteral("%1 direcciones tienen").arg(fit.refused),
             hex(fit.first->address, digits), hex(fit.first->chip, 2), hex(fit.first->wanted, 2));
}

}  // namespace chip
