#include "cli/Programming.h"

#include "chip/PromCheck.h"
#include "cli/Messages.h"
#include "cli/Session.h"
#include "device/CommandSet.h"
#include "device/MemoryTypes.h"
#include "engine/ProgrammingPlan.h"

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

// The check's refusal: exit 1, with what the record keeps of it.
[[noreturn]] void refuseChip(Session& s, const chip::PromFit& fit) {
    s.setDifferences(fit.refused,
                     QStringLiteral("%1: chip %2, archivo %3")
                         .arg(s.addressText(fit.first->address), hexByte(fit.first->chip),
                              hexByte(fit.first->wanted)),
                     QStringLiteral("la memoria no admite la imagen"));
    s.fail(kDifiere, chip::promRefusal(fit, s.type().maxdir));
}
}  // namespace

int programWanted(Session& s, const std::function<std::uint8_t(std::uint32_t)>& wanted,
                  Programming kind, const QString& wantedName,
                  const std::function<bool(std::uint32_t)>& given, std::uint64_t addresses,
                  bool checkFirst) {
    if (!given) addresses = s.rangeSize();
    chip::Access& chip = s.open();
    const engine::Plan plan = engine::planProgramming(
        {s.type().tipo,
         kind == Programming::WholeFill ? engine::Programming::Fill : engine::Programming::Range,
         s.options().verificar, s.options().rapida, checkFirst, s.first(), s.last(),
         chip.comandos().writeReports(), chip.comandos().readReports(), blankShare(s, wanted)});
    s.startProgress(plan.passes);
    if (s.type().tipo >= kTipoProm512) s.setCheckDone(plan.checkProm);
    const auto compare = s.comparing(wanted);
    // A second read-back of one address follows a write again: a retry.
    std::optional<std::uint32_t> lastReadBack;
    const engine::RunOutcome run = engine::runPlan(
        chip, plan, s.first(), s.last(), s.memorySize(),
        {s.atHook(), wanted, given,
         [&](std::uint32_t address, std::uint8_t byte) {
             if (lastReadBack == address) s.countRetry();
             lastReadBack = address;
             if (kind == Programming::WholeFill) compare(address, byte);
         },
         [&] { return s.options().reintentos; },
         [&](std::uint32_t address) { s.beforeWrite(address); }, compare, [&] { s.nextPass(); }});
    s.conclude(run.outcome);
    if (run.fit && run.fit->refused > 0) refuseChip(s, *run.fit);
    if (!s.options().verificar) {
        s.setUnverified();
        s.setVerdict(QStringLiteral("Hecho sin verificar: %1 programadas en %2")
                         .arg(counted(addresses, "dirección", "direcciones"))
                         .arg(spokenDuration(s.elapsedNs())));
        return kCorrecto;
    }
    s.setVerdict(QStringLiteral("Correcto: %1 programadas y verificadas en %2")
                     .arg(counted(addresses, "dirección", "direcciones"))
                     .arg(spokenDuration(s.elapsedNs())));
    return s.reportMismatches(run.mismatches, wantedName);
}

}  // namespace cli
