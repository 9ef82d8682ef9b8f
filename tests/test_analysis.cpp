#include <QRandomGenerator>
#include <QTest>

#include "chip/DumpAnalysis.h"

using chip::Finding;

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes randomImage(QRandomGenerator& random, std::size_t size) {
    Bytes bytes(size);
    for (auto& b : bytes) b = std::uint8_t(random.bounded(256));
    return bytes;
}

QStringList texts(const std::vector<Finding>& findings, Finding::Kind kind) {
    QStringList found;
    for (const Finding& f : findings)
        if (f.kind == kind) found << f.text;
    return found;
}

bool any(const std::vector<Finding>& findings, Finding::Kind kind) {
    return !texts(findings, kind).isEmpty();
}
}  // namespace

// What a dump's bytes alone say: each fault leaves its signature, and data
// that merely repeats or is blank is not taken for one.
class AnalysisTest : public QObject {
    Q_OBJECT

  private slots:
    void healthyImagesRaiseNoLineFault() {
        QRandomGenerator random(7);
        for (int round = 0; round < 200; ++round) {
            const std::size_t size = std::size_t{1024} << random.bounded(8);
            Bytes image = randomImage(random, size);
            // Free space at the end, as real images have.
            std::fill(image.begin() + std::ptrdiff_t(size / 2), image.end(), 0xFF);
            const auto findings = chip::analyzeDump(image);
            QVERIFY(!any(findings, Finding::Kind::StuckBit));
            QVERIFY(!any(findings, Finding::Kind::AddressLine));
            QVERIFY(!any(findings, Finding::Kind::Smaller));
            QCOMPARE(texts(findings, Finding::Kind::Blank).size(), 1);
        }
        // Blank or constant data repeats without meaning anything.
        QCOMPARE(chip::analyzeDump(Bytes(8192, 0xFF)).size(), std::size_t{1});
        QVERIFY(chip::analyzeDump(Bytes(8192, 0xFF))
                    .front()
                    .text.contains(QStringLiteral("los bytes no lo distinguen")));
        QVERIFY(chip::analyzeDump(Bytes(4096, 0x5A)).front().text.contains(QStringLiteral("0x5A")));
        QCOMPARE(chip::analysisSummary({}), QStringLiteral("Análisis: sin hallazgos"));
    }

    void eachFaultLeavesItsSignature() {
        QRandomGenerator random(11);
        for (int round = 0; round < 50; ++round) {
            // A data line stuck at 0 or 1.
            const int line = int(random.bounded(8));
            const bool high = random.bounded(2) == 1;
            Bytes stuck = randomImage(random, 8192);
            for (auto& b : stuck) b = high ? b | (1u << line) : b & ~(1u << line);
            QCOMPARE(
                texts(chip::analyzeDump(stuck), Finding::Kind::StuckBit),
                QStringList{QStringLiteral("bits fijos: D%1 vale siempre %2 en los 8192 "
                                           "bytes con datos: ¿línea de datos D%1 pegada a "
                                           "%2, o su patita sin contacto en el zócalo? "
                                           "Revise la patita de D%1")
                                .arg(line)
                                .arg(high ? 1 : 0) +
                            (line == 7 && !high ? QStringLiteral(" (o los datos son texto ASCII)")
                                                : QString())});

            // A chip with fewer address lines than the type: the image repeats.
            const Bytes half = randomImage(random, 32768);
            Bytes twice = half;
            twice.insert(twice.end(), half.begin(), half.end());
            QCOMPARE(texts(chip::analyzeDump(twice), Finding::Kind::Smaller),
                     QStringList{QStringLiteral("la segunda mitad repite la primera (¿línea de "
                                                "dirección A15 sin conectar, o memoria de menos "
                                                "capacidad?)")});
            Bytes quarters;
            const Bytes quarter = randomImage(random, 2048);
            for (int i = 0; i < 4; ++i)
                quarters.insert(quarters.end(), quarter.begin(), quarter.end());
            QVERIFY(
                texts(chip::analyzeDump(quarters), Finding::Kind::Smaller)
                    .value(0)
                    .startsWith(QStringLiteral("la imagen se repite cada 2048 bytes (4 copias)")));

            // A middle address line that does not switch.
            const int k = 3 + int(random.bounded(8));
            Bytes open = randomImage(random, 16384);
            for (std::size_t a = 0; a < open.size(); ++a)
                open[a] = open[a & ~(std::size_t{1} << k)];
            const QStringList lines = texts(chip::analyzeDump(open), Finding::Kind::AddressLine);
            QCOMPARE(lines.size(), 1);
            QVERIFY(lines.front().contains(QStringLiteral("A%1 no cambia nada").arg(k)));
            QVERIFY(!any(chip::analyzeDump(open), Finding::Kind::StuckBit));
        }
    }

    void readsThatDisagreeNameTheirLines() {
        QRandomGenerator random(3);
        const Bytes first = randomImage(random, 1024);
        Bytes second = first;
        second[0x123] ^= 0x04;
        second[0x200] ^= 0x04;
        const auto findings = chip::compareReads({first, first, second});
        QCOMPARE(findings.size(), std::size_t{2});
        QCOMPARE(findings[0].text, QStringLiteral("las 3 lecturas no coinciden en 2 direcciones: "
                                                  "¿zócalo vacío, bus flotante o mal contacto?"));
        QCOMPARE(findings[1].text, QStringLiteral("D2 cambió entre lecturas en 2 direcciones (la "
                                                  "primera 0x0123): revise el contacto de D2"));
        QVERIFY(chip::compareReads({first, first}).empty());
        // A range read from 0x1000 names the chip's own addresses.
        QVERIFY(chip::compareReads({first, second}, QStringLiteral("0x"), 0x1000)[1].text.contains(
            QStringLiteral("la primera 0x1123")));
        QCOMPARE(chip::analysisSummary(findings), QStringLiteral("Análisis: 2 avisos"));
    }
};

QTEST_APPLESS_MAIN(AnalysisTest)
#include "test_analysis.moc"
