#include "cli/Session.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileDevice>
#include <QIODevice>
#include <cerrno>
#include <cmath>

#include "chip/SocketCheck.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Targets.h"
#include "device/Firmware.h"
#include "device/HidLibrary.h"
#include "device/HidProbe.h"
#include "device/Link.h"
#include "device/RealTimePlatform.h"
#include "device/VirtualProgrammer.h"
#include "image/MemoryFile.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
constexpr qint64 kRecordPatienceMs = 3000;
}  // namespace

Session::Session(const Options& options, Streams& streams, Station& station, ChipContext context)
    : options_(options),
      streams_(streams),
      station_(station),
      context_(std::move(context)),
      display_(
          streams.err, streams.errIsTerminal, options.silencioso,
          [this](std::uint64_t address) { return addressText(address); }, context_.progress),
      platform_(&station.platform()) {
    startNs_ = platform_->nowNs();
}

Session::~Session() {
    closeProgrammer();
    station_.setTeller({});
}

void Session::closeProgrammer() {
    if (programmer_) programmer_->close();
}

const MemoryType& Session::type() const {
    return memoryType(options_.tipo.value_or(kTipoInicial));
}

std::int64_t Session::elapsedNs() const {
    return platform_->nowNs() - startNs_;
}

void Session::say(const QString& line) {
    if (context_.line) return context_.line(line);
    display_.endLine();
    streams_.err.write((line + u'\n').toUtf8());
}

void Session::print(const QString& line) {
    if (const int error = writeStream(streams_.out, streams_.outClosed, (line + u'\n').toUtf8()))
        fail(error == ECANCELED ? kInterrumpido : kUsoInvalido,
             QStringLiteral("No se puede escribir en la salida estándar: %1")
                 .arg(safe_io::reason(error)));
}

void Session::fail(int code, const QString& message) {
    say(message);
    throw Exit{code};
}

void Session::prepare(const Command& command, const QStringList& arguments) {
    if (!command.touchesProgrammer()) return;
    checkTargets(command, arguments);
    if (!options_.registro.isEmpty())
        if (const auto refusal = record_.open(options_.registro)) fail(kUsoInvalido, *refusal);
    record_.onWaiting([this](const QString& line) { say(line); });
    if (options_.emulated) prepareEmulation();
}

void Session::checkTargets(const Command& command, const QStringList& arguments) {
    Targets targets;
    for (const QString& input : command.inputs(arguments))
        targets.inputs.push_back({input, QStringLiteral("el archivo de entrada")});
    for (const QString& output : command.outputs(arguments))
        targets.outputs.push_back({output, QStringLiteral("el archivo de salida")});
    const std::pair<QString, const char*> named[] = {{options_.diferencias, "--diferencias"},
                                                     {options_.informe, "--informe"},
                                                     {options_.registro, "--registro"},
                                                     {options_.contador, "--contador"}};
    for (const auto& [path, option] : named)
        if (!path.isEmpty()) targets.outputs.push_back({path, QString::fromLatin1(option)});
    if (!station_.chipFile().isEmpty())
        targets.chip = Target{station_.chipFile(), QStringLiteral("el chip emulado")};
    if (const auto why = refusal(targets, streams_)) fail(kUsoInvalido, *why);
}

void Session::prepareEmulation() {
    if (emulationReady_) return;
    emulationReady_ = true;
    if (context_.secuencia > 1 && station_.chipFile().isEmpty()) station_.freshChip();
    VirtualProgrammer& emulation = station_.emulation();
    const auto socket = static_cast<Chip>(type().tipo);
    // The chip of the chosen type is the one in the socket.
    emulation.firmware().insert(socket);
    if (station_.chipFile().isEmpty()) return;
    if (const auto refusal = chipFile_.open(station_.chipFile(), emulation.firmware(), socket,
                                            QString::fromLatin1(type().caption)))
        fail(refusal->exitCode, refusal->message);
}

std::unique_ptr<HidProbe> Session::probe() {
    if (options_.emulated) prepareEmulation();
    return station_.probe();
}

std::int64_t Session::nowNs() const {
    return platform_->nowNs();
}

chip::Access& Session::open() {
    if (programmer_) return programmer_->access();
    if (station_.halted()) {
        haltTold_ = true;
        fail(kSinProgramador, kQuedoAMitad);
    }
    programmer_ = std::make_unique<Programmer>(*platform_, type().tipo);
    if (options_.emulated) prepareEmulation();
    station_.setTeller(programmer_->teller());
    if (const auto refusal = programmer_->open(station_.library())) fail(kSinProgramador, *refusal);
    return programmer_->access();
}

void Session::checkSocket(const SocketUse& use) {
    chip::Access& chip = open();
    if (options_.sinZocalo) return;
    chip::SocketRequest request{type().tipo, use.writes, first(), last(), use.written, use.wanted,
                                // Too short for a progress line of its own.
                                [this](std::uint32_t) {
                                    QCoreApplication::processEvents();
                                    return stepHere();
                                },
                                [this](std::uint32_t a) { return addressText(a); }};
    const chip::SocketReport report = chip::checkSocket(chip, request);
    socketWrites_ += report.writes;
    if (!report.outcome.completed()) failAt(report.outcome);
    if (report.verdict == chip::SocketReport::Verdict::CannotTell && use.sayCannotTell &&
        !options_.silencioso)
        say(QStringLiteral("Aviso: ") + report.text);
    if (!report.refused()) return;
    setDifferences(0, QString(), chip::kMemoriaNoResponde);
    fail(kSinMemoria, report.text +
                          QStringLiteral("\nComprobación del zócalo: %1; la orden no empezó "
                                         "(--sin-zocalo la omite)")
                              .arg(chip::kMemoriaNoResponde));
}

chip::Step Session::at(std::uint32_t address) {
    QCoreApplication::processEvents();
    display_.at(address, platform_->nowNs());
    return stepHere();
}

chip::Step Session::stepHere() const {
    const Link& link = programmer_->link();
    if (link.desconectado() || link.interrupted()) return chip::Step::Lost;
    if (InterruptGuard::requested()) return chip::Step::Cancel;
    return chip::Step::Continue;
}

std::function<chip::Step(std::uint32_t)> Session::atHook() {
    return [this](std::uint32_t address) { return at(address); };
}

void Session::startProgress(std::vector<Progress::Pass> passes) {
    display_.start(std::move(passes), platform_->nowNs());
}

void Session::nextPass() {
    display_.nextPass(platform_->nowNs());
}

void Session::conclude(const chip::Outcome& outcome) {
    if (outcome.completed()) {
        display_.complete(platform_->nowNs());
        return;
    }
    display_.finish(outcome.end == chip::Outcome::End::Interrupted
                        ? Progress::Outcome::Interrupted
                        : Progress::Outcome::DeviceLost,
                    platform_->nowNs());
    failAt(outcome);
}

void Session::failAt(const chip::Outcome& outcome) {
    if (outcome.end == chip::Outcome::End::Interrupted)
        fail(kInterrumpido,
             QStringLiteral("Interrumpido en la dirección %1").arg(addressText(outcome.at)));
    const QString lost =
        QStringLiteral("Revise Conexion USB: el programador no respondió en la dirección %1")
            .arg(addressText(outcome.at));
    haltTold_ = programmer_->link().halted();
    fail(kSinProgramador, haltTold_ ? lost + u'\n' + kQuedoAMitad : lost);
}

int Session::finish(const Command& command, int exitCode, double seconds) {
    closeProgrammer();
    // The cancel run or the exit run may fail too, and leave it waiting.
    if (programmer_ && programmer_->link().halted()) {
        station_.setHalted();
        if (!haltTold_) say(kQuedoAMitad);
        if (exitCode == kCorrecto) exitCode = kSinProgramador;
    }
    if (const auto failure = chipFile_.close()) {
        say(*failure);
        if (exitCode == kCorrecto) exitCode = kUsoInvalido;
    }
    // Proven before any line is written: a line that fails after keeps the
    // chip's number its own.
    const bool proven = exitCode == kCorrecto && !unverified_;
    // After Ctrl+C the line is still owed: the other runs holding the
    // record's lock get a while to let go.
    ended_ = QDateTime::currentDateTime();
    QElapsedTimer waited;
    waited.start();
    const auto givenUp = [&] { return interrupted() && waited.elapsed() > kRecordPatienceMs; };
    if (record_.isOpen())
        if (const auto failure =
                record_.append(recordEntry(command.name(), exitCode, seconds), givenUp)) {
            say(*failure);
            if (exitCode == kCorrecto) exitCode = interrupted() ? kInterrumpido : kUsoInvalido;
        }
    if (context_.memory) context_.memory(recordEntry(command.name(), exitCode, seconds));
    if (context_.commit)
        if (const auto failure =
                context_.commit(recordEntry(command.name(), exitCode, seconds), context_.serial,
                                proven)) {
            say(*failure);
            if (exitCode == kCorrecto) exitCode = kSinProgramador;
        }
    if (exitCode == kCorrecto && !options_.silencioso && !verdict_.isEmpty() &&
        !context_.verdictApart)
        say(verdict_);
    return exitCode;
}

QString Session::addressText(std::uint64_t address) const {
    return hexAddress(address, type().maxdir);
}

}  // namespace cli
