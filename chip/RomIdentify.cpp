#include "chip/RomIdentify.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <set>
#include <zlib.h>

#include "chip/ZipArchive.h"

namespace chip {

namespace {
QString crcText(std::uint32_t crc) {
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

std::vector<std::uint8_t> every(const std::vector<std::uint8_t>& image, std::size_t step,
                                std::size_t first) {
    std::vector<std::uint8_t> lane;
    lane.reserve(image.size() / step);
    for (std::size_t a = first; a < image.size(); a += step) lane.push_back(image[a]);
    return lane;
}

std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& image, std::size_t first,
                                std::size_t count) {
    return {image.begin() + std::ptrdiff_t(first), image.begin() + std::ptrdiff_t(first + count)};
}

// A part's sums, each worked out once and only when a catalogue needs it.
class Sums {
  public:
    explicit Sums(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::uint32_t crc() {
        if (!crc_) crc_ = crc32Of(bytes_);
        return *crc_;
    }
    const QByteArray& sha1() {
        if (sha1_.isEmpty())
            sha1_ = QCryptographicHash::hash(
                QByteArrayView(reinterpret_cast<const char*>(bytes_.data()), qsizetype(bytes_.size())),
                QCryptographicHash::Sha1);
        return sha1_;
    }

  private:
    const std::vector<std::uint8_t>& bytes_;
    std::optional<std::uint32_t> crc_;
    QByteArray sha1_;
};

bool isConstant(const std::vector<std::uint8_t>& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [&](std::uint8_t b) { return b == bytes.front(); });
}

double shareEqual(const std::vector<std::uint8_t>& a, const QByteArray& b) {
    std::size_t equal = 0;
    for (std::size_t i = 0; i < a.size(); ++i) equal += a[i] == std::uint8_t(b[qsizetype(i)]);
    return a.empty() ? 0 : double(equal) / double(a.size());
}

// The files of the folder, and the members of its zips, of this size.
void forEachOfSize(const QString& folder, std::uint64_t size,
                   const std::function<void(const QString&, const QByteArray&)>& visit) {
    QDirIterator it(folder, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (path.toLower().endsWith(QLatin1String(".zip"))) {
            const ZipArchive zip(path);
            for (const ZipArchive::Member& member : zip.members())
                if (member.size == size)
                    if (const auto bytes = zip.read(member, size))
                        visit(path + u'/' + member.name, *bytes);
        } else if (std::uint64_t(info.size()) == size) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly)) visit(path, file.readAll());
        }
    }
}

std::optional<RomGuess> closest(const std::vector<std::uint8_t>& image,
                                const std::vector<RomCatalogue>& catalogues, const QString& folder) {
    std::optional<RomGuess> best;
    forEachOfSize(folder, image.size(), [&](const QString& file, const QByteArray& bytes) {
        const std::uint32_t crc = std::uint32_t(
            ::crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
        for (const RomCatalogue& catalogue : catalogues)
            for (const RomEntry* entry : catalogue.find(image.size(), crc)) {
                const double share = shareEqual(image, bytes);
                if (!best || share > best->share)
                    best = RomGuess{catalogue.name, catalogue.setOf(*entry), entry->rom, file, share};
            }
    });
    return best;
}
}  // namespace

std::uint32_t crc32Of(const std::vector<std::uint8_t>& bytes) {
    uLong crc = ::crc32(0, nullptr, 0);
    // zlib takes at most 4 GiB a call; a chip image is far below.
    return std::uint32_t(::crc32(crc, bytes.data(), uInt(bytes.size())));
}

std::vector<ImagePart> partsOf(const std::vector<std::uint8_t>& image) {
    const std::size_t n = image.size();
    std::vector<ImagePart> parts{{QStringLiteral("imagen entera"), image}};
    if (n >= 2 && n % 2 == 0) {
        std::vector<std::uint8_t> swapped = image;
        for (std::size_t a = 0; a + 1 < n; a += 2) std::swap(swapped[a], swapped[a + 1]);
        // Words of two equal bytes swap into the same image: nothing new to seek.
        if (swapped != image) parts.push_back({QStringLiteral("bytes intercambiados"), swapped});
        parts.push_back({QStringLiteral("primera mitad"), slice(image, 0, n / 2)});
        parts.push_back({QStringLiteral("segunda mitad"), slice(image, n / 2, n / 2)});
        parts.push_back({QStringLiteral("carril par"), every(image, 2, 0)});
        parts.push_back({QStringLiteral("carril impar"), every(image, 2, 1)});
    }
    if (n >= 4 && n % 4 == 0) {
        for (std::size_t q = 0; q < 4; ++q)
            parts.push_back({QStringLiteral("cuarto %1 de 4").arg(q + 1), slice(image, q * n / 4, n / 4)});
        for (std::size_t k = 0; k < 4; ++k)
            parts.push_back({QStringLiteral("carril %1 de 4").arg(k + 1), every(image, 4, k)});
    }
    return parts;
}

QString RomMatch::text(bool withCatalogue) const {
    QString line = QStringLiteral("%1 = set %2, rom %3 (CRC %4%5)")
                       .arg(part, set, rom, crcText(crc),
                            sha1Checked ? QStringLiteral(", SHA-1 igual") : QString());
    if (status == RomEntry::Status::BadDump)
        line += QStringLiteral(": el catálogo lo da como volcado malo (baddump)");
    if (withCatalogue) line += QStringLiteral(" [%1]").arg(catalogue);
    return line;
}

QStringList Identification::lines() const {
    QStringList lines;
    if (constant)
        return {QStringLiteral("La imagen vale %1 en todos sus bytes: no hay nada que identificar")
                    .arg(QStringLiteral("%1").arg(*constant, 2, 16, QLatin1Char('0')).toUpper())};
    for (const RomMatch& match : matches) lines << match.text(catalogues > 1);
    if (!matches.empty()) return lines;
    lines << QStringLiteral("Sin coincidencias: ninguna parte de la imagen está en %1 (%2)")
                 .arg(catalogues == 1 ? QStringLiteral("el catálogo")
                                      : QStringLiteral("los %1 catálogos").arg(catalogues))
                 .arg(entries == 1 ? QStringLiteral("1 ROM") : QStringLiteral("%1 ROM").arg(entries));
    if (noDumps == 1)
        lines << QStringLiteral("1 ROM del tamaño de la imagen o de una de sus partes no tiene "
                                "volcado (nodump): no se puede comparar");
    if (noDumps > 1)
        lines << QStringLiteral("%1 ROM del tamaño de la imagen o de sus partes no tienen volcado "
                                "(nodump): no se pueden comparar")
                     .arg(noDumps);
    if (guess)
        lines << QStringLiteral("Lo más parecido, y es una suposición: set %1, rom %2, con el %3 % "
                                "de los bytes iguales (%4)")
                     .arg(guess->set, guess->rom,
                          QString::number(guess->share * 100, 'f', 1).replace(u'.', u','), guess->file);
    return lines;
}

Identification identify(const std::vector<std::uint8_t>& image,
                        const std::vector<RomCatalogue>& catalogues, const QString& romFolder) {
    Identification result;
    result.catalogues = catalogues.size();
    std::set<std::size_t> sizes;
    for (const ImagePart& part : partsOf(image)) sizes.insert(part.bytes.size());
    for (const RomCatalogue& catalogue : catalogues) {
        result.entries += catalogue.entries.size();
        for (const std::size_t size : sizes) result.noDumps += catalogue.noDumps(size);
    }
    if (!image.empty() && isConstant(image)) {
        // Blank or zero: a catalogue's blank entry would match, and say nothing.
        result.constant = image.front();
        return result;
    }
    for (const ImagePart& part : partsOf(image)) {
        if (isConstant(part.bytes)) continue;
        Sums sums(part.bytes);
        for (const RomCatalogue& catalogue : catalogues) {
            if (!catalogue.hasSize(part.bytes.size())) continue;
            for (const RomEntry* entry : catalogue.find(part.bytes.size(), sums.crc())) {
                const bool sha1 = !entry->sha1.isEmpty();
                if (sha1 && entry->sha1 != sums.sha1()) continue;
                result.matches.push_back({part.name, catalogue.name, catalogue.setOf(*entry),
                                          entry->rom, entry->size, *entry->crc, sha1,
                                          entry->status});
            }
        }
    }
    if (result.matches.empty() && !romFolder.isEmpty())
        result.guess = closest(image, catalogues, romFolder);
    return result;
}

}  // namespace chip
