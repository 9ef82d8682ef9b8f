// What the session reports of a chip: its differences, with why it differs,
// and its line of the record.
#include <pwd.h>
#include <unistd.h>

#include <QDateTime>
#include <QSysInfo>

#include "chip/Diagnosis.h"
#include "chip/Version.h"
#include "cli/Messages.h"
#include "cli/Session.h"
#include "device/MemoryTypes.h"
#include "image/ImageFormats.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
constexpr int kListedMismatches = 20;
}  // namespace

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
    if (!mismatches.empty()) {
        firstDifference_ = lines.constFirst();
        for (const QString& line : lines.mid(0, kListedMismatches)) say(line);
        say(QStringLiteral("%1 en total")
                .arg(counted(mismatches.size(), "diferencia", "diferencias")));
        if (const auto why =
                chip::diagnose(compared_, type().tipo >= kTipoProm512, QStringLiteral("0x"),
                               type().tipo == kTipoEeprom)) {
            diagnosis_ = *why;
            say(*why);
        }
    }
    // The list is told first: a file that cannot be written loses nothing
    // of it, and a chip that differs keeps its exit code.
    const int code = mismatches.empty() ? kCorrecto : kDifiere;
    if (!options_.diferencias.isEmpty())
        if (const int error = writeOutputFile(
                options_.diferencias,
                lines.isEmpty() ? QByteArray() : (lines.join(u'\n') + u'\n').toUtf8())) {
            say(QStringLiteral("No se puede escribir %1: %2")
                    .arg(pathShown(options_.diferencias, QStringLiteral("la salida estándar")),
                         safe_io::reason(error)));
            if (code == kCorrecto) throw Exit{kUsoInvalido};
        }
    return code;
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
        case kInterrumpido:
            return QStringLiteral("interrumpido");
        case kSinMemoria:
            return QStringLiteral("no responde");
        default:
            break;
    }
    return QStringLiteral("error");
}

namespace {
// The names the first eight columns gave results that were no chip's.
QString oldResultName(int exitCode, const QString& result) {
    if (exitCode == kSinProgramador) return QStringLiteral("sin programador");
    if (result == QLatin1String("error")) return QStringLiteral("no válido");
    return result;
}

QString operatorName(const QString& given) {
    if (!given.isEmpty()) return given;
    // The reentrant call: the workers of a gang end at the same moment.
    passwd entry{};
    passwd* user = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &user) == 0 && user)
        return QString::fromLocal8Bit(user->pw_name);
    return qEnvironmentVariable("USER");
}

QString yesNo(bool value) {
    return value ? QStringLiteral("si") : QStringLiteral("no");
}
}  // namespace

RecordEntry Session::recordEntry(const QString& order, int exitCode, double seconds) const {
    const auto plain = [this](std::uint32_t address) { return addressText(address).mid(2); };
    RecordEntry e;
    // To the millisecond and with its offset: two chips of a gang never
    // share a time, and a record read elsewhere still tells the hour.
    const QDateTime ended = ended_.isValid() ? ended_ : QDateTime::currentDateTime();
    e.fecha = ended.toOffsetFromUtc(ended.offsetFromUtc()).toString(Qt::ISODateWithMs);
    e.tipo = QString::fromLatin1(type().caption);
    e.orden = order;
    e.rango = plain(first()) + u'-' + plain(last());
    e.crc32 = crc_ ? QStringLiteral("%1").arg(*crc_, 8, 16, QLatin1Char('0')).toUpper() : QString();
    e.resultado = resultName(exitCode);
    e.resultadoAntiguo = oldResultName(exitCode, e.resultado);
    e.diferencias = QString::number(differences_);
    e.segundos = QString::number(seconds, 'f', 3);
    e.lote = context_.lote;
    if (context_.secuencia > 0) e.secuencia = QString::number(context_.secuencia);
    if (context_.serial) e.serie = QString::number(*context_.serial);
    e.operario = operatorName(options_.operario);
    e.equipo = QSysInfo::machineHostName();
    e.version = programVersion();
    e.programador = station_.name();
    e.imagen = imageName_;
    e.modo = options_.rapida ? QStringLiteral("rapida") : QStringLiteral("completa");
    e.verificacion = yesNo(options_.verificar);
    e.reintentos = QString::number(retriesUsed_);
    if (checked_) e.comprobacion = yesNo(*checked_);
    e.primeraDiferencia = firstDifference_;
    e.diagnostico = diagnosis_;
    e.trabajo = options_.sello;
    return e;
}

}  // namespace cli
