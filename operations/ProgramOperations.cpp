#include "operations/ProgramOperations.h"

#include <QCheckBox>
#include <QLineEdit>
#include <algorithm>

#include "chip/PromCheck.h"
#include "device/CommandSet.h"
#include "device/Platform.h"
#include "operations/OperationFrame.h"
#include "operations/Workbench.h"
#include "view/AddressGridModel.h"
#include "view/DataGrid.h"
#include "view/Dialogs.h"
#include "view/Errors.h"
#include "view/NumberFormat.h"
#include "view/Unit2.h"
#include "view/conversiones.h"

namespace {
constexpr int kNoRow = 0;  // the header: the grid only takes the focus
const QString kCero = QStringLiteral("0");
const QString kHeaderProgramado = QStringLiteral("DATO PROGRAMA");

// Every way out of a programming operation leaves the cancel prompt hidden.
class PromptShown {
  public:
    explicit PromptShown(OperationFrame& frame) : frame_(frame) { frame_.showPrompt(); }
    ~PromptShown() { frame_.hidePrompt(); }
    PromptShown(const PromptShown&) = delete;
    PromptShown& operator=(const PromptShown&) = delete;

  private:
    OperationFrame& frame_;
};
}  // namespace

void ProgramOperations::BitBtn9Click() {
    run(Kind::Fill);
}
void ProgramOperations::BitBtn5Click() {
    run(Kind::RangeFromGrid);
}
void ProgramOperations::BitBtn10Click() {
    run(Kind::RangeWithValue);
}
void ProgramOperations::BitBtn1Click() {
    run(Kind::All);
}

bool ProgramOperations::verifying() const {
    return bench_.controls.ch->isChecked();
}

void ProgramOperations::run(Kind kind) {
    Workbench& b = bench_;
    if (b.frame.running() || b.frame.conexion()) return;
    OperationScope scope(b.frame);
    TForm2& mismatches = *b.Form2;
    mismatches.organiza();
    // Every cell of the two value columns, the header row's included.
    mismatches.grid.clearColumn(TForm2::kFirstColumn, 0, mismatches.grid.gridRows() - 1);
    mismatches.grid.clearColumn(TForm2::kSecondColumn, 0, mismatches.grid.gridRows() - 1);
    PromptShown prompt(b.frame);

    Plan plan;
    plan.kind = kind;
    if (kind == Kind::Fill) {
        // A check that stopped the fill has said why: no second box.
        if (!llena(plan)) return;
    } else {
        if (!readInputs(plan) || !programmingPass(plan)) return;
        if (verifying()) verifyPass(plan);
    }
    const bool rowExists = plan.cursorRow < b.imagen.gridRows();
    b.controls.m->showCell(kDataColumn, rowExists ? static_cast<int>(plan.cursorRow) : kNoRow);
    b.frame.hidePrompt();
    const bool differs = verifying() && readBackDiffers();
    b.frame.completed(differs);
    report(differs);
}

bool ProgramOperations::llena(Plan& plan) {
    Workbench& b = bench_;
    plan.last = static_cast<std::int32_t>(b.comandos.maxdir);
    plan.value = b.readNumber(b.controls.Edit3);
    plan.valueText = b.controls.Edit3->text();
    return programmingPass(plan);
}

bool ProgramOperations::readInputs(Plan& plan) {
    Workbench& b = bench_;
    const MainControls& c = b.controls;
    switch (plan.kind) {
        case Kind::RangeFromGrid:
            plan.first = b.readNumber(c.PLOT1);
            plan.last = b.readNumber(c.PLOT2);
            break;
        case Kind::RangeWithValue:
            plan.first = b.readNumber(c.DIL1);
            plan.last = b.readNumber(c.DIL2);
            break;
        default:
            plan.last = static_cast<std::int32_t>(b.comandos.type().maxdir);
            return true;
    }
    // Eight hexadecimal digits from 80000000 read as negative: past any memory.
    if (plan.first < 0 || plan.last < 0) {
        b.frame.hidePrompt();
        b.dialogs.message(kSupera);
        return false;
    }
    plan.cursorRow = std::int64_t{plan.first} + 1;
    if (plan.last < plan.first) b.dialogs.message(kOrden);
    if (plan.kind == Kind::RangeWithValue) {
        plan.value = b.readNumber(c.DL);
        plan.valueText = c.DL->text();
    }
    return true;
}

engine::Plan ProgramOperations::startProgress(const Plan& plan) {
    Workbench& b = bench_;
    // The fill reads back in its one pass; the others verify in a second one.
    const engine::Plan passes =
        programmingPlan(plan, b.comandos.writeReports(), b.comandos.readReports());
    if (plan.last >= plan.first) b.frame.progress.start(passes.passes, b.platform.nowNs());
    return passes;
}

double ProgramOperations::blankShare(const Plan& plan) const {
    constexpr std::int32_t kBlank = 0xFF;
    if (plan.kind == Kind::Fill || plan.kind == Kind::RangeWithValue)
        return plan.value == kBlank ? 1 : 0;
    const Workbench& b = bench_;
    const std::vector<QString>& texts = b.imagen.column(kDataColumn);
    std::int64_t blank = 0;
    for (std::int32_t address = plan.first; address <= plan.last; ++address) {
        try {
            blank += b.formato.read(texts[static_cast<std::size_t>(address)]) == kBlank;
        } catch (const ConversionError&) {
        }
    }
    return double(blank) / double(std::int64_t{plan.last} - plan.first + 1);
}

engine::Plan ProgramOperations::programmingPlan(const Plan& plan, int writes, int reads) const {
    const Workbench& b = bench_;
    // The fill reads back in its one pass; the others verify in a second one.
    const bool fast = b.rapida && chip::fastFor(b.comandos.tipo) == chip::Fast::SkipBlank;
    return engine::planProgramming(
        {b.comandos.tipo,
         plan.kind == Kind::Fill ? engine::Programming::Fill : engine::Programming::Range,
         verifying(), b.rapida, checksPromFirst(plan), static_cast<std::uint32_t>(plan.first),
         static_cast<std::uint32_t>(plan.last), writes, reads, fast ? blankShare(plan) : 0});
}

bool ProgramOperations::programmingPass(const Plan& plan) {
    Workbench& b = bench_;
    const engine::Plan passes = startProgress(plan);
    const auto first = static_cast<std::uint32_t>(plan.first);
    chip::ProgramHooks hooks{
        [&](std::uint32_t address) {
            const chip::Step step = b.frame.poll(address);
            if (step != chip::Step::Continue || address != first ||
                static_cast<std::uint32_t>(plan.last) <= b.comandos.maxdir)
                return step;
            b.frame.hidePrompt();
            b.dialogs.message(kSupera);
            return chip::Step::Stop;
        },
        [&](std::uint32_t address) { return dataFor(plan, address); },
        [&](std::uint32_t address, std::uint8_t byte) {
            recordRead(address, byte);
            // The fill shows in the grid what the chip holds.
            if (plan.kind == Kind::Fill)
                b.imagen.setCell(
                    kDataColumn, static_cast<int>(address) + 1,
                    b.Form2->grid.cell(TForm2::kSecondColumn, static_cast<int>(address) + 1));
        },
        [&] { return decimalToInt(b.controls.Edit2->text()); }};
    if (plan.last < plan.first) return true;
    if (static_cast<std::uint32_t>(plan.last) <= b.comandos.maxdir &&
        !b.socketAnswers(first, static_cast<std::uint32_t>(plan.last),
                         [&](std::uint32_t address) -> std::optional<std::uint8_t> {
                             const auto wanted = wantedAt(plan, address);
                             if (!wanted) return std::nullopt;
                             return static_cast<std::uint8_t>(*wanted & 0xFF);
                         }))
        return false;
    std::vector<bool> holding;
    if (passes.checkProm) {
        if (!checkPass(plan, holding)) return false;
        // Fast mode leaves a cell that holds its byte; the full one writes it.
        if (!passes.everyAddress)
            hooks.holds = [&](std::uint32_t address) { return bool(holding[address]); };
    }
    return b.frame.conclude(chip::programRange(b.chip, first, static_cast<std::uint32_t>(plan.last),
                                               passes.verification, hooks, passes.fast));
}

bool ProgramOperations::checksPromFirst(const Plan& plan) const {
    return bench_.comprobar && bench_.comandos.tipo >= kTipoProm512 && plan.last >= plan.first &&
           static_cast<std::uint32_t>(plan.last) <= bench_.comandos.maxdir;
}

std::optional<std::int32_t> ProgramOperations::wantedAt(const Plan& plan,
                                                        std::uint32_t address) const {
    if (plan.kind == Kind::Fill || plan.kind == Kind::RangeWithValue) return plan.value;
    const QString& text = bench_.imagen.cell(kDataColumn, static_cast<int>(address) + 1);
    // An empty cell is programmed as 0.
    if (text.isEmpty()) return 0;
    try {
        return bench_.formato.read(text);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

bool ProgramOperations::checkPass(const Plan& plan, std::vector<bool>& holding) {
    Workbench& b = bench_;
    holding.assign(std::size_t{b.comandos.maxdir} + 1, false);
    const chip::PromFit fit = chip::checkProm(
        b.chip, static_cast<std::uint32_t>(plan.first), static_cast<std::uint32_t>(plan.last),
        [&](std::uint32_t address) { return wantedAt(plan, address); },
        {[&](std::uint32_t address) { return b.frame.poll(address); }, {}}, holding);
    if (!b.frame.conclude(fit.outcome)) return false;
    if (fit.refused > 0) {
        b.frame.hidePrompt();
        b.dialogs.message(chip::promRefusal(fit, b.comandos.maxdir));
        return false;
    }
    b.frame.progress.nextPass(b.platform.nowNs());
    return true;
}

std::int32_t ProgramOperations::dataFor(const Plan& plan, std::uint32_t address) {
    Workbench& b = bench_;
    const int row = static_cast<int>(address) + 1;
    switch (plan.kind) {
        case Kind::Fill:
            recordProgrammed(address, plan.valueText);
            return plan.value;
        case Kind::RangeWithValue:
            recordProgrammed(address, plan.valueText);
            b.imagen.setCell(kDataColumn, row, plan.valueText);
            return plan.value;
        default:
            break;
    }
    if (b.imagen.cell(kDataColumn, row).isEmpty()) b.imagen.setCell(kDataColumn, row, kCero);
    const QString text = b.imagen.cell(kDataColumn, row);
    const std::int32_t dato = b.formato.read(text);
    recordProgrammed(address, text);
    return dato;
}

void ProgramOperations::verifyPass(const Plan& plan) {
    Workbench& b = bench_;
    b.frame.progress.nextPass(b.platform.nowNs());
    const chip::ReadHooks hooks{
        [&](std::uint32_t address) { return b.frame.poll(address); },
        [&](std::uint32_t address, std::uint8_t byte) { recordRead(address, byte); }};
    if (plan.last < plan.first) return;
    b.frame.conclude(chip::readRange(b.chip, static_cast<std::uint32_t>(plan.first),
                                     static_cast<std::uint32_t>(plan.last), hooks));
}

void ProgramOperations::recordProgrammed(std::uint32_t address, const QString& text) {
    bench_.Form2->grid.setCell(TForm2::kFirstColumn, static_cast<int>(address) + 1, text);
}

void ProgramOperations::recordRead(std::uint32_t address, std::uint8_t byte) {
    Workbench& b = bench_;
    b.Form2->grid.setCell(TForm2::kSecondColumn, static_cast<int>(address) + 1,
                          b.formato.show(byte));
}

bool ProgramOperations::readBackDiffers() const {
    const TForm2& mismatches = *bench_.Form2;
    const std::vector<QString>& programmed = mismatches.grid.column(TForm2::kFirstColumn);
    const std::vector<QString>& read = mismatches.grid.column(TForm2::kSecondColumn);
    const int rows = mismatches.rowsCompared();
    return !std::equal(programmed.begin(), programmed.begin() + rows, read.begin());
}

void ProgramOperations::report(bool differs) {
    Workbench& b = bench_;
    // Nothing was read back without verification: there is nothing to compare.
    if (!verifying()) {
        b.frame.normal();
        return;
    }
    TForm2& mismatches = *b.Form2;
    AddressGridModel& grid = mismatches.grid;
    grid.setCell(TForm2::kFirstColumn, 0, QString());
    grid.setCell(TForm2::kSecondColumn, 0, QString());
    if (!differs) {
        b.frame.normal();
        return;
    }
    b.dialogs.message(kErrorProgramacion);
    mismatches.setHeaders(kHeaderProgramado, kHeaderLeido);
    mismatches.malas();
    mismatches.explain(TForm2::kSecondColumn);
    mismatches.offerDifferences(QStringLiteral("leído de la memoria"));
    mismatches.show();
    // In front, where the count's box may have left it behind.
    mismatches.raise();
    mismatches.activateWindow();
}
