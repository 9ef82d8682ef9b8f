#include "cli/JobOptions.h"

#include <QFileInfo>
#include <QSet>

#include "cli/Messages.h"

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
