#include "cli/Catalogues.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Messages.h"
#include "cli/Session.h"

namespace cli {

namespace {
QString statusKey(chip::RomEntry::Status status) {
    return status == chip::RomEntry::Status::BadDump ? QStringLiteral("baddump")
                                                     : QStringLiteral("bueno");
}

void printJson(Session& s, const QJsonObject& object) {
    QJsonObject line{{"esquema", 1}};
    for (auto it = object.begin(); it != object.end(); ++it) line.insert(it.key(), it.value());
    s.print(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
}
}  // namespace

std::vector<chip::RomCatalogue> loadCatalogues(Session& s) {
    const bool given = !s.options().dat.isEmpty();
    const QStringList paths = given ? s.options().dat : chip::cataloguesIn(chip::catalogueFolder());
    std::vector<chip::RomCatalogue> catalogues;
    for (const QString& path : paths) {
        auto loaded = chip::loadCatalogue(path);
        if (auto* catalogue = std::get_if<chip::RomCatalogue>(&loaded)) {
            catalogues.push_back(std::move(*catalogue));
            continue;
        }
        const QString& refusal = std::get<QString>(loaded);
        if (given) s.fail(kUsoInvalido, QStringLiteral("--dat: ") + refusal);
        s.say(QStringLiteral("Aviso: se deja de lado un catálogo: ") + refusal);
    }
    if (catalogues.empty())
        s.fail(kUsoInvalido, QStringLiteral("No hay catálogos de ROM: dé uno con --dat CATALOGO "
                                            "(.dat, .xml o .zip) o póngalo en %1")
                                 .arg(shown(chip::catalogueFolder())));
    if (!s.options().roms.isEmpty() && !QFileInfo(s.options().roms).isDir())
        s.fail(kUsoInvalido,
               QStringLiteral("--roms: %1 no es una carpeta").arg(shown(s.options().roms)));
    return catalogues;
}

void tellIdentification(Session& s, const chip::Identification& found, const QString& prefix,
                        bool toStdout) {
    if (s.options().json && toStdout) {
        for (const chip::RomMatch& m : found.matches)
            printJson(s, {{"evento", "coincidencia"},
                          {"parte", m.part},
                          {"catalogo", m.catalogue},
                          {"set", m.set},
                          {"rom", m.rom},
                          {"tamano", qint64(m.size)},
                          {"crc", QStringLiteral("%1").arg(m.crc, 8, 16, QLatin1Char('0')).toUpper()},
                          {"sha1", m.sha1Checked},
                          {"estado", statusKey(m.status)}});
        if (found.matches.empty())
            printJson(s, {{"evento", "sin-coincidencia"},
                          {"catalogos", qint64(found.catalogues)},
                          {"roms", qint64(found.entries)},
                          {"nodump", qint64(found.noDumps)}});
        if (found.guess)
            printJson(s, {{"evento", "suposicion"},
                          {"catalogo", found.guess->catalogue},
                          {"set", found.guess->set},
                          {"rom", found.guess->rom},
                          {"archivo", found.guess->file},
                          {"iguales", found.guess->share}});
        return;
    }
    for (const QString& line : found.lines())
        toStdout ? s.print(prefix + line) : s.say(prefix + line);
}

}  // namespace cli
