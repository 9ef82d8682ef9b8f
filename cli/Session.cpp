#include "cli/Session.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QTextStream>
#include <cmath>

#include "cli/Messages.h"
#include "device/CommandSet.h"
#include "device/Firmware.h"
#include "device/HidLibrary.h"
#include "device/HidProbe.h"
#include "device/Link.h"
#include "device/RealTimePlatform.h"
#include "device/VirtualProgrammer.h"
#include "files/MemoryFile.h"
#include "view/Errors.h"

namespace cli {

namespace {
constexpr int kListedMismatches = 20;
constexpr int kDeciles = 10;
const QString kRegistroCabecera =
    QStringLiteral("fecha,tipo,orden,rango,crc32,resultado,diferencias,segundos\n");

// Hands the library's plug and unplug notifications to the link.
class PresenceHook : public QObject {
  public:
    PresenceHook(ApplicationWindow& window, Link& link) : window_(window), link_(link) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == DeviceNotificationEvent::kType)
            return link_.notificacion(static_cast<DeviceNotificationEvent*>(event)->message());
        return false;
    }

  private:
    ApplicationWindow& window_;
    Link& link_;
};

QString resultName(int exitCode) {
    switch (exitCode) {
        case kCorrecto:
            return QStringLiteral("correcto");
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
}  // namespace

Session::Session(const Options& options, Streams& streams, const Backends& backends)
    : options_(options), streams_(streams), backends_(backends) {
    if (backends_.platform) {
        platform_ = backends_.platform;
    } else {
        ownPlatform_ = std::make_unique<RealTimePlatform>();
        platform_ = ownPlatform_.get();
    }
    connect(&progress_, &Progress::changed, this, &Session::showProgress);
}

Session::~Session() {
    if (opened_) {
        // Whatever happened to the operation, the exit run goes out.
        link_->endOperation();
        comandos_->exitRun();
        applicationWindow_.UnhookMainWindow(hook_.get());
    }
    if (emulation_ && !options_.emulatedFile.isEmpty()) saveEmulatedChip();
}

const MemoryType& Session::type() const {
    return memoryType(options_.tipo.value_or(kTipoInicial));
}

void Session::say(const QString& line) {
    endProgressLine();
    streams_.err.write((line + u'\n').toUtf8());
}

void Session::print(const QString& line) {
    streams_.out.write((line + u'\n').toUtf8());
}

void Session::fail(int code, const QString& message) {
    say(message);
    throw Exit{code};
}

QByteArray Session::readInput(const QString& path) {
    if (path == QLatin1String("-")) return streams_.in.readAll();
    try {
        return memory_file::readBytes(path);
    } catch (const IoError& error) {
        fail(kUsoInvalido, error.text());
    }
}

void Session::writeOutput(const QString& path, const QByteArray& bytes) {
    if (path == QLatin1String("-")) {
        streams_.out.write(bytes);
        return;
    }
    try {
        memory_file::write(path, bytes);
    } catch (const IoError& error) {
        fail(kUsoInvalido, error.text());
    }
}

FileFormat Session::formatOf(const QString& path) {
    if (options_.formato) return *options_.formato;
    if (path == QLatin1String("-")) return FileFormat::Binary;
    if (const auto format = formatOfPath(path)) return *format;
    fail(kUsoInvalido,
         QStringLiteral(
             "No se sabe el formato de %1: indíquelo con --formato bin | hex | srec | mem")
             .arg(path));
}

image::Bytes Session::loadImageFile(const QString& path) {
    const FileFormat format = formatOf(path);
    LoadedImage loaded = loadImage(readInput(path), format, memorySize(), first());
    if (loaded.fault)
        fail(kUsoInvalido, QStringLiteral("No se puede usar %1:\n%2")
                               .arg(path == QLatin1String("-") ? QStringLiteral("la entrada")
                                                               : memory_file::nameOf(path),
                                    *loaded.fault));
    return std::move(loaded.bytes);
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
    loadEmulatedChip();
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
    if (options_.emulated) {
        prepareEmulation();
        hid_ = emulation_;
    } else {
        ownHid_ = backends_.real([this](const QString& text) { permissionText_ = text; });
        hid_ = ownHid_.get();
    }
    link_ = std::make_unique<Link>(*hid_);
    comandos_ = std::make_unique<CommandSet>(*link_, *platform_);
    comandos_->select(type().tipo);
    access_ = std::make_unique<chip::Access>(*comandos_, *link_);
    hook_ = std::make_unique<PresenceHook>(applicationWindow_, *link_);
    applicationWindow_.HookMainWindow(hook_.get());
    hid_->Connect(&applicationWindow_);
    // The notifications of what is attached, then what they queued (a
    // refused open).
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    if (!permissionText_.isEmpty()) fail(kSinProgramador, permissionText_);
    if (link_->desconectado()) fail(kSinProgramador, kNoHayProgramador);
    comandos_->startRun();
    opened_ = true;
    link_->beginOperation();
    return *access_;
}

chip::Step Session::at(std::uint32_t address) {
    QCoreApplication::processEvents();
    progress_.at(address, platform_->nowNs());
    if (!streams_.errIsTerminal) logProgress();
    if (link_->desconectado() || link_->interrupted()) return chip::Step::Lost;
    if (InterruptGuard::requested()) return chip::Step::Cancel;
    return chip::Step::Continue;
}

std::function<chip::Step(std::uint32_t)> Session::atHook() {
    return [this](std::uint32_t address) { return at(address); };
}

void Session::startProgress(std::vector<Progress::Pass> passes) {
    shownDecile_ = -1;
    progress_.start(std::move(passes), platform_->nowNs());
}

void Session::nextPass() {
    progress_.nextPass(platform_->nowNs());
}

void Session::conclude(const chip::Outcome& outcome) {
    switch (outcome.end) {
        case chip::Outcome::End::Completed:
            // A verify pass may follow: the operation ends with its last pass.
            if (!progress_.onLastPass()) return;
            progress_.finish(Progress::Outcome::Completed, platform_->nowNs());
            if (streams_.errIsTerminal)
                showProgress();
            else
                logProgress();
            endProgressLine();
            return;
        case chip::Outcome::End::Interrupted:
            progress_.finish(Progress::Outcome::Interrupted, platform_->nowNs());
            fail(kInterrumpido,
                 QStringLiteral("Interrumpido en la dirección %1").arg(addressText(outcome.at)));
        case chip::Outcome::End::Lost:
        case chip::Outcome::End::Stopped:
            break;
    }
    progress_.finish(Progress::Outcome::DeviceLost, platform_->nowNs());
    fail(kSinProgramador,
         QStringLiteral("Revise Conexion USB: el programador no respondió en la dirección %1")
             .arg(addressText(outcome.at)));
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
                     .arg(addressText(m.address),
                          QStringLiteral("%1").arg(m.chip, 2, 16, QLatin1Char('0')).toUpper(),
                          wantedName,
                          QStringLiteral("%1").arg(m.wanted, 2, 16, QLatin1Char('0')).toUpper());
    if (!options_.diferencias.isEmpty())
        writeOutput(options_.diferencias,
                    lines.isEmpty() ? QByteArray() : (lines.join(u'\n') + u'\n').toUtf8());
    if (mismatches.empty()) return kCorrecto;
    for (const QString& line : lines.mid(0, kListedMismatches)) say(line);
    say(QStringLiteral("%1 diferencias en total").arg(mismatches.size()));
    if (const auto why = chip::diagnose(compared_, type().tipo >= kTipoProm512)) say(*why);
    return kDifiere;
}

void Session::setImageCrc(const image::Bytes& bytes, std::uint32_t first, std::uint32_t last) {
    crc_ = image::crc32(image::Bytes(bytes.begin() + first, bytes.begin() + last + 1));
}

void Session::record(const QString& order, int exitCode, double seconds) {
    if (options_.registro.isEmpty()) return;
    QFile file(options_.registro);
    const bool fresh = !file.exists() || QFileInfo(file).size() == 0;
    if (!file.open(QIODevice::Append)) {
        say(QStringLiteral("No se puede escribir el registro %1: %2")
                .arg(options_.registro, file.errorString()));
        return;
    }
    if (fresh) file.write(kRegistroCabecera.toUtf8());
    const QString crc =
        crc_ ? QStringLiteral("%1").arg(*crc_, 8, 16, QLatin1Char('0')).toUpper() : QString();
    const QString line = QStringList{QDateTime::currentDateTime().toString(Qt::ISODate),
                                     QString::fromLatin1(type().caption),
                                     order,
                                     addressText(first()) + u'-' + addressText(last()),
                                     crc,
                                     resultName(exitCode),
                                     QString::number(differences_),
                                     QString::number(seconds, 'f', 3)}
                             .join(u',');
    file.write((line + u'\n').toUtf8());
}

QString Session::addressText(std::uint32_t address) const {
    const int digits = type().maxdir > 0xFFFF ? 5 : 4;
    return QStringLiteral("%1").arg(address, digits, 16, QLatin1Char('0')).toUpper();
}

QString Session::progressPlace() const {
    return QStringLiteral("%1 dirección %2")
        .arg(activityName(progress_.activity()),
             addressText(static_cast<std::uint32_t>(progress_.current())));
}

int Session::progressPercent() const {
    return static_cast<int>(std::floor(progress_.fraction() * 100));
}

void Session::logProgress() {
    // A log gets a plain line every tenth of the way, and no carriage return.
    if (options_.silencioso) return;
    const int percent = progressPercent();
    if (percent / kDeciles <= shownDecile_) return;
    shownDecile_ = percent / kDeciles;
    streams_.err.write(QStringLiteral("%1: %2 %\n").arg(progressPlace()).arg(percent).toUtf8());
}

void Session::showProgress() {
    // On a terminal, one line rewritten in place about ten times a second.
    if (options_.silencioso || !progress_.shown() || !streams_.errIsTerminal) return;
    const int percent = progressPercent();
    const QString where = progressPlace();
    const auto remaining = progress_.remainingNs();
    const QString line = QStringLiteral("%1  %2 %  %3  quedan %4")
                             .arg(where)
                             .arg(percent, 3)
                             .arg(formatDuration(progress_.elapsedNs()),
                                  remaining             ? formatDuration(*remaining)
                                  : progress_.running() ? QStringLiteral("--:--")
                                                        : formatDuration(0));
    streams_.err.write((u'\r' + line.leftJustified(72) + u' ').toUtf8());
    lineOpen_ = true;
}

void Session::endProgressLine() {
    if (!lineOpen_) return;
    streams_.err.write("\n");
    lineOpen_ = false;
}

void Session::loadEmulatedChip() {
    Firmware& firmware = emulation_->firmware();
    const auto socket = static_cast<Chip>(type().tipo);
    // The chip of the chosen type is the one in the socket.
    firmware.insert(socket);
    if (options_.emulatedFile.isEmpty() || !QFileInfo::exists(options_.emulatedFile)) return;
    const QByteArray bytes = readInput(options_.emulatedFile);
    const std::size_t size = Firmware::chipSize(socket);
    // Another type's chip: it stays as it is.
    if (static_cast<std::size_t>(bytes.size()) != size) {
        emulation_ = nullptr;
        fail(kUsoInvalido, QStringLiteral("El chip emulado %1 tiene %2 bytes y %3 tiene %4")
                               .arg(options_.emulatedFile)
                               .arg(bytes.size())
                               .arg(QString::fromLatin1(type().caption))
                               .arg(size));
    }
    for (std::size_t a = 0; a < size; ++a)
        firmware.poke(socket, static_cast<std::uint32_t>(a), static_cast<std::uint8_t>(bytes[a]));
}

void Session::saveEmulatedChip() {
    const auto socket = static_cast<Chip>(type().tipo);
    QByteArray bytes(static_cast<qsizetype>(Firmware::chipSize(socket)), '\0');
    for (qsizetype a = 0; a < bytes.size(); ++a)
        bytes[a] =
            static_cast<char>(emulation_->firmware().peek(socket, static_cast<std::uint32_t>(a)));
    try {
        memory_file::write(options_.emulatedFile, bytes);
    } catch (const IoError& error) {
        say(error.text());
    }
}

}  // namespace cli
