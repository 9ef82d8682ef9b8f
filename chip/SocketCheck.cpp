#include "chip/SocketCheck.h"

#include <QStringList>
#include <algorithm>
#include <vector>

#include "device/MemoryTypes.h"

namespace chip {

namespace {
// 32 addresses read twice keep the check under a third of a second of wire
// time on the slowest type.
constexpr std::uint32_t kSamples = 32;
constexpr std::uint8_t kBlank = 0xFF;
constexpr std::uint8_t kPatternA = 0x55;
constexpr std::uint8_t kPatternB = 0xAA;
constexpr std::uint8_t kBaseValue = 0xA5;
constexpr std::uint8_t kPartnerValue = 0x5A;
constexpr int kDataLines = 8;
// How many of the first written addresses are read to find one the 28c64
// operation changes.
constexpr int kEepromProbes = 16;

QString hexByte(std::uint8_t byte) {
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

int addressLines(std::uint8_t tipo) {
    int lines = 0;
    while ((std::uint64_t{1} << lines) <= memoryType(tipo).maxdir) ++lines;
    return lines;
}

class Check {
  public:
    Check(Access& chip, const SocketRequest& request) : chip_(chip), request_(request) {}

    SocketReport run() {
        if (!sampleTwice()) return report_;
        if (request_.writes && request_.tipo < kTipoEeprom) {
            if (dataLinesKeepPatterns()) addressLinesSwitch();
        } else if (request_.writes && request_.tipo == kTipoEeprom) {
            eepromTakesAWrite();
        } else if (!request_.writes && allBlank_) {
            cannotTell();
        }
        return report_;
    }

  private:
    // The access at an address, unless the caller stops there.
    bool go(std::uint32_t address) {
        const Step step = request_.at(address);
        if (step == Step::Continue && !chip_.lost()) return true;
        if (step == Step::Cancel) {
            chip_.cancel();
            report_.outcome = {Outcome::End::Interrupted, address};
        } else if (step == Step::Stop) {
            report_.outcome = {Outcome::End::Stopped, address};
        } else {
            report_.outcome = {Outcome::End::Lost, address};
        }
        return false;
    }
    std::optional<std::uint8_t> read(std::uint32_t address) {
        if (!go(address)) return std::nullopt;
        ++report_.reads;
        const std::uint8_t byte = chip_.read(address);
        if (chip_.lost()) {
            report_.outcome = {Outcome::End::Lost, address};
            return std::nullopt;
        }
        return byte;
    }
    bool write(std::uint32_t address, std::uint8_t byte) {
        if (!go(address)) return false;
        ++report_.writes;
        chip_.write(address, byte);
        if (!chip_.lost()) return true;
        report_.outcome = {Outcome::End::Lost, address};
        return false;
    }
    bool written(std::uint32_t address) const {
        return address >= request_.first && address <= request_.last &&
               (!request_.written || request_.written(address));
    }
    void refuse(SocketReport::Finding finding, const QString& text) {
        report_.verdict = SocketReport::Verdict::Refused;
        report_.finding = finding;
        report_.text = text;
    }
    QString at(std::uint32_t address) const { return request_.addressText(address); }

    std::vector<std::uint32_t> sample() const {
        const std::uint64_t span = std::uint64_t{request_.last} - request_.first + 1;
        std::vector<std::uint32_t> addresses;
        const std::uint64_t count = std::min<std::uint64_t>(span, kSamples);
        for (std::uint64_t i = 0; i < count; ++i)
            addresses.push_back(static_cast<std::uint32_t>(
                request_.first + (count == 1 ? 0 : i * (span - 1) / (count - 1))));
        return addresses;
    }

    // The second pass goes the other way, so that no address is read twice
    // in a row: a floating bus may hold the last byte it saw for a moment.
    bool sampleTwice() {
        const std::vector<std::uint32_t> addresses = sample();
        std::vector<std::uint8_t> first;
        for (const std::uint32_t address : addresses) {
            const auto byte = read(address);
            if (!byte) return false;
            first.push_back(*byte);
        }
        for (std::size_t i = addresses.size(); i-- > 0;) {
            const auto byte = read(addresses[i]);
            if (!byte) return false;
            if (*byte != first[i]) {
                refuse(SocketReport::Finding::Floating,
                       QStringLiteral("No hay memoria en el zócalo, o hace mal contacto: la "
                                      "dirección %1 dio %2 y luego %3")
                           .arg(at(addresses[i]), hexByte(first[i]), hexByte(*byte)));
                return false;
            }
        }
        allBlank_ = std::all_of(first.begin(), first.end(), [](auto b) { return b == kBlank; });
        return true;
    }

    void cannotTell() {
        report_.verdict = SocketReport::Verdict::CannotTell;
        report_.finding = SocketReport::Finding::AllFF;
        report_.text = request_.tipo < kTipoEeprom
                           ? QStringLiteral("Toda la muestra del zócalo lee FF: una RAM que guarda "
                                            "FF y un zócalo vacío con el bus a 1 no se distinguen "
                                            "sin escribir, y una lectura no escribe")
                           : QStringLiteral("Toda la muestra del zócalo lee FF: una memoria "
                                            "borrada y un zócalo vacío con el bus a 1 no se "
                                            "distinguen por sus bytes");
    }

    std::optional<std::uint32_t> firstWritten() const {
        for (std::uint64_t a = request_.first; a <= request_.last; ++a)
            if (written(static_cast<std::uint32_t>(a))) return static_cast<std::uint32_t>(a);
        return std::nullopt;
    }

    // 0x55 and 0xAA at the first written address: each data line must
    // take both values.
    bool dataLinesKeepPatterns() {
        const auto base = firstWritten();
        if (!base) return false;
        base_ = *base;
        std::optional<std::uint8_t> a, b;
        if (!write(base_, kPatternA) || !(a = read(base_))) return false;
        if (!write(base_, kPatternB) || !(b = read(base_))) return false;
        if (*a == kPatternA && *b == kPatternB) return true;
        const QString reads = QStringLiteral("en %1 se escribió %2 y %3 y se leyó %4 y %5")
                                  .arg(at(base_), hexByte(kPatternA), hexByte(kPatternB),
                                       hexByte(*a), hexByte(*b));
        const auto same = static_cast<std::uint8_t>(~(*a ^ *b));
        if (same == 0xFF || (*a != kPatternA && *b != kPatternB && same == 0)) {
            refuse(SocketReport::Finding::Absent,
                   QStringLiteral("La RAM no guarda lo que se escribe (%1): no hay memoria en el "
                                  "zócalo, hace mal contacto o no es del tipo elegido")
                       .arg(reads));
            return false;
        }
        QStringList lines;
        for (int bit = 0; bit < kDataLines; ++bit)
            if (same & (1u << bit))
                lines << QStringLiteral("D%1 vale siempre %2").arg(bit).arg((*a >> bit) & 1);
        refuse(SocketReport::Finding::StuckBit,
               QStringLiteral("Línea de datos fija: %1 (%2); revise esa patilla en el zócalo y "
                              "la memoria")
                   .arg(lines.join(QStringLiteral(", ")), reads));
        return false;
    }

    // Distinct values at base and base + 2^k: a line that does not switch
    // makes the second write land on the first. Every line is tried: a size
    // is named only when the first such line and all above it alias.
    void addressLinesSwitch() {
        const int lines = addressLines(request_.tipo);
        std::optional<int> first;
        std::uint32_t firstPartner = 0;
        bool allAbove = true;
        for (int line = 0; line < lines; ++line) {
            const std::uint64_t partner = std::uint64_t{base_} + (std::uint64_t{1} << line);
            if (partner > request_.last || !written(static_cast<std::uint32_t>(partner))) {
                if (first) allAbove = false;  // untried: the size is not known
                continue;
            }
            const auto value = static_cast<std::uint8_t>(kPartnerValue ^ line);
            if (!write(base_, kBaseValue) || !write(static_cast<std::uint32_t>(partner), value))
                return;
            const auto back = read(base_);
            if (!back) return;
            if (*back == kBaseValue) {
                if (first) allAbove = false;
                continue;
            }
            if (*back != value) {
                refuse(SocketReport::Finding::Absent,
                       QStringLiteral("La RAM no guarda lo que se escribe: en %1 se escribió %2 "
                                      "y se leyó %3; revise el contacto de la memoria")
                           .arg(at(base_), hexByte(kBaseValue), hexByte(*back)));
                return;
            }
            if (!first) {
                first = line;
                firstPartner = static_cast<std::uint32_t>(partner);
            }
        }
        if (!first) return;
        QString text = QStringLiteral("La línea de dirección A%1 no cambia nada: escribir en %2 "
                                      "cambió %3")
                           .arg(*first)
                           .arg(at(firstPartner), at(base_));
        text += allAbove ? QStringLiteral(". La memoria responde como una de %1 bytes "
                                          "(¿memoria de menos capacidad que el tipo elegido, o "
                                          "A%2 sin conectar?); revise el tipo y esa patilla")
                               .arg(std::uint64_t{1} << *first)
                               .arg(*first)
                         : QStringLiteral(" (¿A%1 sin conectar o pegada?); revise esa patilla en "
                                          "el zócalo y la memoria")
                               .arg(*first);
        refuse(SocketReport::Finding::Smaller, text);
    }

    // The first byte the operation changes, written and read back after
    // its write cycle: a part that kept the old byte takes no writes.
    void eepromTakesAWrite() {
        if (!request_.wanted) return;
        int probes = 0;
        for (std::uint64_t a = request_.first; a <= request_.last && probes < kEepromProbes; ++a) {
            const auto address = static_cast<std::uint32_t>(a);
            if (!written(address)) continue;
            const auto wanted = request_.wanted(address);
            if (!wanted) return;
            ++probes;
            const auto old = read(address);
            if (!old) return;
            if (*old == *wanted) continue;
            if (!write(address, *wanted)) return;
            const auto back = read(address);
            if (!back || *back != *old) return;
            const QString what = QStringLiteral("en %1 se escribió %2 y siguió valiendo %3")
                                     .arg(at(address), hexByte(*wanted), hexByte(*old));
            refuse(SocketReport::Finding::Protected,
                   *old == kBlank && allBlank_
                       ? QStringLiteral("La EEPROM no guardó el byte escrito (%1): puede que no "
                                        "haya memoria en el zócalo (el bus lee FF), o %2")
                             .arg(what, kEepromProtegida)
                       : QStringLiteral("La EEPROM no guardó el byte escrito (%1): %2")
                             .arg(what, kEepromProtegida));
            return;
        }
    }

    Access& chip_;
    const SocketRequest& request_;
    SocketReport report_;
    bool allBlank_ = false;
    std::uint32_t base_ = 0;
};
}  // namespace

double SocketReport::wireMs(std::uint8_t tipo) const {
    const MemoryType& type = memoryType(tipo);
    const int reports = type.threeAddressBytes ? 5 : 4;
    return double(reads) * reports + double(writes) * (reports + type.pauseAfterWriteMs);
}

SocketReport checkSocket(Access& chip, const SocketRequest& request) {
    return Check(chip, request).run();
}

}  // namespace chip
