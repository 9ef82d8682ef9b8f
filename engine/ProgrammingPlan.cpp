#include "engine/ProgrammingPlan.h"

#include "device/MemoryTypes.h"

namespace engine {

Plan planProgramming(const PlanAsk& ask) {
    Plan plan;
    plan.fast = ask.fast ? chip::fastFor(ask.tipo) : chip::Fast::Off;
    plan.verification = !ask.verify                     ? chip::Verification::None
                        : ask.kind == Programming::Fill ? chip::Verification::EachByte
                                                        : chip::Verification::EachByteWithRetry;
    plan.verifyPass = ask.verify && ask.kind == Programming::Range;
    plan.checkProm = ask.checkFirst && ask.tipo >= kTipoProm512 && ask.last >= ask.first;
    // Fast mode spares what it can prove; the full one writes every address.
    plan.everyAddress = !ask.fast;
    const double programming =
        chip::programPassReports(plan.fast, plan.verification, ask.writeReports, ask.readReports,
                                 plan.fast == chip::Fast::SkipBlank ? ask.blankShare : 0);
    if (plan.checkProm)
        plan.passes.push_back(
            {Progress::Activity::Comprobando, ask.first, ask.last, double(ask.readReports)});
    plan.passes.push_back({Progress::Activity::Programando, ask.first, ask.last, programming});
    if (plan.verifyPass)
        plan.passes.push_back(
            {Progress::Activity::Verificando, ask.first, ask.last, double(ask.readReports)});
    return plan;
}

RunOutcome runPlan(chip::Access& chip, const Plan& plan, std::uint32_t first, std::uint32_t last,
                   std::size_t memorySize, const RunHooks& hooks) {
    RunOutcome run;
    std::vector<bool> holding(memorySize, false);
    if (plan.checkProm) {
        run.fit = chip::checkProm(
            chip, first, last,
            [&](std::uint32_t address) {
                return std::optional<std::int32_t>(hooks.wanted(address));
            },
            {hooks.at, {}, hooks.given}, holding);
        run.outcome = run.fit->outcome;
        if (!run.outcome.completed() || run.fit->refused > 0) return run;
        if (hooks.nextPass) hooks.nextPass();
    }
    chip::ProgramHooks program{
        hooks.at,
        [&](std::uint32_t address) {
            if (hooks.beforeWrite) hooks.beforeWrite(address);
            return std::int32_t{hooks.wanted(address)};
        },
        [&](std::uint32_t address, std::uint8_t byte) {
            if (hooks.readBack) hooks.readBack(address, byte);
            if (byte != hooks.wanted(address))
                run.mismatches.push_back({address, byte, hooks.wanted(address)});
        },
        hooks.retries, hooks.given};
    if (plan.checkProm && !plan.everyAddress)
        program.holds = [&](std::uint32_t address) { return bool(holding[address]); };
    run.outcome = chip::programRange(chip, first, last, plan.verification, program, plan.fast);
    if (!run.outcome.completed() || !plan.verifyPass) return run;
    run.mismatches.clear();
    if (hooks.nextPass) hooks.nextPass();
    run.outcome = chip::verifyRange(chip, first, last, hooks.wanted,
                                    {hooks.at, hooks.verified, hooks.given}, run.mismatches);
    return run;
}

}  // namespace engine
