#include "chip/RomCatalogue.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include "chip/ZipArchive.h"

namespace chip {

namespace {
// Catalogues of whole collections run to a few hundred megabytes.
constexpr std::uint64_t kLargestCatalogue = std::uint64_t{1} << 30;
constexpr quint32 kIndexMagic = 0x50494458;  // "PIDX"
constexpr quint32 kIndexVersion = 1;
constexpr int kSha1Bytes = 20;
// The least an index spends on a set or an entry (a QString's length alone).
constexpr qint64 kLeastRecordBytes = 4;

std::uint64_t keyOf(std::uint64_t size, std::uint32_t crc) {
    return (size << 32) ^ crc;
}

bool isCatalogueName(const QString& name) {
    const QString lower = name.toLower();
    return lower.endsWith(QLatin1String(".dat")) || lower.endsWith(QLatin1String(".xml"));
}

// Reads the <rom> elements of <game>, <machine> or <software> under a
// <datafile> or <mame> root.
class Reader {
  public:
    Reader(const QByteArray& xml, const QString& shownName)
        : xml_(xml), shown_(shownName) {}

    std::variant<RomCatalogue, QString> read() {
        catalogue_.name = shown_;
        int depth = 0;
        bool inHeader = false;
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::EndElement) {
                if (xml_.name() == QLatin1String("header")) inHeader = false;
                --depth;
                continue;
            }
            if (token != QXmlStreamReader::StartElement) continue;
            ++depth;
            const auto name = xml_.name();
            if (depth == 1 && name != QLatin1String("datafile") && name != QLatin1String("mame"))
                return QStringLiteral("%1 no es un catálogo de ROM: su raíz es <%2>, y se espera "
                                      "<datafile> (Logiqx) o <mame>")
                    .arg(shown_, name.toString());
            if (name == QLatin1String("header")) {
                inHeader = true;
            } else if (inHeader && name == QLatin1String("name")) {
                const QString text = xml_.readElementText().trimmed();
                --depth;
                if (!text.isEmpty()) catalogue_.name = text;
            } else if (name == QLatin1String("game") || name == QLatin1String("machine") ||
                       name == QLatin1String("software")) {
                set_ = std::nullopt;
                setName_ = xml_.attributes().value(QLatin1String("name")).toString();
            } else if (name == QLatin1String("rom")) {
                if (const auto refusal = rom()) return *refusal;
            }
        }
        if (xml_.hasError())
            return QStringLiteral("%1 no es un XML válido: falla en la línea %2, columna %3")
                .arg(shown_)
                .arg(xml_.lineNumber())
                .arg(xml_.columnNumber());
        if (catalogue_.entries.empty())
            return QStringLiteral("%1 está vacío: no tiene ninguna ROM").arg(shown_);
        return std::move(catalogue_);
    }

  private:
    std::optional<QString> rom() {
        const QXmlStreamAttributes a = xml_.attributes();
        RomEntry entry;
        entry.rom = a.value(QLatin1String("name")).toString();
        bool ok = false;
        entry.size = a.value(QLatin1String("size")).toULongLong(&ok);
        if (!ok) return fault(QStringLiteral("la ROM %1 no tiene un tamaño válido").arg(entry.rom));
        const QString status = a.value(QLatin1String("status")).toString();
        if (status == QLatin1String("baddump")) entry.status = RomEntry::Status::BadDump;
        if (status == QLatin1String("nodump")) entry.status = RomEntry::Status::NoDump;
        if (a.hasAttribute(QLatin1String("crc")) && entry.status != RomEntry::Status::NoDump) {
            const auto crc = a.value(QLatin1String("crc")).toUInt(&ok, 16);
            if (!ok) return fault(QStringLiteral("la ROM %1 no tiene un CRC válido").arg(entry.rom));
            entry.crc = crc;
        }
        if (a.hasAttribute(QLatin1String("sha1")) && entry.status != RomEntry::Status::NoDump) {
            entry.sha1 = QByteArray::fromHex(a.value(QLatin1String("sha1")).toLatin1());
            if (entry.sha1.size() != kSha1Bytes)
                return fault(QStringLiteral("la ROM %1 no tiene un SHA-1 válido").arg(entry.rom));
        }
        if (!entry.crc && entry.status != RomEntry::Status::NoDump)
            entry.status = RomEntry::Status::NoDump;
        if (!set_) {
            set_ = std::uint32_t(catalogue_.sets.size());
            catalogue_.sets.push_back(setName_);
        }
        entry.set = *set_;
        catalogue_.entries.push_back(std::move(entry));
        return std::nullopt;
    }

    QString fault(const QString& what) const {
        return QStringLiteral("%1, línea %2: %3").arg(shown_).arg(xml_.lineNumber()).arg(what);
    }

    QXmlStreamReader xml_;
    QString shown_;
    RomCatalogue catalogue_;
    QString setName_;
    std::optional<std::uint32_t> set_;
};

QString indexPathOf(const QString& path) {
    return path + QStringLiteral(".indice");
}

// The index beside a catalogue, when it was made from this very file.
std::optional<RomCatalogue> readIndex(const QString& path, const QFileInfo& source) {
    // Only a file of our own making: no link, and counts bounded by its size.
    const QFileInfo index(indexPathOf(path));
    if (index.isSymLink() || !index.isFile()) return std::nullopt;
    QFile file(index.filePath());
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const qint64 most = file.size() / kLeastRecordBytes;
    QDataStream in(&file);
    quint32 magic = 0, version = 0;
    qint64 size = 0, time = 0;
    in >> magic >> version >> size >> time;
    if (magic != kIndexMagic || version != kIndexVersion || size != source.size() ||
        time != source.lastModified().toMSecsSinceEpoch())
        return std::nullopt;
    RomCatalogue catalogue;
    quint32 sets = 0, entries = 0;
    in >> catalogue.name >> sets;
    if (in.status() != QDataStream::Ok || sets > most) return std::nullopt;
    catalogue.sets.resize(sets);
    for (QString& set : catalogue.sets) in >> set;
    in >> entries;
    if (in.status() != QDataStream::Ok || entries > most) return std::nullopt;
    catalogue.entries.resize(entries);
    for (RomEntry& e : catalogue.entries) {
        quint8 status = 0, hasCrc = 0;
        quint64 romSize = 0;
        quint32 crc = 0;
        in >> e.set >> e.rom >> romSize >> hasCrc >> crc >> e.sha1 >> status;
        e.size = romSize;
        if (hasCrc) e.crc = crc;
        e.status = RomEntry::Status(std::min<quint8>(status, 2));
        if (e.set >= sets) return std::nullopt;
    }
    if (in.status() != QDataStream::Ok) return std::nullopt;
    catalogue.fromIndex = true;
    return catalogue;
}

void writeIndex(const QString& path, const QFileInfo& source, const RomCatalogue& catalogue) {
    // A link there may point at anyone's file: the index is not written.
    if (QFileInfo(indexPathOf(path)).isSymLink()) return;
    QSaveFile file(indexPathOf(path));
    if (!file.open(QIODevice::WriteOnly)) return;
    QDataStream out(&file);
    out << kIndexMagic << kIndexVersion << qint64(source.size())
        << qint64(source.lastModified().toMSecsSinceEpoch()) << catalogue.name
        << quint32(catalogue.sets.size());
    for (const QString& set : catalogue.sets) out << set;
    out << quint32(catalogue.entries.size());
    for (const RomEntry& e : catalogue.entries)
        out << e.set << e.rom << quint64(e.size) << quint8(e.crc.has_value())
            << quint32(e.crc.value_or(0)) << e.sha1 << quint8(e.status);
    if (out.status() == QDataStream::Ok) file.commit();
}

std::variant<QByteArray, QString> catalogueBytes(const QString& path, const QString& shownName) {
    if (path.toLower().endsWith(QLatin1String(".zip"))) {
        const ZipArchive zip(path);
        if (zip.refusal()) return QStringLiteral("%1 %2").arg(shownName, *zip.refusal());
        for (const ZipArchive::Member& member : zip.members()) {
            if (!isCatalogueName(member.name)) continue;
            if (auto bytes = zip.read(member, kLargestCatalogue)) return *bytes;
            return QStringLiteral("%1: no se pudo leer %2 dentro del zip").arg(shownName, member.name);
        }
        return QStringLiteral("%1 no tiene ningún .dat ni .xml dentro").arg(shownName);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.error() == QFileDevice::PermissionsError
                   ? QStringLiteral("No se puede leer %1: no hay permiso").arg(shownName)
                   : QStringLiteral("No se puede abrir %1").arg(shownName);
    if (std::uint64_t(file.size()) > kLargestCatalogue)
        return QStringLiteral("%1 pasa de 1 GiB: no es un catálogo").arg(shownName);
    return file.readAll();
}
}  // namespace

std::vector<const RomEntry*> RomCatalogue::find(std::uint64_t size, std::uint32_t crc) const {
    std::vector<const RomEntry*> found;
    const auto [first, last] = byKey_.equal_range(keyOf(size, crc));
    for (auto it = first; it != last; ++it) {
        const RomEntry& entry = entries[it->second];
        if (entry.size == size && entry.crc == crc) found.push_back(&entry);
    }
    return found;
}

std::size_t RomCatalogue::noDumps(std::uint64_t size) const {
    const auto it = noDumps_.find(size);
    return it == noDumps_.end() ? 0 : it->second;
}

void RomCatalogue::index() {
    byKey_.clear();
    sizes_.clear();
    noDumps_.clear();
    byKey_.reserve(entries.size());
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        const RomEntry& entry = entries[i];
        ++sizes_[entry.size];
        if (entry.crc)
            byKey_.emplace(keyOf(entry.size, *entry.crc), i);
        else
            ++noDumps_[entry.size];
    }
}

std::variant<RomCatalogue, QString> parseCatalogue(const QByteArray& xml, const QString& shownName) {
    auto read = Reader(xml, shownName).read();
    if (auto* catalogue = std::get_if<RomCatalogue>(&read)) catalogue->index();
    return read;
}

std::variant<RomCatalogue, QString> loadCatalogue(const QString& path, bool useIndex) {
    const QFileInfo source(path);
    const QString shownName = source.fileName();
    if (!source.exists()) return QStringLiteral("No existe el catálogo %1").arg(path);
    // A FIFO or a device would be read without end, a folder not at all.
    if (!source.isFile())
        return QStringLiteral("El catálogo %1 no es un archivo normal").arg(path);
    if (useIndex)
        if (auto indexed = readIndex(path, source)) {
            indexed->path = path;
            indexed->index();
            return std::move(*indexed);
        }
    auto bytes = catalogueBytes(path, shownName);
    if (auto* refusal = std::get_if<QString>(&bytes)) return *refusal;
    auto parsed = parseCatalogue(std::get<QByteArray>(bytes), shownName);
    if (auto* catalogue = std::get_if<RomCatalogue>(&parsed)) {
        catalogue->path = path;
        if (useIndex) writeIndex(path, source, *catalogue);
    }
    return parsed;
}

QString catalogueFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/programador/catalogos");
}

QStringList cataloguesIn(const QString& folder) {
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("*.dat"), QStringLiteral("*.xml"), QStringLiteral("*.zip"),
                        QStringLiteral("*.DAT"), QStringLiteral("*.XML"), QStringLiteral("*.ZIP")},
                       QDir::Files | QDir::Readable, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

}  // namespace chip
