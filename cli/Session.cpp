#include "cli/Session.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDevice>
#include <QIODevice>
#include <cerrno>
#include <cmath>

#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Targets.h"
#include "device/Firmware.h"
#include "device/HidLibrary.h"
#include "device/HidProbe.h"
#include "device/Link.h"
#include "device/RealTimePlatform.h"
#include "device/VirtualProgrammer.h"
#include "files/MemoryFile.h"
#include "files/SafeIo.h"
#include "view/Errors.h"

namespace cli {

namespace {
constexpr int kListedMismatches = 20;
}  // namespace

Session::Session(const Options& options, Streams& streams, const Backends& backends)
    : options_(options),
      streams_(streams),
      backends_(backends),
      display_(streams.err, streams.errIsTerminal, options.silencioso,
               [this](std::uint64_t address) { return addressText(address); }) {
    if (backends_.platform) {
        platform_ = backends_.platform;
    } else {
        ownPlatform_ = std::make_unique<RealTimePlatform>();
        platform_ = ownPlatform_.get();
    }
    startNs_ = platform_->nowNs();
}

Session::~Session() {
    closeProgrammer();
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
                                                     {options_.registro, "--registro"}};
    for (const auto& [path, option] : named)
        if (!path.isEmpty()) targets.outputs.push_back({path, QString::fromLatin1(option)});
    if (!options_.emulatedFile.isEmpty())
        targets.chip = Target{options_.emulatedFile, QStringLiteral("el chip emulado")};
    if (const auto why = refusal(targets, streams_)) fail(kUsoInvalido, *why);
}

void Session::refuseRead(const QString& path, int error) {
    const QString name = pathShown(path, QStringLiteral("la entrada estándar"));
    if (error == ENOENT) fail(kUsoInvalido, QStringLiteral("No existe el archivo %1").arg(name));
    fail(kUsoInvalido, QStringLiteral("No se puede leer %1: %2").arg(name, safe_io::reason(error)));
}

QByteArray Session::readInput(const QString& path) {
    const bool standard = path == QLatin1String("-");
    if (standard && streams_.inClosed) refuseRead(path, EBADF);
    if (standard && streams_.inIsTerminal && !options_.silencioso)
        say(QStringLiteral("Leyendo la entrada estándar; termine con Ctrl+D"));
    safe_io::Read read = standard ? readStream(streams_.in)
                                  : safe_io::readPath(path, safe_io::kMaxInputBytes, interrupted);
    const QString name = pathShown(path, QStringLiteral("la entrada estándar"));
    switch (read.end) {
        case safe_io::Read::End::Complete:
            return std::move(read.bytes);
        case safe_io::Read::End::Cancelled:
            fail(kInterrumpido, QStringLiteral("Interrumpido mientras se leía %1").arg(name));
        case safe_io::Read::End::TooLarge:
            fail(kUsoInvalido, capitalized(QStringLiteral("%1 pasa de 64 MiB: ninguna imagen de "
                                                          "memoria es tan grande")
                                               .arg(name)));
        case safe_io::Read::End::Failed:
            break;
    }
    refuseRead(path, read.error);
}

void Session::writeOutput(const QString& path, const QByteArray& bytes) {
    const bool standard = path == QLatin1String("-");
    const int error = standard ? writeStream(streams_.out, streams_.outClosed, bytes)
                               : safe_io::writePath(path, bytes, interrupted);
    if (error == 0) return;
    const QString name = pathShown(path, QStringLiteral("la salida estándar"));
    if (error == ECANCELED)
        fail(kInterrumpido, QStringLiteral("Interrumpido mientras se escribía %1").arg(name));
    fail(kUsoInvalido,
         QStringLiteral("No se puede escribir %1: %2").arg(name, safe_io::reason(error)));
}

FileFormat Session::outputFormatOf(const QString& path) {
    if (options_.formato) return *options_.formato;
    if (path == QLatin1String("-")) return FileFormat::Binary;
    if (const auto format = formatOfPath(path)) return *format;
    // A device or a FIFO takes the bytes as they are, as standard output does.
    if (const auto identity = safe_io::identityOf(path); identity && !identity->regular)
        return FileFormat::Binary;
    fail(
        kUsoInvalido,
        QStringLiteral(
            "No se sabe en qué formato escribir %1: indíquelo con --formato bin | hex | srec | mem")
            .arg(shown(path)));
}

void Session::prepareEmulation() {
    if (emulation_) return;
    if (backends_.emulated) {
        emulation_ = backends_.emulated;
    } else {
        auto emulation = std::make_unique<VirtualProgrammer>(*platform_);
        emulation->setRecording(false);
        // Paced like the real link, one report per 1 ms USB frame.
        emulation->setFullSpeedFrames(!options_.sinPausa);
        emulation_ = emulation.get();
        ownHid_ = std::move(emulation);
    }
    const auto socket = static_cast<Chip>(type().tipo);
    // The chip of the chosen type is the one in the socket.
    emulation_->firmware().insert(socket);
    if (options_.emulatedFile.isEmpty()) return;
    if (const auto refusal = chipFile_.open(options_.emulatedFile, emulation_->firmware(), socket,
                                            QString::fromLatin1(type().caption)))
        fail(refusal->exitCode, refusal->message);
}

std::unique_ptr<HidProbe> Session::probe() {
    if (!options_.emulated) return backends_.probe();
    prepareEmulation();
    return makeVirtualProbe(*emulation_);
}

std::int64_t Session::nowNs() const {
    return platform_->nowNs();
}

chip::Access& Session::open() {
    programmer_ = std::make_unique<Programmer>(*platform_, type().tipo);
    if (options_.emulated) {
        prepareEmulation();
        hid_ = emulation_;
    } else {
        ownHid_ = backends_.real(programmer_->teller());
        hid_ = ownHid_.get();
    }
    if (const auto refusal = programmer_->open(*hid_)) fail(kSinProgramador, *refusal);
    return programmer_->access();
}

chip::Step Session::at(std::uint32_t address) {
    QCoreApplication::processEvents();
    display_.at(address, platform_->nowNs());
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
    switch (outcome.end) {
        case chip::Outcome::End::Completed:
            display_.complete(platform_->nowNs());
            return;
        case chip::Outcome::End::Interrupted:
            display_.finish(Progress::Outcome::Interrupted, platform_->nowNs());
            fail(kInterrumpido,
                 QStringLiteral("Interrumpido en la dirección %1").arg(addressText(outcome.at)));
        case chip::Outcome::End::Lost:
        case chip::Outcome::End::Stopped:
            break;
    }
    display_.finish(Progress::Outcome::DeviceLost, platform_->nowNs());
    const QString lost =
        QStringLiteral("Revise Conexion USB: el programador no respondió en la dirección %1")
            .arg(addressText(outcome.at));
    haltTold_ = programmer_->link().halted();
    fail(kSinProgramador, haltTold_ ? lost + u'\n' + kQuedoAMitad : lost);
}

std::function<void(std::uint32_t, std::uint8_t)> Session::comparing(
    std::function<std::uint8_t(std::uint32_t)> wanted) {
    return [this, wanted = std::move(wanted)](std::uint32_t address, std::uint8_t byte) {
        compared_.push_back({address, byte, wanted(address)});
    };
}

int Session::reportMismatches(const std::vector<chip::Mismatch>& mismatches,
                              const QString& wantedName) {
    differences_ = mismatches.size();
    QStringList lines;
    for (const chip::Mismatch& m : mismatches)
        lines << QStringLiteral("%1: chip %2, %3 %4")
                     .arg(addressText(m.address), hexByte(m.chip), wantedName, hexByte(m.wanted));
    if (!options_.diferencias.isEmpty())
        writeOutput(options_.diferencias,
                    lines.isEmpty() ? QByteArray() : (lines.join(u'\n') + u'\n').toUtf8());
    if (mismatches.empty()) return kCorrecto;
    for (const QString& line : lines.mid(0, kListedMismatches)) say(line);
    say(QStringLiteral("%1 diferencias en total").arg(mismatches.size()));
    if (const auto why =
            chip::diagnose(compared_, type().tipo >= kTipoProm512, QStringLiteral("0x")))
        say(*why);
    return kDifiere;
}

void Session::setImageCrc(const image::Bytes& bytes, std::uint32_t first, std::uint32_t last) {
    crc_ = image::crc32(image::Bytes(bytes.begin() + first, bytes.begin() + last + 1));
}

QString Session::resultName(int exitCode) const {
    switch (exitCode) {
        case kCorrecto:
            // Correct only when every byte was proven by a read.
            return unverified_ ? QStringLiteral("sin verificar") : QStringLiteral("correcto");
        case kDifiere:
            return QStringLiteral("difiere");
        case kSinProgramador:
            return QStringLiteral("sin programador");
        case kInterrumpido:
            return QStringLiteral("interrumpido");
        default:
            break;
    }
    return QStringLiteral("no válido");
}

QString Session::recordLine(const QString& order, int exitCode, double seconds) const {
    const QString crc =
        crc_ ? QStringLiteral("%1").arg(*crc_, 8, 16, QLatin1Char('0')).toUpper() : QString();
    const auto plain = [this](std::uint32_t address) { return addressText(address).mid(2); };
    return QStringList{QDateTime::currentDateTime().toString(Qt::ISODate),
                       QString::fromLatin1(type().caption),
                       order,
                       plain(first()) + u'-' + plain(last()),
                       crc,
                       resultName(exitCode),
                       QString::number(differences_),
                       QString::number(seconds, 'f', 3)}
        .join(u',');
}

int Session::finish(const Command& command, int exitCode, double seconds) {
    closeProgrammer();
    // The cancel run or the exit run may fail too, and leave it waiting.
    if (programmer_ && programmer_->link().halted() && !haltTold_) {
        say(kQuedoAMitad);
        if (exitCode == kCorrecto) exitCode = kSinProgramador;
    }
    if (const auto failure = chipFile_.close()) {
        say(*failure);
        if (exitCode == kCorrecto) exitCode = kUsoInvalido;
    }
    if (record_.isOpen())
        if (const auto failure =
                record_.append(recordLine(command.name(), exitCode, seconds), interrupted)) {
            say(*failure);
            if (exitCode == kCorrecto) exitCode = interrupted() ? kInterrumpido : kUsoInvalido;
        }
    if (exitCode == kCorrecto && !options_.silencioso && !verdict_.isEmpty()) say(verdict_);
    return exitCode;
}

QString Session::addressText(std::uint64_t address) const {
    return hexAddress(address, type().maxdir);
}

}  // namespace cli
