#include "cli/Programming.h"

#include "chip/Loops.h"
#include "chip/PromCheck.h"
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
// Reads what will be written first, and refuses a chip that cannot take it.
void checkProm(Session& s, chip::Access& chip,
               const std::function<std::uint8_t(std::uint32_t)>& wanted,
               const std::function<bool(std::uint32_t)>& given, std::vector<bool>& holding) {
    const chip::PromFit fit = chip::checkProm(
        chip, s.first(), s.last(),
        [&](std::uint32_t address) { return std::optional<std::int32_t>(wanted(address)); },
        {s.atHook(), {}, given}, holding);
    s.conclude(fit.outcome);
    if (fit.refused == 0) return;
    const QString refusal = chip::promRefusal(fit, s.type().maxdir);
    s.setDifferences(fit.refused,
                     QStringLiteral("%1: chip %2, archivo %3")
                         .arg(s.addressText(fit.first->address), hexByte(fit.first->chip),
                              hexByte(fit.first->wanted)),
                     QStringLiteral("la memoria no admite la imagen"));
    s.fail(kDifiere, refusal);
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
    if (s.type().tipo >= kTipoProm512) s.setCheckDone(checkFirst);
    if (checkFirst) {
        checkProm(s, chip, wanted, given, holding);
        s.nextPass();
    }
    // --completa writes every address the image gives, whatever the check
    // read there; without it a cell that holds its byte already is left.
    const bool everyAddress = !s.options().rapida;
    const auto toWrite = [&](std::uint32_t address) {
        return (!given || given(address)) && (everyAddress || !holding[address]);
    };

    std::vector<chip::Mismatch> readBack;
    const auto compare = s.comparing(wanted);
    // A second read-back of one address follows a write again: a retry.
    std::optional<std::uint32_t> lastReadBack;
    const chip::ProgramHooks hooks{
        s.atHook(), [&](std::uint32_t address) { return std::int32_t{wanted(address)}; },
        [&](std::uint32_t address, std::uint8_t byte) {
            if (lastReadBack == address) s.countRetry();
            lastReadBack = address;
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
