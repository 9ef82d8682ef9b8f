#include "engine/Settings.h"

#include <QCryptographicHash>
#include <QStringList>

#include "device/MemoryTypes.h"
#include "image/Parse.h"
#include "image/Texts.h"

namespace engine {

namespace {
const QString kSi = QStringLiteral("si");
const QString kNo = QStringLiteral("no");
constexpr std::uint32_t kMostRetries = 255;

// A key's text through a parser; its refusal with the key in front.
template <typename T>
std::optional<image::Refusal> take(const job::Job& job, const char* key,
                                   image::Result<T> (*parse)(const QString&), T& into,
                                   QSet<QString>& keys) {
    const auto text = job.value(QLatin1String(key));
    if (!text) return std::nullopt;
    const auto value = parse(*text);
    if (const auto* refusal = image::refusalOf(value)) {
        image::Refusal named = *refusal;
        named.text = QLatin1String(key) + QStringLiteral(": ") + refusal->text;
        return named;
    }
    into = std::get<T>(value);
    keys.insert(QLatin1String(key));
    return std::nullopt;
}

image::Result<std::uint8_t> typeOf(const QString& text) {
    if (const auto tipo = memoryTypeNamed(text)) return *tipo;
    return image::refused(QStringLiteral("%1 no es un tipo de memoria (sram24, sram28, 28c64, "
                                         "27c512 o 27c010)")
                              .arg(shownText(text)));
}

image::Result<bool> yesOf(const QString& text) {
    return text == kSi;
}

image::Result<QString> textOf(const QString& text) {
    return text;
}

image::Result<std::pair<std::uint32_t, std::uint32_t>> rangeOf(const QString& text) {
    const QStringList ends = text.split(u'-');
    const auto refusal =
        image::refused(QStringLiteral("debe ser DESDE-HASTA, por ejemplo 0x0000-0x0FFF, no %1")
                           .arg(shownText(text)));
    if (ends.size() != 2) return refusal;
    const auto first = image::parseNumber(ends[0].trimmed());
    const auto last = image::parseNumber(ends[1].trimmed());
    if (image::refusalOf(first) || image::refusalOf(last)) return refusal;
    return std::pair{std::get<std::uint32_t>(first), std::get<std::uint32_t>(last)};
}

image::Result<std::int32_t> retriesOf(const QString& text) {
    const auto value = image::parseNumber(text);
    if (const auto* refusal = image::refusalOf(value)) return *refusal;
    return std::int32_t(std::min(std::get<std::uint32_t>(value), kMostRetries));
}

template <typename T>
image::Result<std::optional<T>> optionalOf(image::Result<T> value) {
    if (const auto* refusal = image::refusalOf(value)) return *refusal;
    return std::optional<T>(std::get<T>(value));
}

QString hexText(std::uint32_t value, std::uint32_t maxdir) {
    const int digits = maxdir > 0xFFFF ? 5 : 4;
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}
}  // namespace

image::Result<JobSettings> settingsOf(const job::Job& job) {
    JobSettings out;
    Settings& s = out.settings;
    QSet<QString>& keys = out.keys;
    std::optional<image::Refusal> refusal;
    const auto first = [&](std::optional<image::Refusal> r) {
        if (!refusal && r) refusal = r;
    };
    std::uint8_t tipo = 0;
    first(take(job, "tipo", typeOf, tipo, keys));
    if (keys.contains(QStringLiteral("tipo"))) s.tipo = tipo;
    first(take(job, "imagen", textOf, s.imagen, keys));
    first(take<std::optional<image::Format>>(
        job, "formato", [](const QString& t) { return optionalOf(image::parseFormat(t)); },
        s.formato, keys));
    first(take(job, "desplazamiento", image::parseOffset, s.desplazamiento, keys));
    first(take<std::optional<image::Lane>>(
        job, "carril", [](const QString& t) { return optionalOf(image::parseLane(t)); }, s.carril,
        keys));
    first(take(job, "intercambiar", yesOf, s.intercambiar, keys));
    first(take<std::optional<std::uint8_t>>(
        job, "rellenar", [](const QString& t) { return optionalOf(image::parseByte(t)); },
        s.rellenar, keys));
    std::pair<std::uint32_t, std::uint32_t> range;
    first(take(job, "rango", rangeOf, range, keys));
    if (keys.contains(QStringLiteral("rango"))) s.desde = range.first, s.hasta = range.second;
    first(take(job, "verificacion", yesOf, s.verificar, keys));
    first(take(job, "reintentos", retriesOf, s.reintentos, keys));
    first(take(job, "rapida", yesOf, s.rapida, keys));
    first(take(job, "comprobacion", yesOf, s.comprobar, keys));
    first(take<std::optional<SerialLayout>>(
        job, "serie", [](const QString& t) { return optionalOf(parseSerial(t)); }, s.serie, keys));
    first(take(job, "contador", textOf, s.contador, keys));
    first(take(job, "registro", textOf, s.registro, keys));
    if (refusal) return *refusal;
    return out;
}

job::Job jobOf(const Settings& s, const QSet<QString>& keys) {
    job::Job job;
    const auto put = [&](const char* key, const QString& text) {
        if (keys.isEmpty() || keys.contains(QLatin1String(key))) job.set(QLatin1String(key), text);
    };
    const auto yesNo = [](bool on) { return on ? kSi : kNo; };
    if (s.tipo) put("tipo", memoryTypeName(*s.tipo));
    if (!s.imagen.isEmpty()) put("imagen", s.imagen);
    if (s.formato) put("formato", image::formatKey(*s.formato));
    if (s.desplazamiento != 0) put("desplazamiento", image::offsetKey(s.desplazamiento));
    if (s.carril) put("carril", image::laneKey(*s.carril));
    put("intercambiar", yesNo(s.intercambiar));
    if (s.rellenar)
        put("rellenar", QStringLiteral("0x") +
                            QString::number(*s.rellenar, 16).toUpper().rightJustified(2, u'0'));
    if (s.desde || s.hasta) {
        const std::uint32_t maxdir = memoryType(s.tipo.value_or(kTipoInicial)).maxdir;
        put("rango", hexText(s.desde.value_or(0), maxdir) + u'-' +
                         hexText(s.hasta.value_or(maxdir), maxdir));
    }
    put("verificacion", yesNo(s.verificar));
    put("reintentos", QString::number(s.reintentos));
    put("rapida", yesNo(s.rapida));
    put("comprobacion", yesNo(s.comprobar));
    if (s.serie)
        put("serie", QStringLiteral("0x%1,%2,%3,%4,%5")
                         .arg(QString::number(s.serie->address, 16).toUpper())
                         .arg(s.serie->bytes)
                         .arg(s.serie->start)
                         .arg(s.serie->step)
                         .arg(serialFormatName(s.serie->format)));
    if (!s.contador.isEmpty()) put("contador", s.contador);
    if (!s.registro.isEmpty()) put("registro", s.registro);
    return job;
}

namespace {
QByteArray settingsText(const job::Job& job) {
    QByteArray text;
    for (const auto& [key, value] : job.values)
        if (key != QLatin1String("imagen") && key != QLatin1String("sello"))
            text += (key + u'=' + value + u'\n').toUtf8();
    return text;
}

QString sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}
}  // namespace

QString sealOf(const job::Job& job, const QByteArray& imageBytes) {
    return sha256(settingsText(job)) + u':' + sha256(imageBytes);
}

std::optional<QString> sealBroken(const QString& seal, const job::Job& job,
                                  const QByteArray& imageBytes) {
    const QStringList parts = seal.split(u':');
    if (parts.size() != 2) return QStringLiteral("el sello no es válido");
    if (parts[1] != sha256(imageBytes)) return QStringLiteral("la imagen cambió");
    if (parts[0] != sha256(settingsText(job))) return QStringLiteral("los ajustes cambiaron");
    return std::nullopt;
}

}  // namespace engine
