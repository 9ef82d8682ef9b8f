#include "cli/JobOptions.h"

#include <QFileInfo>
#include <QSet>

#include "cli/Messages.h"
#include "device/MemoryTypes.h"

namespace cli {

namespace {
// The job's keys as the options that say the same.
struct KeyOption {
    const char* key;
    const char* option;
};
constexpr KeyOption kValued[] = {
    {"tipo", "tipo"},         {"formato", "formato"},       {"desplazamiento", "desplazamiento"},
    {"carril", "carril"},     {"reintentos", "reintentos"}, {"serie", "serie"},
    {"contador", "contador"}, {"registro", "registro"},     {"rellenar", "rellenar"}};
// A "no" of the job is the option that turns the default off, unless the
// user gave either that option or the one that keeps it on.
struct Switch {
    const char* key;
    const char* off;
    const char* on;
};
constexpr Switch kTurnedOff[] = {{"verificacion", "sin-verificar", "verificar"},
                                 {"rapida", "completa", "rapida"},
                                 {"comprobacion", "sin-comprobar", "comprobar"}};

// The long names of the options the user gave.
QSet<QString> givenOptions(const QStringList& arguments) {
    QSet<QString> given;
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--")) break;
        // -t and -d with their value joined on, -tsram28, as Qt takes them.
        if (argument.startsWith(QLatin1String("-t")) && !argument.startsWith(QLatin1String("--")))
            given << QStringLiteral("tipo");
        if (!argument.startsWith(QLatin1String("--"))) continue;
        given << argument.mid(2).section(u'=', 0, 0);
    }
    return given;
}

// --trabajo's file, or empty.
QString jobPath(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--")) break;
        if (arguments[i] == QLatin1String("--trabajo") && i + 1 < arguments.size())
            return arguments[i + 1];
        if (arguments[i].startsWith(QLatin1String("--trabajo=")))
            return arguments[i].mid(static_cast<qsizetype>(qstrlen("--trabajo=")));
    }
    return {};
}

// The job's rango, "A-B", as --desde and --hasta.
QStringList rangeWords(const QString& range, const QSet<QString>& given) {
    const QStringList ends = range.split(u'-');
    QStringList words;
    if (!given.contains(QStringLiteral("desde")))
        words << QStringLiteral("--desde") << ends[0].trimmed();
    if (!given.contains(QStringLiteral("hasta")))
        words << QStringLiteral("--hasta") << ends[1].trimmed();
    return words;
}

QStringList jobWords(const job::Job& job, const QSet<QString>& given) {
    QStringList words;
    for (const auto& [key, option] : kValued)
        if (const auto value = job.value(QLatin1String(key));
            value && !given.contains(QLatin1String(option)))
            words << QStringLiteral("--") + QLatin1String(option) << *value;
    for (const auto& [key, off, on] : kTurnedOff)
        if (job.value(QLatin1String(key)) == QStringLiteral("no") &&
            !given.contains(QLatin1String(off)) && !given.contains(QLatin1String(on)))
            words << QStringLiteral("--") + QLatin1String(off);
    if (job.value(QStringLiteral("intercambiar")) == QStringLiteral("si") &&
        !given.contains(QStringLiteral("intercambiar")))
        words << QStringLiteral("--intercambiar");
    if (const auto range = job.value(QStringLiteral("rango"))) words << rangeWords(*range, given);
    return words;
}
}  // namespace

std::variant<WithJob, QString> withJob(const QStringList& arguments) {
    const QString path = jobPath(arguments);
    if (path.isEmpty()) return WithJob{arguments, {}};
    auto read = job::read(path);
    if (auto* refusal = std::get_if<QString>(&read)) return *refusal;
    const job::Job& job = std::get<job::Job>(read);
    if (const auto range = job.value(QStringLiteral("rango"));
        range && range->split(u'-').size() != 2)
        return QStringLiteral(
                   "El trabajo %1: rango debe ser DESDE-HASTA, por ejemplo "
                   "0x0000-0x0FFF, no %2")
            .arg(shown(path), shown(*range));
    const QStringList words = jobWords(job, givenOptions(arguments));
    // Checked alone first, so that a fault of the job names the job.
    auto alone = parseArguments(QStringList{arguments.constFirst()} + words + QStringList{"tipos"});
    if (auto* refusal = std::get_if<QString>(&alone))
        return QStringLiteral("El trabajo %1: %2").arg(shown(path), *refusal);
    return WithJob{QStringList{arguments.constFirst()} + words + arguments.mid(1),
                   job.value(QStringLiteral("imagen")).value_or(QString()),
                   words.contains(QStringLiteral("--serie"))};
}

job::Job jobFromOptions(const Options& o, const QString& image) {
    job::Job job;
    const auto absolute = [](const QString& path) { return QFileInfo(path).absoluteFilePath(); };
    if (o.tipo) job.set(QStringLiteral("tipo"), memoryTypeName(*o.tipo));
    if (!image.isEmpty()) job.set(QStringLiteral("imagen"), absolute(image));
    if (o.formato) job.set(QStringLiteral("formato"), image::formatKey(*o.formato));
    if (o.desplazamiento != 0)
        job.set(QStringLiteral("desplazamiento"), QString::number(o.desplazamiento));
    if (o.carril) job.set(QStringLiteral("carril"), image::laneKey(*o.carril));
    job.set(QStringLiteral("intercambiar"),
            o.intercambiar ? QStringLiteral("si") : QStringLiteral("no"));
    if (o.rellenar)
        job.set(QStringLiteral("rellenar"),
                QStringLiteral("0x") + QString::number(*o.rellenar, 16).toUpper().rightJustified(2, u'0'));
    if (o.desde || o.hasta) {
        const std::uint32_t maxdir = memoryType(o.tipo.value_or(kTipoInicial)).maxdir;
        job.set(QStringLiteral("rango"), hexAddress(o.desde.value_or(0), maxdir) + u'-' +
                                             hexAddress(o.hasta.value_or(maxdir), maxdir));
    }
    const auto yesNo = [](bool value) {
        return value ? QStringLiteral("si") : QStringLiteral("no");
    };
    job.set(QStringLiteral("verificacion"), yesNo(o.verificar));
    job.set(QStringLiteral("reintentos"), QString::number(o.reintentos));
    job.set(QStringLiteral("rapida"), yesNo(o.rapida));
    job.set(QStringLiteral("comprobacion"), yesNo(o.comprobar));
    if (o.serie)
        job.set(QStringLiteral("serie"), QStringLiteral("0x%1,%2,%3,%4,%5")
                                             .arg(QString::number(o.serie->address, 16).toUpper())
                                             .arg(o.serie->bytes)
                                             .arg(o.serie->start)
                                             .arg(o.serie->step)
                                             .arg(serialFormatName(o.serie->format)));
    if (!o.contador.isEmpty()) job.set(QStringLiteral("contador"), absolute(o.contador));
    if (!o.registro.isEmpty()) job.set(QStringLiteral("registro"), absolute(o.registro));
    return job;
}

QStringList describeJob(const job::Job& job) {
    QStringList lines;
    for (const auto& [key, value] : job.values)
        lines << QStringLiteral("%1: %2").arg(key, shown(value));
    return lines;
}

}  // namespace cli
