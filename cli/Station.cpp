#include "cli/Station.h"

#include <QFileInfo>

#include "cli/Messages.h"
#include "device/EmulatedFaults.h"
#include "device/ExclusiveLock.h"
#include "device/Firmware.h"
#include "device/HidProbe.h"
#include "device/RealTimePlatform.h"
#include "device/VirtualProgrammer.h"

namespace cli {

namespace {
constexpr int kUsoInvalido = 2;
constexpr int kSinProgramador = 3;
constexpr double kLooseContactShare = 0.002;

QString emulatedSerial(int index) {
    return QStringLiteral("VIRTUAL-%1").arg(index);
}

QString listed(const std::vector<FoundProgrammer>& found) {
    QStringList lines;
    for (const FoundProgrammer& programmer : found) lines << describeProgrammer(programmer);
    return lines.join(u'\n');
}
}  // namespace

Station::Station(FoundProgrammer found, const Options& options, const Backends& backends)
    : found_(std::move(found)), options_(options), backends_(backends) {
    if (backends_.platform) {
        platform_ = backends_.platform;
    } else {
        ownPlatform_ = std::make_unique<RealTimePlatform>();
        platform_ = ownPlatform_.get();
    }
    if (!options_.emulated) return;
    index_ = found_.serial.mid(QStringLiteral("VIRTUAL-").size()).toInt();
    if (index_ >= 1 && index_ <= options_.emulatedFiles.size())
        chipFile_ = options_.emulatedFiles.at(index_ - 1);
}

Station::~Station() = default;

HidLibrary& Station::library() {
    if (library_) return *library_;
    if (options_.emulated) {
        library_ = &emulation();
    } else {
        ownLibrary_ = backends_.real(
            [this](const QString& text) {
                if (tell_) tell_(text);
            },
            found_.path);
        library_ = ownLibrary_.get();
    }
    return *library_;
}

VirtualProgrammer& Station::emulation() {
    if (emulation_) return *emulation_;
    if (backends_.emulated && index_ == 1) {
        emulation_ = backends_.emulated;
    } else {
        auto emulation = std::make_unique<VirtualProgrammer>(*platform_);
        emulation->setRecording(false);
        // Paced like the real link, one report per 1 ms USB frame.
        emulation->setFullSpeedFrames(!options_.sinPausa);
        emulation_ = emulation.get();
        ownLibrary_ = std::move(emulation);
    }
    applyFaults(*emulation_);
    return *emulation_;
}

void Station::freshChip() {
    emulation().firmware() = Firmware();
    applyFaults(emulation());
}

void Station::applyFaults(VirtualProgrammer& emulation) const {
    for (const EmulatedFault& fault : options_.emulatedFaults) {
        if (fault.programmer != index_) continue;
        switch (fault.kind) {
            case EmulatedFault::Kind::Inestable:
                emulation.firmware().setLooseContact(kLooseContactShare,
                                                     static_cast<unsigned>(index_));
                break;
            case EmulatedFault::Kind::Desconecta:
                emulation.unplugAtReport(fault.atReport);
                break;
            case EmulatedFault::Kind::Mudo:
                emulation.setNoAnswer(true);
                break;
            case EmulatedFault::Kind::Chip:
                applyChipFault(emulation.firmware(), fault.chip, static_cast<unsigned>(index_));
                break;
        }
    }
}

std::unique_ptr<HidProbe> Station::probe() {
    if (options_.emulated) return makeVirtualProbe(emulation());
    return backends_.probe(found_.path);
}

std::vector<FoundProgrammer> Station::programmers() const {
    return programmersFor(options_, backends_);
}

std::vector<FoundProgrammer> programmersFor(const Options& options, const Backends& backends) {
    std::vector<FoundProgrammer> found;
    if (!options.emulated) return backends.list ? backends.list() : found;
    const int count = std::max<int>(1, static_cast<int>(options.emulatedFiles.size()));
    for (int index = 1; index <= count; ++index) {
        FoundProgrammer programmer;
        programmer.serial = emulatedSerial(index);
        programmer.path = index <= options.emulatedFiles.size()
                              ? options.emulatedFiles.at(index - 1)
                              : QStringLiteral("emulado");
        programmer.opens = true;
        if (index <= options.emulatedFiles.size())
            if (const auto holder = lockHolderOf(programmer.path))
                programmer.holder =
                    holder->name.isEmpty()
                        ? QStringLiteral("pid %1").arg(holder->pid)
                        : QStringLiteral("pid %1, %2").arg(holder->pid).arg(holder->name);
        found.push_back(programmer);
    }
    return found;
}

QString describeProgrammer(const FoundProgrammer& p) {
    const bool emulated = p.serial.startsWith(QLatin1String("VIRTUAL-"));
    const QString where = emulated ? (p.path == QLatin1String("emulado")
                                          ? QStringLiteral("emulado")
                                          : QStringLiteral("emulado en %1").arg(shown(p.path)))
                                   : shown(p.path);
    QStringList fields{where};
    if (!emulated) {
        fields << (p.port.isEmpty() ? QStringLiteral("puerto desconocido")
                                    : QStringLiteral("puerto %1").arg(shown(p.port)));
        fields << (p.serial.isEmpty() ? QStringLiteral("sin número de serie")
                                      : QStringLiteral("serie %1").arg(shown(p.serial)));
    } else {
        fields.prepend(p.serial);
    }
    fields << (p.opens ? QStringLiteral("se abre") : QStringLiteral("no se abre (%1)").arg(p.why));
    fields << (!p.lockProblem.isEmpty()
                   ? QStringLiteral("sin bloqueo posible: %1").arg(shown(p.lockProblem))
               : p.holder.isEmpty()
                   ? QStringLiteral("libre")
                   : QStringLiteral("en uso por otro programa (%1)").arg(shown(p.holder)));
    return QStringLiteral("  ") + fields.join(QStringLiteral("  "));
}

Choice chooseProgrammers(const Options& options, const std::vector<FoundProgrammer>& found) {
    Choice choice;
    if (!options.dispositivo.isEmpty()) {
        // An emulated chip file may be named as the user likes: ./v2.bin is v2.bin.
        const auto sameFile = [&](const FoundProgrammer& programmer) {
            return options.emulated && QFileInfo(programmer.path).absoluteFilePath() ==
                                           QFileInfo(options.dispositivo).absoluteFilePath();
        };
        for (const FoundProgrammer& programmer : found)
            if (programmer.matches(options.dispositivo) || sameFile(programmer))
                choice.chosen.push_back(programmer);
        if (choice.chosen.size() > 1) {
            choice.refusalCode = kUsoInvalido;
            choice.refusal = QStringLiteral(
                                 "-d %1 nombra a %2 programadores; elija uno por su "
                                 "ruta hidraw:\n")
                                 .arg(shown(options.dispositivo))
                                 .arg(choice.chosen.size()) +
                             listed(choice.chosen);
            choice.chosen.clear();
            return choice;
        }
        if (choice.chosen.empty()) {
            choice.refusalCode = kSinProgramador;
            choice.refusal = QStringLiteral(
                                 "No se encontró el programador %1 (-d: número de "
                                 "serie, ruta hidraw o puerto USB).")
                                 .arg(shown(options.dispositivo));
            if (!found.empty())
                choice.refusal += QStringLiteral(" Programadores conectados:\n") + listed(found);
        }
        return choice;
    }
    if (options.todos || found.size() == 1) {
        choice.chosen = found;
        if (found.empty()) {
            choice.refusalCode = kSinProgramador;
            choice.refusal = kNoHayProgramador;
        }
        return choice;
    }
    if (found.empty()) {
        // The library looks for itself, and says what it finds.
        choice.chosen.push_back(FoundProgrammer{});
        return choice;
    }
    choice.refusalCode = kUsoInvalido;
    choice.refusal = QStringLiteral(
                         "Hay %1 programadores conectados: elija uno con -d (número de "
                         "serie, ruta hidraw o puerto USB) o use --todos:\n")
                         .arg(found.size()) +
                     listed(found);
    return choice;
}

}  // namespace cli
