#include "cli/Bench.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>
#include <QThread>

#include "cli/Command.h"
#include "cli/Gang.h"
#include "cli/Interrupts.h"
#include "cli/Messages.h"
#include "device/MemoryTypes.h"
#include "image/ImageMap.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
constexpr unsigned long kBoardRedrawMs = 100;

// A file every chip of a gang or a batch may read or have of its own: a
// stream, a FIFO or a device would hand each chip a part, or one chip all.
std::optional<QString> sharedStream(const Command& command, const QStringList& arguments,
                                    const Options& options) {
    QStringList paths = command.inputs(arguments) + command.outputs(arguments);
    if (!options.diferencias.isEmpty()) paths << options.diferencias;
    for (const QString& path : paths) {
        const auto identity = safe_io::identityOf(path);
        if (path == QLatin1String("-") || (identity && !identity->regular)) return path;
    }
    return std::nullopt;
}
// The serial number's bytes inside the range, checked once for every chip.
std::optional<QString> serialAreaRefusal(const SerialLayout& layout, const Options& options) {
    const std::uint32_t maxdir = memoryType(options.tipo.value_or(kTipoInicial)).maxdir;
    const std::uint64_t first = options.desde.value_or(0);
    const std::uint64_t last = options.hasta.value_or(maxdir);
    const std::uint64_t end = std::uint64_t{layout.address} + layout.bytes - 1;
    if (layout.address >= first && end <= last) return std::nullopt;
    if (end > image::kLastAddress)
        return QStringLiteral(
                   "--serie: %1 bytes desde %2 pasan de 0xFFFFFFFF, la última "
                   "dirección posible")
            .arg(layout.bytes)
            .arg(hexAddress(layout.address, maxdir));
    return QStringLiteral("--serie: %1–%2 queda fuera del rango %3–%4")
        .arg(hexAddress(layout.address, maxdir), hexAddress(end, maxdir), hexAddress(first, maxdir),
             hexAddress(last, maxdir));
}
}  // namespace

Bench::Bench(const Options& options, Streams& streams, const Backends& backends)
    : options_(options), streams_(streams), backends_(backends) {}

Bench::~Bench() {
    for (auto& worker : workers_) worker->finish();
}

void Bench::tell(const QString& line) {
    if (board_) board_->clear();
    streams_.err.write((line + u'\n').toUtf8());
}

std::optional<int> Bench::refuse(const Command& command, const QStringList& arguments) {
    const Choice choice = chooseProgrammers(options_, programmersFor(options_, backends_));
    if (!choice.refusal.isEmpty()) {
        tell(choice.refusal);
        return choice.refusalCode;
    }
    chosen_ = choice.chosen;
    if (options_.todos || options_.lote)
        if (const auto stream = sharedStream(command, arguments, options_)) {
            tell(QStringLiteral("Con --todos o --lote, %1 no puede ser la entrada o la salida: "
                                "cada memoria necesita un archivo normal, y %1 es uno solo para "
                                "todas")
                     .arg(pathShown(*stream, QStringLiteral("la entrada o salida estándar"))));
            return kUsoInvalido;
        }
    if (const auto clash = outputOverChipFile(command, arguments)) {
        tell(*clash);
        return kUsoInvalido;
    }
    if (options_.serie)
        if (const auto refusal = serialAreaRefusal(*options_.serie, options_)) {
            tell(*refusal);
            return kUsoInvalido;
        }
    if (const auto clash = counterClash(command, arguments)) {
        tell(*clash);
        return kUsoInvalido;
    }
    if (!options_.base.isEmpty()) {
        base_ = std::make_unique<LineDatabase>();
        // Numbers come from a named sequence: the job's name, or "serie".
        const QString sequence = !options_.secuencia.isEmpty() ? options_.secuencia
                                 : !options_.trabajo.isEmpty()
                                     ? QFileInfo(options_.trabajo).completeBaseName()
                                     : QStringLiteral("serie");
        if (const auto refusal = base_->open(options_.base, sequence, options_.serie,
                                             [this](const QString& line) { tell(line); })) {
            tell(refusal->message);
            return refusal->exitCode;
        }
    } else if (options_.serie) {
        if (const auto refusal = counter_.open(*options_.serie, options_.contador)) {
            tell(refusal->message);
            return refusal->exitCode;
        }
        tellSettled();
    }
    if (options_.lote)
        if (const auto refusal = prompt_.open()) {
            tell(*refusal);
            return kUsoInvalido;
        }
    return std::nullopt;
}

int Bench::run(Command& command, const QStringList& arguments) {
    if (options_.json) json_ = std::make_unique<JsonEvents>(streams_.out, streams_.outClosed);
    const int code = runChips(command, arguments);
    if (json_) json_->end(code);
    return code;
}

int Bench::runChips(Command& command, const QStringList& arguments) {
    if (const auto refused = refuse(command, arguments)) return *refused;
    if (json_) {
        QStringList names;
        for (const FoundProgrammer& programmer : chosen_) names << programmer.name();
        json_->start(command.name(), typeName(options_.tipo.value_or(kTipoInicial)), names);
    }
    batch_ = options_.lote
                 ? QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))
                 : QString();
    if (options_.todos)
        startGang(command);
    else
        station_ = std::make_unique<Station>(chosen_.front(), options_, backends_);
    std::vector<int> codes;
    for (int chip = 1;; ++chip) {
        const int sequence = options_.lote ? chip : 0;
        const std::vector<Chip> chips =
            options_.todos ? gangRound(arguments, sequence) : single(command, arguments, sequence);
        std::vector<std::pair<std::uint64_t, bool>> numbers;
        bool refused = false;
        for (const Chip& c : chips) {
            codes.push_back(c.outcome.code);
            (c.outcome.correct() ? correct_ : failed_)++;
            if (c.serial) numbers.push_back({*c.serial, c.outcome.numberUsed});
            refused |= c.outcome.code == kUsoInvalido;
        }
        tellRound(chips, sequence);
        if (baseLost_) {
            tell(QStringLiteral("Se detiene el lote: la base no responde"));
            break;
        }
        if (base_) numbers.clear();  // settled with each chip's row
        if (!numbers.empty()) crashPoint("confirmar");
        if (const auto failure = counter_.settle(numbers)) {
            tell(*failure);
            codes.push_back(kUsoInvalido);
            break;
        }
        // A refused file or option would be refused again for every chip.
        if (!options_.lote || interrupted() || refused) break;
        // A programmer left half-way takes no chip more: none would be touched.
        if (station_ && station_->halted()) {
            tell(QStringLiteral("Se detiene el lote: el programador quedó a mitad de una orden"));
            break;
        }
        if (!prompt_.next(QStringLiteral("Coloque la siguiente memoria y pulse Enter (q para "
                                         "terminar)"))) {
            // Ctrl+C at the question is no q: the batch did not end as asked.
            if (interrupted()) codes.push_back(kInterrumpido);
            break;
        }
    }
    if (options_.lote) {
        const int total = correct_ + failed_;
        const QString yield =
            QString::number(total ? 100.0 * correct_ / total : 0.0, 'f', 1).replace(u'.', u',');
        tell(QStringLiteral("Lote %1: %2, %3 y %4; rendimiento %5 %")
                 .arg(batch_, counted(total, "memoria", "memorias"),
                      counted(correct_, "correcta", "correctas"),
                      counted(failed_, "fallida", "fallidas"), yield));
    }
    return combinedCode(codes);
}

std::optional<QString> Bench::outputOverChipFile(const Command& command,
                                                 const QStringList& arguments) const {
    // Each programmer's own output is named after it: none may be another
    // programmer's emulated chip.
    for (const FoundProgrammer& programmer : chosen_)
        for (const QString& output : command.outputs(argumentsFor(
                 command, arguments, options_.todos ? programmer.name() : QString(), 0)))
            for (const QString& chipFile : options_.emulatedFiles)
                if (chipFile != programmer.path &&
                    QFileInfo(output).absoluteFilePath() == QFileInfo(chipFile).absoluteFilePath())
                    return QStringLiteral(
                               "%1 es el chip emulado de --virtual=%2: la salida lo "
                               "borraría")
                        .arg(shown(output), shown(chipFile));
    return std::nullopt;
}

ChipContext Bench::contextFor(int sequence, const QString& programmer) {
    ChipContext context;
    context.lote = batch_;
    context.secuencia = sequence;
    // Taken when the chip's run asks, after its socket check: an empty
    // socket reserves nothing. A gang's workers ask from their threads.
    if (options_.serie)
        context.reserve = [this](std::optional<std::uint64_t>& number) {
            std::vector<std::optional<std::uint64_t>> taken;
            const auto failure = reserve(1, taken);
            number = failure || taken.empty() ? std::nullopt : taken.front();
            return failure;
        };
    context.burning = [this](std::uint64_t number) {
        auto failure = base_ ? base_->burning(number) : counter_.burning(number);
        if (!failure) crashPoint("grabando");
        return failure;
    };
    if (json_) {
        context.memory = [this](const RecordEntry& entry) { json_->memory(entry); };
        context.progress = [this, programmer](int percent, const QString& state) {
            json_->progress(programmer, percent, state);
        };
    }
    if (base_)
        context.commit = [this](const RecordEntry& entry, std::optional<std::uint64_t> serial,
                                bool correct) { return commitChip(entry, serial, correct); };
    return context;
}

std::optional<QString> Bench::reserve(std::size_t chips,
                                      std::vector<std::optional<std::uint64_t>>& serials) {
    auto failure = base_ ? base_->take(chips, serials) : counter_.take(chips, serials);
    if (!failure) crashPoint("reservado");
    return failure;
}

std::optional<QString> Bench::commitChip(const RecordEntry& entry,
                                         std::optional<std::uint64_t> serial, bool correct) {
    if (serial) crashPoint("confirmar");
    const auto failure = base_->commit(entry, serial, correct);
    if (!failure) return std::nullopt;
    // Lost in the middle: the chip finished; its line waits in a local file.
    baseLost_ = true;
    QString spooled;
    if (const auto lost = base_->spool(entry, spooled)) return *failure + u'\n' + *lost;
    return *failure + QStringLiteral(
                          "\nLa línea de esta memoria queda en %1, y pasará a la base "
                          "en la próxima ejecución")
                          .arg(shown(spooled));
}

void Bench::tellSettled() {
    const SerialCounter::Settled& settled = counter_.settledAtStart();
    for (const std::uint64_t number : settled.givenBack)
        tell(QStringLiteral("El número de serie %1 vuelve a darse: una ejecución interrumpida lo "
                            "reservó sin llegar a grabarlo")
                 .arg(number));
    for (const std::uint64_t number : settled.voided)
        tell(QStringLiteral("El número de serie %1 queda anulado: una ejecución se interrumpió "
                            "mientras lo grababa, y la memoria puede llevarlo a medias")
                 .arg(number));
}

std::optional<QString> Bench::counterClash(const Command& command,
                                           const QStringList& arguments) const {
    if (options_.contador.isEmpty()) return std::nullopt;
    const QString counter = QFileInfo(options_.contador).absoluteFilePath();
    for (const QString& file : command.inputs(arguments) + command.outputs(arguments))
        if (QFileInfo(file).absoluteFilePath() == counter)
            return QStringLiteral(
                       "--contador: %1 es también un archivo de la orden; el contador "
                       "necesita un archivo propio")
                .arg(shown(options_.contador));
    return std::nullopt;
}

Options Bench::optionsFor(const QString& programmer, int sequence) const {
    Options options = options_;
    if (!options.diferencias.isEmpty())
        options.diferencias = perChipPath(options.diferencias, programmer, sequence);
    return options;
}

QStringList Bench::argumentsFor(const Command& command, const QStringList& arguments,
                                const QString& programmer, int sequence) const {
    QStringList adjusted = arguments;
    const QStringList outputs = command.outputs(arguments);
    for (QString& argument : adjusted)
        if (outputs.contains(argument)) argument = perChipPath(argument, programmer, sequence);
    return adjusted;
}

std::vector<Bench::Chip> Bench::single(Command& command, const QStringList& arguments,
                                       int sequence) {
    const Options options = optionsFor({}, sequence);
    const ChipOutcome outcome =
        runChip(options, streams_, *station_, contextFor(sequence, station_->name()), command,
                argumentsFor(command, arguments, {}, sequence));
    return {Chip{outcome, station_->name(), outcome.serial}};
}

void Bench::startGang(const Command& command) {
    std::vector<QString> names;
    for (const FoundProgrammer& programmer : chosen_) names.push_back(programmer.name());
    board_ = std::make_unique<GangBoard>(streams_, names, options_.silencioso);
    for (std::size_t row = 0; row < chosen_.size(); ++row) {
        workers_.push_back(std::make_unique<GangWorker>(row, chosen_[row], options_, streams_,
                                                        backends_, makeCommand(command.name()),
                                                        *board_));
        workers_.back()->start();
    }
}

std::vector<Bench::Chip> Bench::gangRound(const QStringList& arguments, int sequence) {
    for (std::size_t row = 0; row < workers_.size(); ++row) {
        GangWorker& worker = *workers_[row];
        worker.startRound(optionsFor(worker.name(), sequence), contextFor(sequence, worker.name()),
                          argumentsFor(worker.command(), arguments, worker.name(), sequence));
    }
    for (;;) {
        // Asked here too: a signal meant for this thread reaches every worker.
        (void)InterruptGuard::requested();
        bool done = true;
        for (auto& worker : workers_) done = done && worker->roundDone();
        board_->draw();
        if (done) break;
        QThread::msleep(kBoardRedrawMs);
    }
    board_->clear();
    std::vector<Chip> chips;
    for (const auto& worker : workers_)
        chips.push_back({worker->outcome(), worker->name(), worker->outcome().serial});
    return chips;
}

void Bench::tellRound(const std::vector<Chip>& chips, int sequence) {
    const bool anyFailed = std::any_of(chips.begin(), chips.end(),
                                       [](const Chip& chip) { return !chip.outcome.correct(); });
    if (options_.todos) {
        int correct = 0;
        for (const Chip& chip : chips) {
            correct += chip.outcome.correct();
            const QString said = chip.outcome.correct()
                                     ? (chip.outcome.verdict.isEmpty() || options_.silencioso
                                            ? QStringLiteral("correcta")
                                            : chip.outcome.verdict)
                                     : QStringLiteral("fallida (%1)").arg(chip.outcome.result);
            if (!chip.outcome.correct() || !options_.silencioso)
                tell(QStringLiteral("%1: %2").arg(shown(chip.programmer), said));
        }
        const int failed = static_cast<int>(chips.size()) - correct;
        tell((sequence > 0 ? QStringLiteral("Ronda %1: ").arg(sequence) : QString()) +
             QStringLiteral("%1, %2").arg(counted(correct, "correcta", "correctas"),
                                          counted(failed, "fallida", "fallidas")));
    } else if (sequence > 0) {
        const ChipOutcome& outcome = chips.front().outcome;
        tell(QStringLiteral("Memoria %1: %2")
                 .arg(sequence)
                 .arg(outcome.correct() ? QStringLiteral("correcta")
                                        : QStringLiteral("fallida (%1)").arg(outcome.result)));
    }
    if (sequence > 0 && anyFailed) prompt_.bell();
}

}  // namespace cli
