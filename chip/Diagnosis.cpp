#include "chip/Diagnosis.h"

#include <QStringList>
#include <algorithm>

#include "chip/SocketCheck.h"

namespace chip {

namespace {
constexpr int kDataBits = 8;
constexpr int kAddressBits = 17;
// A pattern explains the differences when it holds for this share of them.
constexpr double kMost = 0.9;
constexpr int kListedRuns = 5;
// A stuck line shows at many addresses; one or two wrong bytes prove none.
constexpr std::size_t kLeastForALine = 3;
// A few failed writes are a weak chip; this many, with none taken, are a rule.
constexpr std::size_t kLeastForProtection = 8;

QString hex(std::uint32_t value, int digits, const QString& prefix) {
    return prefix + QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

bool differs(const Compared& c) {
    return c.chip != c.wanted;
}

std::vector<Compared> mismatchesOf(const std::vector<Compared>& compared) {
    std::vector<Compared> out;
    std::copy_if(compared.begin(), compared.end(), std::back_inserter(out), differs);
    return out;
}

std::optional<QString> everyByteAlike(const std::vector<Compared>& compared,
                                      const QString& prefix, bool eeprom) {
    for (const std::uint8_t value : {0xFF, 0x00}) {
        if (!std::all_of(compared.begin(), compared.end(),
                         [value](const Compared& c) { return c.chip == value; }))
            continue;
        const QString line = QStringLiteral(
                                 "Todos los bytes leídos valen %1: puede que falte la memoria, "
                                 "esté floja en el zócalo o sin alimentación")
                                 .arg(hex(value, 2, prefix));
        // An erased EEPROM that takes no write reads the same.
        if (eeprom && value == 0xFF)
            return line + QStringLiteral("; o, si estaba borrada, ") + kEepromProtegida +
                   u'.';
        return line + u'.';
    }
    return std::nullopt;
}

// An EEPROM whose writes all left the old bytes: nearly every address
// differs, and what it holds is varied data, not a dead bus.
std::optional<QString> writeProtected(const std::vector<Compared>& compared,
                                      const std::vector<Compared>& mismatches, bool eeprom) {
    if (!eeprom || mismatches.size() < kLeastForProtection ||
        double(mismatches.size()) < kMost * double(compared.size()))
        return std::nullopt;
    const std::uint8_t first = mismatches.front().chip;
    if (std::all_of(mismatches.begin(), mismatches.end(),
                    [first](const Compared& c) { return c.chip == first; }))
        return std::nullopt;
    // A floating bus gives varied bytes too: only a second read tells.
    return QStringLiteral("Ninguna escritura cambió la memoria: %1; si los bytes cambian de una "
                          "lectura a otra, el zócalo está vacío o hace mal contacto.")
        .arg(kEepromProtegida);
}

// With an address line held low, the addresses on one side of it (line
// high when reading what was written right, line low when what was written
// last landed on them) read the bytes meant for their partners across it.
// The differences are exactly those addresses whose byte differs from the
// partner's.
std::optional<QString> addressLine(const std::vector<Compared>& compared,
                                   const std::vector<Compared>& mismatches) {
    std::vector<const Compared*> at(std::size_t{compared.back().address} + 1, nullptr);
    for (const Compared& c : compared) at[c.address] = &c;
    for (int k = 0; k < kAddressBits; ++k) {
        const std::uint32_t bit = std::uint32_t{1} << k;
        for (const bool high : {true, false}) {
            const auto onThisSide = [&](std::uint32_t address) {
                return bool(address & bit) == high;
            };
            bool explains = true;
            std::size_t expected = 0;
            for (const Compared& c : compared) {
                if (!onThisSide(c.address)) continue;
                const std::uint32_t across = c.address ^ bit;
                const Compared* partner = across < at.size() ? at[across] : nullptr;
                if (!partner || partner->wanted == c.wanted) continue;
                ++expected;
                if (c.chip != partner->wanted) explains = false;
            }
            const bool onlyThere =
                std::all_of(mismatches.begin(), mismatches.end(),
                            [&](const Compared& c) { return onThisSide(c.address); });
            if (explains && onlyThere && expected == mismatches.size())
                return QStringLiteral(
                           "Las direcciones a un lado de A%1 leen los datos de las del "
                           "otro: la línea de dirección A%1 parece pegada a 0 o suelta.")
                    .arg(k);
        }
    }
    return std::nullopt;
}

std::optional<QString> dataLine(const std::vector<Compared>& mismatches) {
    for (int n = 0; n < kDataBits; ++n) {
        const auto bit = static_cast<std::uint8_t>(1u << n);
        for (const bool high : {false, true}) {
            const auto same =
                std::count_if(mismatches.begin(), mismatches.end(), [&](const Compared& c) {
                    return (c.chip ^ c.wanted) == bit && bool(c.chip & bit) == high;
                });
            if (double(same) >= kMost * double(mismatches.size()))
                return QStringLiteral(
                           "El bit D%1 difiere siempre igual: la línea de datos D%1 "
                           "parece pegada a %2.")
                    .arg(n)
                    .arg(high ? 1 : 0);
        }
    }
    return std::nullopt;
}

std::optional<QString> notErased(const std::vector<Compared>& mismatches, bool prom) {
    if (!prom) return std::nullopt;
    const auto cleared = std::count_if(mismatches.begin(), mismatches.end(),
                                       [](const Compared& c) { return (c.chip & ~c.wanted) == 0; });
    if (double(cleared) < kMost * double(mismatches.size())) return std::nullopt;
    return QStringLiteral(
        "La PROM tiene en 0 bits que la imagen necesita en 1: no estaba "
        "borrada, o ya estaba programada.");
}

QString summary(const std::vector<Compared>& mismatches, const QString& prefix) {
    const int digits = mismatches.back().address > 0xFFFF ? 5 : 4;
    if (mismatches.size() == 1)
        return QStringLiteral("1 dirección difiere: la %1")
            .arg(hex(mismatches.front().address, digits, prefix));
    QStringList runs;
    std::size_t start = 0;
    for (std::size_t i = 1; i <= mismatches.size(); ++i) {
        if (i < mismatches.size() && mismatches[i].address == mismatches[i - 1].address + 1)
            continue;
        const std::uint32_t first = mismatches[start].address;
        const std::uint32_t last = mismatches[i - 1].address;
        runs << (first == last ? hex(first, digits, prefix)
                               : hex(first, digits, prefix) + QStringLiteral("–") +
                                     hex(last, digits, prefix));
        start = i;
    }
    const qsizetype count = runs.size();
    if (count > kListedRuns) runs = runs.mid(0, kListedRuns) << QStringLiteral("…");
    return QStringLiteral("%1 direcciones difieren, desde la %2, en %3 tramo(s): %4")
        .arg(mismatches.size())
        .arg(hex(mismatches.front().address, digits, prefix))
        .arg(count)
        .arg(runs.join(QStringLiteral(", ")));
}
}  // namespace

std::optional<QString> diagnose(const std::vector<Compared>& compared, bool prom,
                                const QString& hexPrefix, bool eeprom) {
    const std::vector<Compared> mismatches = mismatchesOf(compared);
    if (mismatches.empty()) return std::nullopt;
    if (auto line = everyByteAlike(compared, hexPrefix, eeprom)) return line;
    if (mismatches.size() >= kLeastForALine) {
        if (auto line = addressLine(compared, mismatches)) return line;
        if (auto line = dataLine(mismatches)) return line;
    }
    if (auto line = writeProtected(compared, mismatches, eeprom)) return line;
    if (auto line = notErased(mismatches, prom)) return line;
    return summary(mismatches, hexPrefix);
}

}  // namespace chip
