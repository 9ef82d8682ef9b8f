#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include "cli/LineDatabase.h"
#include "cli/Messages.h"
#include "cli/OptionParsing.h"
#include "device/EmulatedFaults.h"

namespace cli::option_parsing {

namespace {
constexpr std::uint32_t kMostReads = 100;

// K:inestable, K:mudo or K:desconecta=N.
EmulatedFault parseFault(const QString& text) {
    const Refused refused{QStringLiteral("--fallo-virtual: %1 no vale (K:inestable, K:mudo, "
                                         "K:desconecta=N, K:vacio, K:vacio-ff, K:menor=B, "
                                         "K:bit=D:V o K:protegida, con K el programador "
                                         "emulado desde 1)")
                              .arg(shown(text))};
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) throw refused;
    const auto programmer = parseNumber(text.left(colon));
    if (!programmer || *programmer == 0 || *programmer > 64) throw refused;
    EmulatedFault fault;
    fault.programmer = static_cast<int>(*programmer);
    const QString kind = text.mid(colon + 1);
    if (kind == QLatin1String("inestable")) {
        fault.kind = EmulatedFault::Kind::Inestable;
    } else if (kind == QLatin1String("mudo")) {
        fault.kind = EmulatedFault::Kind::Mudo;
    } else if (kind.startsWith(QLatin1String("desconecta="))) {
        const auto at = parseNumber(kind.mid(static_cast<qsizetype>(qstrlen("desconecta="))));
        if (!at) throw refused;
        fault.kind = EmulatedFault::Kind::Desconecta;
        fault.atReport = *at;
    } else if (isChipFault(kind)) {
        fault.kind = EmulatedFault::Kind::Chip;
        fault.chip = kind;
    } else {
        throw refused;
    }
    return fault;
}
}  // namespace

void addBenchOptions(QCommandLineParser& parser) {
    const auto valued = [](const QStringList& names, const char* value) {
        return QCommandLineOption(names, QString(), QString::fromLatin1(value));
    };
    parser.addOption(valued({"d", "dispositivo"}, "X"));
    parser.addOption(QCommandLineOption(QStringLiteral("todos")));
    parser.addOption(QCommandLineOption(QStringLiteral("lote")));
    parser.addOption(valued({"serie"}, "DIRECCION,BYTES,INICIO[,PASO][,FORMATO]"));
    parser.addOption(valued({"contador"}, "ARCHIVO"));
    parser.addOption(valued({"operario"}, "NOMBRE"));
    parser.addOption(valued({"trabajo"}, "ARCHIVO"));
    parser.addOption(valued({"lecturas"}, "N"));
    parser.addOption(valued({"dat"}, "CATALOGO"));
    parser.addOption(valued({"roms"}, "CARPETA"));
    parser.addOption(QCommandLineOption(QStringLiteral("identificar")));
    parser.addOption(valued({"base"}, "DESTINO"));
    parser.addOption(QCommandLineOption(QStringLiteral("json")));
    parser.addOption(QCommandLineOption(QStringLiteral("sellar")));
    parser.addOption(valued({"secuencia"}, "NOMBRE"));
    parser.addOption(valued({"fallo-virtual"}, "K:FALLO"));
    // The defaults said aloud, to win over a job's "no".
    for (const char* flag : {"verificar", "rapida", "comprobar"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(flag)));
}

void readBenchOptions(const QCommandLineParser& parser, Options& o) {
    const std::pair<const char*, const char*> opposites[] = {
        {"verificar", "sin-verificar"}, {"rapida", "completa"}, {"comprobar", "sin-comprobar"}};
    for (const auto& [on, off] : opposites)
        if (parser.isSet(QLatin1String(on)) && parser.isSet(QLatin1String(off)))
            throw Refused{QStringLiteral("--%1 y --%2 se excluyen")
                              .arg(QLatin1String(on), QLatin1String(off))};
    o.dispositivo = parser.value(QStringLiteral("dispositivo"));
    if (parser.isSet(QStringLiteral("dispositivo")) && o.dispositivo.isEmpty())
        throw Refused{
            QStringLiteral("-d necesita un programador: número de serie, ruta hidraw o "
                           "puerto USB (vea \"dispositivos\")")};
    o.todos = parser.isSet(QStringLiteral("todos"));
    o.lote = parser.isSet(QStringLiteral("lote"));
    if (parser.isSet(QStringLiteral("serie"))) {
        auto serial = engine::parseSerial(parser.value(QStringLiteral("serie")));
        if (auto* refusal = image::refusalOf(serial))
            throw Refused{QStringLiteral("--serie: ") + refusal->text};
        o.serie = std::get<SerialLayout>(serial);
    }
    o.contador = parser.value(QStringLiteral("contador"));
    o.base = parser.value(QStringLiteral("base"));
    o.json = parser.isSet(QStringLiteral("json"));
    o.sellar = parser.isSet(QStringLiteral("sellar"));
    o.secuencia = parser.value(QStringLiteral("secuencia"));
    if (!o.base.isEmpty() && !o.contador.isEmpty())
        throw Refused{
            QStringLiteral("--contador y --base se excluyen: serían dos fuentes de "
                           "números de serie")};
    if (parser.isSet(QStringLiteral("base")) && !LineDatabase::isDatabase(o.base))
        throw Refused{QStringLiteral("--base: %1 no es una base que este programa sepa usar "
                                     "(ARCHIVO.sqlite o postgresql://…)")
                          .arg(shown(o.base))};
    o.operario = parser.value(QStringLiteral("operario"));
    o.trabajo = parser.value(QStringLiteral("trabajo"));
    for (const char* name : {"contador", "operario", "trabajo", "secuencia"})
        if (parser.isSet(QLatin1String(name)) && parser.value(QLatin1String(name)).isEmpty())
            throw Refused{QStringLiteral("--%1 necesita un valor, no un texto vacío")
                              .arg(QLatin1String(name))};
    o.dat = parser.values(QStringLiteral("dat"));
    o.roms = parser.value(QStringLiteral("roms"));
    o.identificar = parser.isSet(QStringLiteral("identificar"));
    for (const char* named : {"dat", "roms"})
        for (const QString& value : parser.values(QLatin1String(named)))
            if (value.isEmpty())
                throw Refused{QStringLiteral("--%1 necesita un nombre").arg(QLatin1String(named))};
    if (parser.isSet(QStringLiteral("lecturas"))) {
        const auto reads = parseNumber(parser.value(QStringLiteral("lecturas")));
        if (!reads || *reads < 1 || *reads > kMostReads)
            throw Refused{QStringLiteral("--lecturas: %1 no vale (de 1 a %2 lecturas)")
                              .arg(shown(parser.value(QStringLiteral("lecturas"))))
                              .arg(kMostReads)};
        o.lecturas = *reads;
    }
    for (const QString& fault : parser.values(QStringLiteral("fallo-virtual")))
        o.emulatedFaults.push_back(parseFault(fault));
    if (!o.emulatedFaults.empty() && !o.emulated)
        throw Refused{QStringLiteral("--fallo-virtual solo vale con --virtual")};
    const qsizetype emulated = std::max<qsizetype>(1, o.emulatedFiles.size());
    for (const EmulatedFault& fault : o.emulatedFaults)
        if (fault.programmer > emulated)
            throw Refused{QStringLiteral("--fallo-virtual: no hay programador emulado %1 (hay %2)")
                              .arg(fault.programmer)
                              .arg(emulated)};
    // Two emulated programmers never hold one chip, as two real ones never do.
    QSet<QString> files;
    for (const QString& file : o.emulatedFiles) {
        if (file.isEmpty())
            throw Refused{QStringLiteral("--virtual= necesita el nombre del archivo del chip")};
        const QString where = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
        if (files.contains(where))
            throw Refused{QStringLiteral("--virtual=%1 se dio dos veces: cada programador "
                                         "emulado tiene su propio chip")
                              .arg(shown(file))};
        files.insert(where);
    }
}

}  // namespace cli::option_parsing
