#include "device/EmulatedFaults.h"

#include <QRegularExpression>

#include "device/Firmware.h"

namespace {
constexpr int kMostAddressLines = 17;

const QRegularExpression& smaller() {
    static const QRegularExpression pattern(QStringLiteral("^menor=(\\d{1,2})$"));
    return pattern;
}

const QRegularExpression& stuckBit() {
    static const QRegularExpression pattern(QStringLiteral("^bit=([0-7]):([01])$"));
    return pattern;
}
}  // namespace

bool isChipFault(const QString& name) {
    if (name == QLatin1String("vacio") || name == QLatin1String("vacio-ff") ||
        name == QLatin1String("protegida"))
        return true;
    if (stuckBit().match(name).hasMatch()) return true;
    const auto lines = smaller().match(name);
    return lines.hasMatch() && lines.captured(1).toInt() >= 1 &&
           lines.captured(1).toInt() <= kMostAddressLines;
}

bool applyChipFault(Firmware& firmware, const QString& name, unsigned seed) {
    if (!isChipFault(name)) return false;
    if (name == QLatin1String("vacio")) {
        firmware.removeChipFloating(seed);
    } else if (name == QLatin1String("vacio-ff")) {
        firmware.removeChip();
    } else if (name == QLatin1String("protegida")) {
        firmware.setWriteProtected(true);
    } else if (const auto bit = stuckBit().match(name); bit.hasMatch()) {
        firmware.setDataLineStuck(bit.captured(1).toInt(), bit.captured(2) == QLatin1String("1"));
    } else {
        firmware.setAddressLines(smaller().match(name).captured(1).toInt());
    }
    return true;
}
