#include "cli/Options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QRegularExpression>

#include "cli/JobOptions.h"
#include "cli/Messages.h"
#include "cli/OptionParsing.h"
#include "device/MemoryTypes.h"

namespace cli {

namespace {
constexpr std::int32_t kMostRetries = 255;
const QString kEmulatedFileOption = QStringLiteral("virtual-archivo");

using option_parsing::Refused;

// "--virtual=ARCHIVO" as the parser takes it: a flag, and a hidden option.
QStringList withEmulatedFileApart(const QStringList& arguments) {
    QStringList out;
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1String("--virtual="))) {
            out << QStringLiteral("--virtual") << QStringLiteral("--") + kEmulatedFileOption
                << argument.mid(static_cast<qsizetype>(qstrlen("--virtual=")));
        } else {
            out << argument;
        }
    }
    return out;
}

void addOptions(QCommandLineParser& parser) {
    const auto valued = [](const QStringList& names, const char* value) {
        return QCommandLineOption(names, QString(), QString::fromLatin1(value));
    };
    parser.addOption(valued({"t", "tipo"}, "TIPO"));
    parser.addOption(valued({"desde"}, "A"));
    parser.addOption(valued({"hasta"}, "B"));
    parser.addOption(valued({"formato"}, "F"));
    parser.addOption(QCommandLineOption(QStringLiteral("sin-verificar")));
    parser.addOption(QCommandLineOption(QStringLiteral("completa")));
    parser.addOption(valued({"reintentos"}, "N"));
    parser.addOption(QCommandLineOption(QStringLiteral("virtual")));
    QCommandLineOption emulatedFile(kEmulatedFileOption, QString(), QStringLiteral("ARCHIVO"));
    emulatedFile.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(emulatedFile);
    parser.addOption(QCommandLineOption(QStringLiteral("sin-pausa")));
    parser.addOption(QCommandLineOption(QStringList{"q", "silencioso"}));
    parser.addOption(valued({"registro"}, "ARCHIVO"));
    parser.addOption(valued({"diferencias"}, "ARCHIVO"));
    parser.addOption(valued({"informe"}, "ARCHIVO"));
    parser.addOption(valued({"desplazamiento"}, "N"));
    parser.addOption(valued({"rellenar"}, "XX"));
    parser.addOption(valued({"carril"}, "K/N"));
    parser.addOption(QCommandLineOption(QStringLiteral("intercambiar")));
    parser.addOption(QCommandLineOption(QStringLiteral("conservar")));
    parser.addOption(QCommandLineOption(QStringLiteral("sin-comprobar")));
    parser.addOption(QCommandLineOption(QStringLiteral("sin-zocalo")));
    option_parsing::addBenchOptions(parser);
    parser.addOption(QCommandLineOption(QStringList{"h", "help"}));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));
}

// An option's value through the image's parser; its refusal with the
// option's name in front.
template <typename T>
T parsed(image::Result<T> (*parse)(const QString&), const QCommandLineParser& parser,
         const char* name) {
    const QString option = QString::fromLatin1(name);
    const auto result = parse(parser.value(option));
    if (const auto* refusal = image::refusalOf(result))
        throw Refused{QStringLiteral("--%1: %2").arg(option, refusal->text)};
    return std::get<T>(result);
}

// How the file's addresses become the chip's: an offset, a swap of the
// bytes of each word, a lane; and the byte that fills the gaps.
void readImageOptions(const QCommandLineParser& parser, Options& o) {
    if (parser.isSet(QStringLiteral("desplazamiento")))
        o.desplazamiento = parsed(image::parseOffset, parser, "desplazamiento");
    if (parser.isSet(QStringLiteral("rellenar")))
        o.rellenar = parsed(image::parseByte, parser, "rellenar");
    if (parser.isSet(QStringLiteral("carril")))
        o.carril = parsed(image::parseLane, parser, "carril");
    o.intercambiar = parser.isSet(QStringLiteral("intercambiar"));
    o.conservar = parser.isSet(QStringLiteral("conservar"));
    o.comprobar = !parser.isSet(QStringLiteral("sin-comprobar"));
    o.sinZocalo = parser.isSet(QStringLiteral("sin-zocalo"));
}

std::uint32_t number(const QCommandLineParser& parser, const QString& name) {
    const auto value = parseNumber(parser.value(name));
    if (!value)
        throw Refused{QStringLiteral("--%1: %2 no es un número (decimal, o hexadecimal con 0x)")
                          .arg(name, shown(parser.value(name)))};
    return *value;
}

// What a value of an option means, so that the same one written two ways is
// the same.
QString meaning(const QString& option, const QString& value) {
    if (option == QLatin1String("tipo")) {
        if (const auto tipo = parseType(value)) return QString::number(*tipo);
    } else if (option == QLatin1String("formato")) {
        return value.toLower();
    } else if (option == QLatin1String("desde") || option == QLatin1String("hasta") ||
               option == QLatin1String("reintentos")) {
        if (const auto n = parseNumber(value)) return QString::number(*n);
    }
    return value;
}

// An option given twice must say the same both times: which one was meant
// is not for the program to guess.
void refuseTwoValues(const QCommandLineParser& parser) {
    for (const char* name :
         {"tipo", "desde", "hasta", "formato", "reintentos", "registro", "diferencias", "informe",
          "desplazamiento", "rellenar", "carril", "dispositivo", "serie", "contador", "operario",
          "trabajo", "lecturas", "roms"}) {
        const QString option = QString::fromLatin1(name);
        const QStringList values = parser.values(option);
        for (const QString& value : values)
            if (meaning(option, value) != meaning(option, values.constFirst()))
                throw Refused{QStringLiteral("La opción --%1 se dio dos veces con valores "
                                             "distintos: %2 y %3")
                                  .arg(option, shown(values.constFirst()), shown(value))};
    }
}

Options readOptions(const QCommandLineParser& parser) {
    refuseTwoValues(parser);
    Options o;
    if (parser.isSet(QStringLiteral("tipo"))) {
        o.tipo = parseType(parser.value(QStringLiteral("tipo")));
        if (!o.tipo)
            throw Refused{QStringLiteral("--tipo: tipo de memoria desconocido: %1 (vea \"tipos\")")
                              .arg(shown(parser.value(QStringLiteral("tipo"))))};
    }
    if (parser.isSet(QStringLiteral("desde"))) o.desde = number(parser, QStringLiteral("desde"));
    if (parser.isSet(QStringLiteral("hasta"))) o.hasta = number(parser, QStringLiteral("hasta"));
    if (parser.isSet(QStringLiteral("formato")))
        o.formato = parsed(image::parseFormat, parser, "formato");
    o.verificar = !parser.isSet(QStringLiteral("sin-verificar"));
    o.rapida = !parser.isSet(QStringLiteral("completa"));
    if (parser.isSet(QStringLiteral("reintentos"))) {
        const std::uint32_t retries = number(parser, QStringLiteral("reintentos"));
        o.reintentos = static_cast<std::int32_t>(std::min<std::uint32_t>(retries, kMostRetries));
    }
    o.emulated = parser.isSet(QStringLiteral("virtual"));
    o.emulatedFiles = parser.values(kEmulatedFileOption);
    o.sinPausa = parser.isSet(QStringLiteral("sin-pausa"));
    if (o.sinPausa && !o.emulated)
        throw Refused{
            QStringLiteral("--sin-pausa solo vale con --virtual: un programador real "
                           "lleva su propio ritmo")};
    o.silencioso = parser.isSet(QStringLiteral("silencioso"));
    o.registro = parser.value(QStringLiteral("registro"));
    if (o.registro == QLatin1String("-"))
        throw Refused{
            QStringLiteral("--registro necesita un archivo: la salida estándar no "
                           "guarda el registro")};
    o.diferencias = parser.value(QStringLiteral("diferencias"));
    o.informe = parser.value(QStringLiteral("informe"));
    readImageOptions(parser, o);
    option_parsing::readBenchOptions(parser, o);
    return o;
}

Parsed parse(const QStringList& arguments) {
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(withEmulatedFileApart(arguments))) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            throw Refused{QStringLiteral("Opción desconocida: %1").arg(shown(unknown.join(u' ')))};
        // Qt says the rest in English: "Missing value after '--tipo'.", and
        // "Unexpected value after '--virtual'." for a value given to a flag.
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^(Missing|Unexpected) value after '([^']*)'"))
                .match(parser.errorText());
        if (match.hasMatch())
            throw Refused{(match.captured(1) == QLatin1String("Missing")
                               ? QStringLiteral("Falta el valor de la opción %1")
                               : QStringLiteral("La opción %1 no lleva valor"))
                              .arg(match.captured(2))};
        throw Refused{QStringLiteral("Opciones no válidas: %1").arg(shown(arguments.join(u' ')))};
    }
    Parsed parsed;
    parsed.help = parser.isSet(QStringLiteral("help"));
    parsed.version = parser.isSet(QStringLiteral("version"));
    parsed.positional = parser.positionalArguments();
    if (!parsed.help && !parsed.version) parsed.options = readOptions(parser);
    return parsed;
}

// The range against the chosen memory, as the window checks it, naming the
// option and the memory.
void checkRange(const Options& options) {
    const MemoryType& type = memoryType(options.tipo.value_or(kTipoInicial));
    const std::uint32_t maxdir = type.maxdir;
    const std::uint32_t first = options.desde.value_or(0);
    const std::uint32_t last = options.hasta.value_or(maxdir);
    const auto past = [&](const char* option, std::uint32_t address) {
        return Refused{QStringLiteral("%1: %2 supera la última dirección %3 de %4")
                           .arg(QString::fromLatin1(option), hexAddress(address, maxdir),
                                hexAddress(maxdir, maxdir), QString::fromLatin1(type.caption))};
    };
    if (first > maxdir) throw past("--desde", first);
    if (last > maxdir) throw past("--hasta", last);
    if (first > last)
        throw Refused{QStringLiteral("--hasta: %1 es menor que --desde %2")
                          .arg(hexAddress(last, maxdir), hexAddress(first, maxdir))};
}

}  // namespace

std::variant<Parsed, QString> parseArguments(const QStringList& arguments) {
    try {
        Parsed parsed = parse(arguments);
        parsed.given = givenOptions(arguments);
        if (!parsed.options.trabajo.isEmpty())
            if (const auto refusal = applyJob(parsed, arguments)) throw Refused{*refusal};
        return parsed;
    } catch (const Refused& refused) {
        return refused.message;
    }
}

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

std::optional<QString> rangeRefusal(const Options& options) {
    try {
        checkRange(options);
    } catch (const Refused& refused) {
        return refused.message;
    }
    return std::nullopt;
}

}  // namespace cli
