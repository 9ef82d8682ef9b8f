#include "cli/JobOptions.h"

#include <QFileInfo>
#include <QSet>

#include "cli/Messages.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
// Each setting with the job's key and the options that set it on the command line.
template <typename T>
void under(T& option, const T& fromJob, bool inJob, const QSet<QString>& given,
           std::initializer_list<const char*> options) {
    if (!inJob) return;
    for (const char* name : options)
        if (given.contains(QLatin1String(name))) return;
    option = fromJob;
}
// The options that would change what a sealed job says.
const QStringList kSealedOptions = {
    "tipo",       "formato",    "desplazamiento", "carril",        "intercambiar", "rellenar",
    "desde",      "hasta",      "verificar",      "sin-verificar", "reintentos",   "rapida",
    "completa",   "comprobar",  "sin-comprobar",  "serie",         "contador",     "registro"};

std::optional<QString> checkSeal(const QString& path, const QString& seal, const job::Job& job,
                                 const QString& image, const QSet<QString>& given) {
    const safe_io::Read bytes = safe_io::readPath(image, safe_io::kMaxInputBytes, [] { return true; });
    if (const auto broken = engine::sealBroken(seal, job, bytes.bytes))
        return QStringLiteral("El trabajo %1 no coincide con su sello: %2").arg(shown(path), *broken);
    for (const QString& option : kSealedOptions)
        if (given.contains(option))
            return QStringLiteral("--%1 cambiaría el trabajo sellado %2").arg(option, shown(path));
    return std::nullopt;
}
}  // namespace

std::optional<QString> applyJob(Parsed& parsed, const QStringList& arguments) {
    const QString& path = parsed.options.trabajo;
    auto read = job::read(path);
    if (auto* refusal = std::get_if<QString>(&read)) return *refusal;
    const auto settings = engine::settingsOf(std::get<job::Job>(read));
    if (const auto* refusal = image::refusalOf(settings))
        return QStringLiteral("El trabajo %1: %2").arg(shown(path), refusal->text);
    const engine::JobSettings& job = std::get<engine::JobSettings>(settings);
    const engine::Settings& j = job.settings;
    const QSet<QString> given = givenOptions(arguments);
    const auto in = [&](const char* key) { return job.keys.contains(QLatin1String(key)); };
    Options& o = parsed.options;
    under(o.tipo, j.tipo, in("tipo"), given, {"tipo"});
    under(o.formato, j.formato, in("formato"), given, {"formato"});
    under(o.desplazamiento, j.desplazamiento, in("desplazamiento"), given, {"desplazamiento"});
    under(o.carril, j.carril, in("carril"), given, {"carril"});
    under(o.intercambiar, j.intercambiar, in("intercambiar"), given, {"intercambiar"});
    under(o.rellenar, j.rellenar, in("rellenar"), given, {"rellenar"});
    under(o.desde, j.desde, in("rango"), given, {"desde"});
    under(o.hasta, j.hasta, in("rango"), given, {"hasta"});
    under(o.verificar, j.verificar, in("verificacion"), given, {"verificar", "sin-verificar"});
    under(o.reintentos, j.reintentos, in("reintentos"), given, {"reintentos"});
    under(o.rapida, j.rapida, in("rapida"), given, {"rapida", "completa"});
    under(o.comprobar, j.comprobar, in("comprobacion"), given, {"comprobar", "sin-comprobar"});
    under(o.serie, j.serie, in("serie"), given, {"serie"});
    under(o.contador, j.contador, in("contador"), given, {"contador"});
    under(o.registro, j.registro, in("registro"), given, {"registro"});
    parsed.jobImage = j.imagen;
    if (const auto seal = std::get<job::Job>(read).value(QStringLiteral("sello")))
        if (const auto refusal = checkSeal(path, *seal, std::get<job::Job>(read), j.imagen, given))
            return refusal;
    o.sello = std::get<job::Job>(read).value(QStringLiteral("sello")).value_or(QString());
    // The job numbers the chips it programs; another order leaves that out.
    parsed.serialFromJob = in("serie") && !given.contains(QStringLiteral("serie"));
    return std::nullopt;
}

job::Job jobFromOptions(const Options& o, const QString& image) {
    engine::Settings settings = o;
    const auto absolute = [](const QString& path) {
        return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    };
    settings.imagen = absolute(image);
    settings.contador = absolute(o.contador);
    settings.registro = absolute(o.registro);
    return engine::jobOf(settings);
}

QStringList describeJob(const job::Job& job) {
    QStringList lines;
    for (const auto& [key, value] : job.values)
        lines << QStringLiteral("%1: %2").arg(key, shown(value));
    return lines;
}

}  // namespace cli
