#include "chip/DumpAnalysis.h"

#include <QStringList>
#include <algorithm>
#include <bitset>
#include <optional>

namespace chip {

namespace {
constexpr std::uint8_t kBlank = 0xFF;
constexpr std::uint8_t kZero = 0x00;
constexpr int kDataLines = 8;
// A run of one value this long is fill, not data.
constexpr std::size_t kFillRun = 16;
// Fill runs this long are reported.
constexpr std::size_t kReportedRun = 256;
constexpr std::size_t kMostRunsListed = 4;
// Data counts as varied with this many bytes of it and this many values.
constexpr std::size_t kLeastDataBytes = 64;
constexpr std::size_t kVariedValues = 8;
constexpr std::size_t kFourDigits = 0x10000;

struct Run {
    std::size_t first;
    std::size_t count;
    std::uint8_t value;
};

class Words {
  public:
    Words(const QString& prefix, std::size_t size, std::uint32_t base = 0)
        : prefix_(prefix), digits_(base + size > kFourDigits ? 5 : 4), base_(base) {}
    QString address(std::size_t a) const {
        return prefix_ +
               QStringLiteral("%1").arg(base_ + a, digits_, 16, QLatin1Char('0')).toUpper();
    }
    QString byte(std::uint8_t value) const {
        return prefix_ + QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    }
    QString range(const Run& run) const {
        return run.count == 1 ? address(run.first)
                              : address(run.first) + u'–' + address(run.first + run.count - 1);
    }

  private:
    QString prefix_;
    int digits_;
    std::size_t base_;
};

std::vector<Run> runsOf(const std::vector<std::uint8_t>& bytes, std::size_t least) {
    std::vector<Run> runs;
    for (std::size_t a = 0; a < bytes.size();) {
        std::size_t end = a + 1;
        while (end < bytes.size() && bytes[end] == bytes[a]) ++end;
        if (end - a >= least) runs.push_back({a, end - a, bytes[a]});
        a = end;
    }
    return runs;
}

// The bytes outside fill runs: the ones that say something about the lines.
std::vector<std::uint8_t> dataBytes(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> data;
    std::size_t next = 0;
    for (const Run& fill : runsOf(bytes, kFillRun)) {
        data.insert(data.end(), bytes.begin() + std::ptrdiff_t(next),
                    bytes.begin() + std::ptrdiff_t(fill.first));
        next = fill.first + fill.count;
    }
    data.insert(data.end(), bytes.begin() + std::ptrdiff_t(next), bytes.end());
    return data;
}

std::size_t distinctValues(const std::vector<std::uint8_t>& bytes) {
    std::bitset<256> seen;
    for (const std::uint8_t b : bytes) seen.set(b);
    return seen.count();
}

bool varied(const std::vector<std::uint8_t>& data) {
    return data.size() >= kLeastDataBytes && distinctValues(data) >= kVariedValues;
}

void stuckBits(const std::vector<std::uint8_t>& bytes, std::vector<Finding>& findings) {
    const std::vector<std::uint8_t> data = dataBytes(bytes);
    if (!varied(data)) return;
    std::uint8_t all = 0xFF, any = 0x00;
    for (const std::uint8_t b : data) {
        all &= b;
        any |= b;
    }
    for (int line = 0; line < kDataLines; ++line) {
        const std::uint8_t bit = std::uint8_t(1u << line);
        const bool one = all & bit, zero = !(any & bit);
        if (!one && !zero) continue;
        QString text = QStringLiteral(
                           "bits fijos: D%1 vale siempre %2 en los %3 bytes con datos: "
                           "¿línea de datos D%1 pegada a %2, o su patita sin contacto en "
                           "el zócalo? Revise la patita de D%1")
                           .arg(line)
                           .arg(one ? 1 : 0)
                           .arg(data.size());
        // Text has no eighth bit: said, so that a reader can judge.
        if (line == kDataLines - 1 && zero)
            text += QStringLiteral(" (o los datos son texto ASCII)");
        findings.push_back({Finding::Kind::StuckBit, text});
    }
}

int addressLines(std::size_t size) {
    int lines = 0;
    while ((std::size_t{2} << lines) <= size) ++lines;
    return lines;
}

// Whether address line k changes nothing: every address with it high reads
// as the same address with it low.
bool lineChangesNothing(const std::vector<std::uint8_t>& bytes, int k) {
    const std::size_t step = std::size_t{1} << k;
    for (std::size_t block = step; block < bytes.size(); block += 2 * step)
        for (std::size_t a = block; a < std::min(block + step, bytes.size()); ++a)
            if (bytes[a] != bytes[a - step]) return false;
    return true;
}

void addressFaults(const std::vector<std::uint8_t>& bytes, std::vector<Finding>& findings) {
    // A repeat of blank or constant data says nothing about the lines.
    if (!varied(dataBytes(bytes))) return;
    const int lines = addressLines(bytes.size());
    std::vector<bool> idle(std::size_t(std::max(lines, 0)), false);
    for (int k = 0; k < lines; ++k) idle[std::size_t(k)] = lineChangesNothing(bytes, k);
    // The top lines idle together: a smaller chip, or those lines open.
    int lowest = lines;
    while (lowest > 0 && idle[std::size_t(lowest - 1)]) --lowest;
    if (lowest < lines) {
        const std::size_t period = std::size_t{1} << lowest;
        if (lowest == lines - 1)
            findings.push_back({Finding::Kind::Smaller,
                                QStringLiteral("la segunda mitad repite la primera (¿línea de "
                                               "dirección A%1 sin conectar, o memoria de menos "
                                               "capacidad?)")
                                    .arg(lowest)});
        else
            findings.push_back(
                {Finding::Kind::Smaller,
                 QStringLiteral("la imagen se repite cada %1 bytes (%2 copias): ¿memoria de %1 "
                                "bytes en lugar de %3, o líneas de dirección A%4–A%5 sin conectar? "
                                "Revise el tipo elegido")
                     .arg(period)
                     .arg(bytes.size() / period)
                     .arg(bytes.size())
                     .arg(lowest)
                     .arg(lines - 1)});
    }
    for (int k = 0; k < lowest; ++k) {
        if (!idle[std::size_t(k)]) continue;
        findings.push_back(
            {Finding::Kind::AddressLine,
             QStringLiteral("cada bloque de %1 bytes repite el anterior: la línea de "
                            "dirección A%2 no cambia nada (¿pegada o sin contacto?). "
                            "Revise la patita de A%2")
                 .arg(std::size_t{1} << k)
                 .arg(k)});
    }
}

QString runList(const std::vector<Run>& runs, const Words& words) {
    QStringList shown;
    std::size_t total = 0;
    for (const Run& run : runs) {
        total += run.count;
        if (std::size_t(shown.size()) < kMostRunsListed) shown << words.range(run);
    }
    if (runs.size() > kMostRunsListed) shown << QStringLiteral("…");
    return QStringLiteral("%1 tramo(s), %2 bytes: %3")
        .arg(runs.size())
        .arg(total)
        .arg(shown.join(QStringLiteral(", ")));
}

void fillRuns(const std::vector<std::uint8_t>& bytes, const Words& words,
              std::vector<Finding>& findings) {
    std::vector<Run> blank, zero;
    for (const Run& run : runsOf(bytes, kReportedRun)) {
        if (run.value == kBlank) blank.push_back(run);
        if (run.value == kZero) zero.push_back(run);
    }
    if (!blank.empty())
        findings.push_back(
            {Finding::Kind::Blank, QStringLiteral("vacía (FF) en ") + runList(blank, words) +
                                       QStringLiteral(" (espacio libre, o una zona que no se leyó: "
                                                      "revise /OE y /CE si no lo espera)")});
    if (!zero.empty())
        findings.push_back(
            {Finding::Kind::Zero, QStringLiteral("en cero (00) en ") + runList(zero, words) +
                                      QStringLiteral(" (relleno, o el bus a masa en esa zona)")});
}

std::optional<Finding> constant(const std::vector<std::uint8_t>& bytes, const Words& words) {
    if (bytes.empty() ||
        std::any_of(bytes.begin(), bytes.end(), [&](std::uint8_t b) { return b != bytes.front(); }))
        return std::nullopt;
    switch (bytes.front()) {
        case kBlank:
            return Finding{Finding::Kind::Constant,
                           QStringLiteral("toda la memoria vale FF: borrada, o el zócalo vacío con "
                                          "el bus en alto; los bytes no lo distinguen")};
        case kZero:
            return Finding{Finding::Kind::Constant,
                           QStringLiteral("toda la memoria vale 00: ¿memoria ausente con el bus a "
                                          "masa, o /CE u /OE sin conectar?")};
        default:
            return Finding{Finding::Kind::Constant,
                           QStringLiteral("toda la memoria vale %1: ¿una memoria que no responde, "
                                          "o el bus de datos sin memoria?")
                               .arg(words.byte(bytes.front()))};
    }
}
}  // namespace

std::vector<Finding> analyzeDump(const std::vector<std::uint8_t>& bytes, const QString& hexPrefix,
                                 std::uint32_t base) {
    const Words words(hexPrefix, bytes.size(), base);
    std::vector<Finding> findings;
    if (const auto whole = constant(bytes, words)) return {*whole};
    stuckBits(bytes, findings);
    addressFaults(bytes, findings);
    fillRuns(bytes, words, findings);
    return findings;
}

std::vector<Finding> compareReads(const std::vector<std::vector<std::uint8_t>>& reads,
                                  const QString& hexPrefix, std::uint32_t base) {
    if (reads.size() < 2) return {};
    const std::size_t size = reads.front().size();
    const Words words(hexPrefix, size, base);
    std::size_t changed[kDataLines] = {};
    std::size_t first[kDataLines] = {};
    std::size_t addresses = 0;
    for (std::size_t a = 0; a < size; ++a) {
        std::uint8_t moved = 0;
        for (const auto& read : reads) moved |= std::uint8_t(read.at(a) ^ reads.front()[a]);
        if (moved) ++addresses;
        for (int line = 0; line < kDataLines; ++line)
            if (moved & (1u << line) && changed[line]++ == 0) first[line] = a;
    }
    std::vector<Finding> findings;
    if (addresses == 0) return findings;
    findings.push_back({Finding::Kind::Unstable,
                        QStringLiteral("las %1 lecturas no coinciden en %2 direcciones: ¿zócalo "
                                       "vacío, bus flotante o mal contacto?")
                            .arg(reads.size())
                            .arg(addresses)});
    for (int line = 0; line < kDataLines; ++line)
        if (changed[line])
            findings.push_back({Finding::Kind::Unstable,
                                QStringLiteral("D%1 cambió entre lecturas en %2 direcciones (la "
                                               "primera %3): revise el contacto de D%1")
                                    .arg(line)
                                    .arg(changed[line])
                                    .arg(words.address(first[line]))});
    return findings;
}

QString analysisSummary(const std::vector<Finding>& findings) {
    if (findings.empty()) return QStringLiteral("Análisis: sin hallazgos");
    return findings.size() == 1 ? QStringLiteral("Análisis: 1 aviso")
                                : QStringLiteral("Análisis: %1 avisos").arg(findings.size());
}

}  // namespace chip
