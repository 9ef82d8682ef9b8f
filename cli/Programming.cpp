#include "cli/Programming.h"

#include "chip/Loops.h"
#include "cli/Messages.h"
#include "cli/Session.h"
#include "device/CommandSet.h"
#include "device/MemoryTypes.h"

namespace cli {

namespace {
constexpr std::uint8_t kBlank = 0xFF;

// The share of the range whose wanted byte is FF.
double blankShare(const Session& s, const std::function<std::uint8_t(std::uint32_t)>& wanted) {
    std::uint64_t blank = 0;
    for (std::uint64_t a = s.first(); a <= s.last(); ++a)
        blank += wanted(static_cast<std::uint32_t>(a)) == kBlank;
    return double(blank) / double(std::uint64_t{s.last()} - s.first() + 1);
}
}  // namespace

namespace {
// A PROM only clears bits: a cell with a 0 where the image needs a 1 cannot
// take it. Reads what will be written, marks the cells that hold their byte
// already, and refuses a chip that cannot take the image.
void checkProm(Session& s, chip::Access& chip,
               const std::function<std::uint8_t(std::uint32_t)>& wanted,
               const std::function<bool(std::uint32_t)>& given, std::vector<bool>& holding) {
    std::uint64_t refused = 0;
    std::optional<chip::Mismatch> first;
    s.conclude(chip::readRange(chip, s.first(), s.last(),
                               {s.atHook(),
                                [&](std::uint32_t address, std::uint8_t byte) {
                                    const std::uint8_t want = wanted(address);
                                    if ((want & ~byte) != 0) {
                                        ++refused;
                                        if (!first) first = chip::Mismatch{address, byte, want};
                                    } else if (byte == want) {
                                        holding[address] = true;
                                    }
                                },
                                given}));
    if (refused == 0) return;
    s.fail(kDifiere,
           QStringLiteral("La memoria no admite la imagen: %1 a 0 bits que la imagen "
                          "pide a 1; la primera, %2, vale %3 y la imagen pide %4")
               .arg(refused == 1 ? QStringLiteral("1 dirección tiene")
                                 : QStringLiteral("%1 direcciones tienen").arg(refused),
                    s.addressText(first->address), hexByte(first->chip), hexByte(first->wanted)));
}
}  // namespace

int programWanted(Session& s, const std::function<std::uint8_t(std::uint32_t)>& wanted,
                  Programming kind, const QString& wantedName,
                  const std::function<bool(std::uint32_t)>& given, std::uint64_t addresses,
                  bool checkFirst) {
    if (!given) addresses = s.rangeSize();
    chip::Access& chip = s.open();
    checkFirst = checkFirst && s.type().tipo >= kTipoProm512;
    const bool verify = s.options().verificar;
    const bool verifyPass = verify && kind == Programming::RangeWithVerifyPass;
    const int writes = chip.comandos().writeReports();
    const int reads = chip.comandos().readReports();
    const chip::Verification verification = !verify ? chip::Verification::None
                                            : kind == Programming::WholeFill
                                                ? chip::Verification::EachByte
                                                : chip::Verification::EachByteWithRetry;
    const chip::Fast fast = s.options().rapida ? chip::fastFor(s.type().tipo) : chip::Fast::Off;
    std::vector<Progress::Pass> passes{
        {Progress::Activity::Programando, s.first(), s.last(),
         chip::programPassReports(fast, verification, writes, reads, blankShare(s, wanted))}};
    if (verifyPass)
        passes.push_back({Progress::Activity::Verificando, s.first(), s.last(), double(reads)});
    if (checkFirst)
        passes.insert(passes.begin(),
                      {Progress::Activity::Comprobando, s.first(), s.last(), double(reads)});
    s.startProgress(std::move(passes));
    std::vector<bool> holding(s.memorySize(), false);
    if (checkFirst) {
        checkProm(s, chip, wanted, given, holding);
        s.nextPass();
    }
    const auto toWrite = [&](std::uint32_t address) {
        return (!given || given(address)) && !holding[address];
    };

    std::vector<chip::Mismatch> readBack;
    const auto compare = s.comparing(wanted);
    const chip::ProgramHooks hooks{
        s.atHook(), [&](std::uint32_t address) { return std::int32_t{wanted(address)}; },
        [&](std::uint32_t address, std::uint8_t byte) {
            if (byte != wanted(address)) readBack.push_back({address, byte, wanted(address)});
            if (kind == Programming::WholeFill) compare(address, byte);
        },
        [&] { return s.options().reintentos; }, toWrite};
    s.conclude(chip::programRange(chip, s.first(), s.last(), verification, hooks, fast));
    if (!verify) {
        s.setUnverified();
        s.setVerdict(QStringLiteral("Hecho sin verificar: %1 programadas en %2")
                         .arg(counted(addresses, "dirección", "direcciones"))
                         .arg(spokenDuration(s.elapsedNs())));
        return kCorrecto;
    }
    std::vector<chip::Mismatch> mismatches = std::move(readBack);
    if (verifyPass) {
        mismatches.clear();
        s.nextPass();
        s.conclude(chip::verifyRange(chip, s.first(), s.last(), wanted,
                                     {s.atHook(), compare, given}, mismatches));
    }
    s.setVerdict(QStringLiteral("Correcto: %1 programadas y verificadas en %2")
                     .arg(counted(addresses, "dirección", "direcciones"))
                     .arg(spokenDuration(s.elapsedNs())));
    return s.reportMismatches(mismatches, wantedName);
}

}  // namespace cli
