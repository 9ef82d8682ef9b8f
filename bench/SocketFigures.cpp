// Figures of the socket check: how often it names each fault it claims to
// find, how often it refuses a healthy chip, and the wire time it costs.
#include <QDir>
#include <QFile>
#include <cstdio>
#include <map>

#include "bench/Figures.h"
#include "chip/DumpAnalysis.h"
#include "image/ImageIo.h"
#include "tests/support/SocketRig.h"

namespace {
constexpr int kImages = 1000;
constexpr std::uint8_t kTypes[] = {0, 1, 2, 3, 4};
using Finding = chip::SocketReport::Finding;
using Bytes = std::vector<std::uint8_t>;

struct Claim {
    const char* kind;
    std::vector<std::uint8_t> types;
    std::vector<bool> writes;
};

// A fault of the kind, drawn for a type.
QString faultOf(const char* kind, std::uint8_t tipo, QRandomGenerator& random, int& line,
                int& value) {
    const QString name = QString::fromLatin1(kind);
    if (name == QLatin1String("bit")) {
        line = int(random.bounded(8));
        value = int(random.bounded(2));
        return QStringLiteral("bit=%1:%2").arg(line).arg(value);
    }
    if (name == QLatin1String("menor")) {
        int lines = 0;
        while ((1u << lines) <= memoryType(tipo).maxdir) ++lines;
        line = 4 + int(random.bounded(lines - 4));
        return QStringLiteral("menor=%1").arg(line);
    }
    return name;
}

// Whether the report names the fault that was set.
bool named(const char* kind, const chip::SocketReport& report, int line, int value) {
    const QString name = QString::fromLatin1(kind);
    if (!report.refused()) return false;
    if (name == QLatin1String("vacio")) return report.finding == Finding::Floating;
    if (name == QLatin1String("vacio-ff"))
        return report.finding == Finding::Absent ||
               report.text.contains(QStringLiteral("no haya memoria en el zócalo"));
    if (name == QLatin1String("bit"))
        return report.finding == Finding::StuckBit &&
               report.text.contains(QStringLiteral("D%1 vale siempre %2").arg(line).arg(value));
    if (name == QLatin1String("menor"))
        return report.finding == Finding::Smaller &&
               report.text.contains(QStringLiteral("línea de dirección A%1 ").arg(line));
    return report.finding == Finding::Protected && report.text.contains(chip::kEepromProtegida);
}

void detection() {
    const Claim claims[] = {{"vacio", {0, 1, 2, 3, 4}, {false, true}},
                            {"vacio-ff", {0, 1, 2}, {true}},
                            {"bit", {0, 1}, {true}},
                            {"menor", {0, 1}, {true}},
                            {"protegida", {2}, {true}}};
    QRandomGenerator random(34);
    for (const Claim& claim : claims) {
        int cases = 0, found = 0;
        for (const std::uint8_t tipo : claim.types)
            for (const bool writes : claim.writes)
                for (const bool programmed : {false, true})
                    for (int i = 0; i < kImages; ++i) {
                        int line = 0, value = 0;
                        const QString fault = faultOf(claim.kind, tipo, random, line, value);
                        const std::uint32_t size = memoryType(tipo).maxdir + 1;
                        SocketRig rig(tipo, chipImage(random, size, tipo, programmed), fault,
                                      random.generate());
                        ++cases;
                        found += named(claim.kind, rig.check(writes, chipImage(random, size, tipo, true)),
                                       line, value);
                    }
        report(qPrintable(QStringLiteral("socket_detection_%1").arg(claim.kind)),
               double(found) / cases, "share");
    }
    // Held high, an empty socket reads as an erased PROM: the check must say
    // it cannot tell (not counted as found above).
    int said = 0, cases = 0;
    for (const std::uint8_t tipo : {2, 3, 4})
        for (int i = 0; i < kImages / 10; ++i) {
            SocketRig rig(tipo, chipImage(random, memoryType(tipo).maxdir + 1, tipo, false),
                          QStringLiteral("vacio-ff"));
            ++cases;
            said += rig.check(false).verdict == chip::SocketReport::Verdict::CannotTell;
        }
    report("socket_cannot_tell_said", double(said) / cases, "share");
}

// The images of the test fixtures, as bytes from address 0.
std::vector<Bytes> fixtureImages() {
    std::vector<Bytes> images;
    const QDir folder(QStringLiteral(FIXTURES_DIR));
    for (const QString& name : folder.entryList(QDir::Files)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray bytes = file.readAll();
        const auto format = image::formatOf(name, bytes);
        if (!format) continue;
        const auto read = image::readFileMap(*format, bytes);
        const auto* map = std::get_if<image::MapRead>(&read);
        if (!map || map->fault || map->map.empty()) continue;
        Bytes image(std::size_t(map->map.highest()) + 1, 0xFF);
        map->map.forEach([&](std::uint64_t a, std::uint8_t b) { image[a] = b; });
        images.push_back(image);
    }
    return images;
}

// Healthy chips: random images on every type, and each fixture on every
// type it fits, read and written. Content warnings are counted apart.
void falseAlarms() {
    QRandomGenerator random(35);
    int refused = 0, checks = 0, warned = 0, analysed = 0;
    std::map<std::uint8_t, double> wire;
    const auto judge = [&](std::uint8_t tipo, const Bytes& chip, const Bytes& wanted) {
        for (const bool writes : {false, true}) {
            SocketRig rig(tipo, chip);
            const auto result = rig.check(writes, wanted);
            ++checks;
            refused += result.refused();
            wire[tipo] = std::max(wire[tipo], result.wireMs(tipo));
        }
        ++analysed;
        warned += !chip::analyzeDump(chip).empty();
    };
    for (const std::uint8_t tipo : kTypes)
        for (int i = 0; i < kImages; ++i) {
            const std::uint32_t size = memoryType(tipo).maxdir + 1;
            judge(tipo, chipImage(random, size, tipo, i % 2), chipImage(random, size, tipo, true));
        }
    const std::vector<Bytes> fixtures = fixtureImages();
    for (const Bytes& fixture : fixtures)
        for (const std::uint8_t tipo : kTypes) {
            const std::uint32_t size = memoryType(tipo).maxdir + 1;
            if (fixture.size() > size) continue;
            Bytes image = fixture;
            image.resize(size, hasErasedState(tipo) ? 0xFF : 0x00);
            judge(tipo, image, image);
        }
    report("socket_false_alarms", refused, "checks");
    std::printf("socket_false_alarm_checks: %d (with %zu fixtures)\n", checks, fixtures.size());
    std::printf("socket_content_warnings: %d of %d images\n", warned, analysed);
    for (const auto& [tipo, ms] : wire)
        report(qPrintable(QStringLiteral("socket_check_ms_%1").arg(memoryTypeName(tipo))), ms, "ms");
}
}  // namespace

void socketCheck() {
    detection();
    falseAlarms();
}
