// Figures of identification: a catalogue of 80,000 ROMs loaded from its XML
// and from the index beside it, and a whole 27c010 image sought in it.
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "bench/Figures.h"
#include "chip/RomIdentify.h"

namespace {
constexpr int kEntries = 80000;
constexpr int kRomsPerSet = 4;
constexpr int kRuns = 5;

// A Logiqx datafile as large collections are: sets of a few ROMs, each with
// its size, CRC-32 and SHA-1.
QByteArray generatedCatalogue() {
    QRandomGenerator random(80);
    QByteArray xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE datafile>\n<datafile>\n<header><name>"
                     "Generado</name><version>1</version></header>\n";
    xml.reserve(kEntries * 160);
    for (int set = 0; set < kEntries / kRomsPerSet; ++set) {
        xml += "\t<game name=\"set" + QByteArray::number(set) + "\">\n\t\t<description>Set " +
               QByteArray::number(set) + "</description>\n";
        for (int rom = 0; rom < kRomsPerSet; ++rom) {
            QByteArray sha1(20, '\0');
            for (char& c : sha1) c = char(random.bounded(256));
            xml += "\t\t<rom name=\"set" + QByteArray::number(set) + "." + QByteArray::number(rom) +
                   "\" size=\"" + QByteArray::number(1024 << random.bounded(8)) + "\" crc=\"" +
                   QByteArray::number(random.generate(), 16).rightJustified(8, '0') +
                   "\" sha1=\"" + sha1.toHex() + "\"/>\n";
        }
        xml += "\t</game>\n";
    }
    return xml + "</datafile>\n";
}
}  // namespace

void identification(const QString& folder) {
    const QString path = folder + QStringLiteral("/generado.dat");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(generatedCatalogue());
    file.close();
    std::vector<double> first, cached;
    std::size_t entries = 0;
    for (int i = 0; i < kRuns; ++i) {
        QFile::remove(path + QStringLiteral(".indice"));
        first.push_back(elapsedMs([&] { entries = std::get<chip::RomCatalogue>(chip::loadCatalogue(path)).entries.size(); }));
        cached.push_back(elapsedMs([&] { (void)chip::loadCatalogue(path); }));
    }
    report("identify_index_ms", entries == kEntries ? median(first) : -1, "ms");
    report("identify_cached_ms", median(cached), "ms");
    const chip::RomCatalogue catalogue = std::get<chip::RomCatalogue>(chip::loadCatalogue(path));
    std::vector<std::uint8_t> image(131072);
    for (std::size_t a = 0; a < image.size(); ++a) image[a] = std::uint8_t((a * 2654435761u) >> 24);
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) runs.push_back(elapsedMs([&] { (void)chip::identify(image, {catalogue}); }));
    report("identify_131072_ms", median(runs), "ms");
}
