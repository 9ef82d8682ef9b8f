#include "cli/Cli.h"

#include <QFileInfo>
#include <QIODevice>

#include "chip/Version.h"
#include "cli/Arguments.h"
#include "cli/Bench.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
struct Refused {
    QString message;
};

// The bench's options, with the orders they mean something for.
void refuseBenchOptions(const Options& o, const QString& name) {
    static const QStringList chipOrders{"leer", "programar", "verificar", "borrado", "llenar"};
    const auto only = [&](bool given, const char* option, const QStringList& orders) {
        if (given && !orders.contains(name))
            throw Refused{
                QStringLiteral("%1 no vale con %2 (solo con %3)")
                    .arg(QString::fromLatin1(option), name, orders.join(QStringLiteral(", ")))};
    };
    only(o.todos, "--todos", chipOrders);
    only(o.lote, "--lote", chipOrders);
    only(o.serie.has_value(), "--serie", {QStringLiteral("programar")});
    only(o.lecturas > 1, "--lecturas", {QStringLiteral("leer")});
    only(!o.base.isEmpty(), "--base", chipOrders + QStringList{"estadisticas"});
    only(o.json, "--json", chipOrders + QStringList{"estadisticas", "analizar", "identificar"});
    only(!o.secuencia.isEmpty(), "--secuencia", {QStringLiteral("programar")});
    if (o.serie && !o.verificar)
        throw Refused{
            QStringLiteral("--serie necesita verificar cada memoria: sin verificar, "
                           "ningún número quedaría usado y todas llevarían el mismo")};
    if (!o.contador.isEmpty() && !o.serie)
        throw Refused{
            QStringLiteral("--contador necesita --serie: guarda el siguiente número de serie")};
    if (o.todos && !o.dispositivo.isEmpty())
        throw Refused{QStringLiteral("--todos y -d se excluyen: todos los programadores, o uno")};
}

// Options given on the command line that mean nothing for the order are
// refused: taken in silence they would let a user believe they acted. A
// job's settings are not: a job holds every one.
void refuseMeaningless(const QSet<QString>& given, const QString& name) {
    static const QStringList image{"formato", "desplazamiento", "carril", "intercambiar"};
    static const QStringList programming{"sin-verificar", "verificar",     "completa", "rapida",
                                         "reintentos",    "sin-comprobar", "comprobar"};
    // The socket check goes with every order that touches a chip, as the record does.
    static const QStringList record{"registro", "operario", "sin-zocalo"};
    static const QStringList identification{"dat", "roms", "identificar"};
    static const std::pair<const char*, QStringList> meaningful[] = {
        {"leer", image + record + identification + QStringList{"conservar"}},
        {"programar", image + programming + record + QStringList{"rellenar"}},
        {"verificar", image + record + QStringList{"rellenar"}},
        {"llenar", programming + record},
        {"borrado", record},
        {"info", image},
        {"trabajo", image + programming + QStringList{"rellenar", "registro"}},
        {"tipos", {}},
        {"sondeo", {}},
        {"dispositivos", {}},
        {"estadisticas", {}},
        {"analizar", {}},
        {"identificar", QStringList{"dat", "roms"}}};
    static const QStringList judged =
        image + programming + record + identification + QStringList{"rellenar", "conservar"};
    for (const auto& [order, options] : meaningful) {
        if (name != QLatin1String(order)) continue;
        for (const QString& option : judged)
            if (given.contains(option) && !options.contains(option))
                throw Refused{
                    QStringLiteral("--%1 no sirve para %2: la orden no lo usa").arg(option, name)};
    }
}

Command& commandFor(const std::vector<std::unique_ptr<Command>>& commands, Parsed& parsed) {
    if (parsed.positional.isEmpty()) throw Refused{QStringLiteral("Falta la orden. Uso: ") + kUso};
    const QString name = parsed.positional.constFirst();
    for (const auto& command : commands) {
        if (command->name() != name) continue;
        // The job's image, when the order names none; a sealed job's only.
        if (parsed.positional.size() == 1 && command->takesJobImage() && !parsed.jobImage.isEmpty())
            parsed.positional << parsed.jobImage;
        else if (!parsed.options.sello.isEmpty() && command->takesJobImage() &&
                 QFileInfo(parsed.positional.value(1)).absoluteFilePath() != parsed.jobImage)
            throw Refused{QStringLiteral("%1 cambiaría la imagen del trabajo sellado %2")
                              .arg(shown(parsed.positional.value(1)), shown(parsed.options.trabajo))};
        // A job copied with trabajo keeps its image.
        if (name == QLatin1String("trabajo") && parsed.positional.size() == 2 &&
            !parsed.jobImage.isEmpty())
            parsed.positional << parsed.jobImage;
        const qsizetype given = parsed.positional.size() - 1;
        if (given < command->arguments() ||
            given > command->arguments() + command->optionalArguments())
            throw Refused{QStringLiteral("La orden %1 lleva %2 argumento(s). Uso: %3")
                              .arg(name)
                              .arg(command->arguments())
                              .arg(kUso)};
        if (command->needsType() && !parsed.options.tipo) throw Refused{kFaltaTipo};
        for (const QString& argument : parsed.positional.mid(1))
            if (argument.isEmpty())
                throw Refused{QStringLiteral("La orden %1 necesita un nombre de archivo o un dato, "
                                             "no un texto vacío")
                                  .arg(name)};
        if (!parsed.options.informe.isEmpty() && name != QLatin1String("sondeo"))
            throw Refused{QStringLiteral("--informe solo vale con sondeo")};
        if (parsed.serialFromJob && name != QLatin1String("programar") &&
            name != QLatin1String("trabajo")) {
            parsed.options.serie.reset();
            parsed.options.contador.clear();
        }
        if (name != QLatin1String("trabajo")) refuseBenchOptions(parsed.options, name);
        if (parsed.options.json && name == QLatin1String("leer") &&
            parsed.positional.value(1) == QLatin1String("-"))
            throw Refused{
                QStringLiteral("--json no vale con leer -: la salida estándar lleva la "
                               "imagen")};
        refuseMeaningless(parsed.given, name);
        return *command;
    }
    throw Refused{QStringLiteral("Orden desconocida: %1 (vea --help)").arg(shown(name))};
}

void write(QIODevice& device, const QString& text) {
    device.write(text.toUtf8());
}

// --help and --version: a text that did not reach standard output is no success.
int answer(Streams& streams, const QString& text) {
    const int error = writeStream(streams.out, streams.outClosed, text.toUtf8());
    if (error == 0) return kCorrecto;
    write(streams.err, QStringLiteral("No se puede escribir en la salida estándar: %1\n")
                           .arg(safe_io::reason(error)));
    return kUsoInvalido;
}
}  // namespace

std::vector<std::unique_ptr<Command>> allCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(makeLeer());
    commands.push_back(makeProgramar());
    commands.push_back(makeVerificar());
    commands.push_back(makeBorrado());
    commands.push_back(makeLlenar());
    commands.push_back(makeTipos());
    commands.push_back(makeInfo());
    commands.push_back(makeSondeo());
    commands.push_back(makeDispositivos());
    commands.push_back(makeTrabajo());
    commands.push_back(makeEstadisticas());
    commands.push_back(makeAnalizar());
    commands.push_back(makeIdentificar());
    return commands;
}

std::unique_ptr<Command> makeCommand(const QString& name) {
    for (auto& command : allCommands())
        if (command->name() == name) return std::move(command);
    return nullptr;
}

int run(const QStringList& arguments, Streams& streams, const Backends& backends) {
    const std::vector<std::unique_ptr<Command>> commands = allCommands();
    Parsed parsed;
    Command* command = nullptr;
    try {
        auto outcome = parseArguments(arguments);
        if (auto* refusal = std::get_if<QString>(&outcome)) throw Refused{*refusal};
        parsed = std::get<Parsed>(std::move(outcome));
        if (parsed.help) return answer(streams, kAyuda);
        if (parsed.version) return answer(streams, versionText(QStringLiteral("programador-cli")));
        command = &commandFor(commands, parsed);
        if (const auto refusal = rangeRefusal(parsed.options)) throw Refused{*refusal};
    } catch (const Refused& refused) {
        write(streams.err, refused.message + u'\n');
        return kUsoInvalido;
    }

    const InterruptGuard interrupts;
    const QStringList orderArguments = parsed.positional.mid(1);
    if (command->touchesProgrammer())
        return Bench(parsed.options, streams, backends).run(*command, orderArguments);
    // An order of files alone: no programmer, no record.
    Station none(FoundProgrammer{}, parsed.options, backends);
    return runChip(parsed.options, streams, none, {}, *command, orderArguments).code;
}

}  // namespace cli
