#include <QTest>

#include "tests/support/SocketRig.h"

using Finding = chip::SocketReport::Finding;
using Verdict = chip::SocketReport::Verdict;

namespace {
constexpr std::uint8_t kTypes[] = {0, 1, 2, 3, 4};
constexpr int kImages = 25;
}  // namespace

// The look at the socket before an operation: a chip that is there and
// healthy passes whatever it holds, a read writes nothing, and each fault
// the emulation models is named with its line.
class SocketTest : public QObject {
    Q_OBJECT

  private slots:
    void healthyChipsPassAndAReadWritesNothing() {
        QRandomGenerator random(21);
        for (const std::uint8_t tipo : kTypes)
            for (int round = 0; round < kImages; ++round) {
                const bool programmed = round % 2;
                SocketRig rig(tipo, chipImage(random, memoryType(tipo).maxdir + 1, tipo, programmed));
                const std::vector<std::uint8_t> wanted =
                    chipImage(random, rig.size(), tipo, true);
                const auto read = rig.check(false);
                QVERIFY2(!read.refused(), qPrintable(read.text));
                QCOMPARE(rig.programmer.firmware().writesApplied() +
                             rig.programmer.firmware().writesIgnored(),
                         0);
                QCOMPARE(read.writes, 0);
                const auto write = rig.check(true, wanted);
                QVERIFY2(!write.refused(), qPrintable(write.text));
                QVERIFY2(write.wireMs(tipo) <= 1000, qPrintable(QString::number(write.wireMs(tipo))));
                QVERIFY(read.wireMs(tipo) <= 1000);
                // Only a blank chip's read cannot tell an empty socket from it.
                QCOMPARE(read.verdict == Verdict::CannotTell, !programmed && tipo >= kTipoEeprom);
            }
    }

    void patternsStayWhereTheOperationWrites() {
        QRandomGenerator random(5);
        const auto before = chipImage(random, 8192, 1, true);
        SocketRig rig(1, before);
        chip::SocketRequest request{1, true, 0x100, 0x1FF};
        request.written = [](std::uint32_t a) { return a % 2 == 0; };
        request.at = [](std::uint32_t) { return chip::Step::Continue; };
        request.addressText = [](std::uint32_t a) { return QString::number(a); };
        QVERIFY(!chip::checkSocket(rig.access, request).refused());
        int changed = 0;
        for (std::uint32_t a = 0; a < 8192; ++a) {
            const std::uint8_t now = rig.programmer.firmware().peek(Chip::Sram28, a);
            if (now == before[a]) continue;
            ++changed;
            QVERIFY2(a >= 0x100 && a <= 0x1FF && a % 2 == 0, qPrintable(QString::number(a, 16)));
        }
        QVERIFY(changed > 0);
        // ESC during the check ends it as an interruption, with the cancel run.
        SocketRig cancelled(4, chipImage(random, 131072, 4, true));
        request = {4, false, 0, 131071};
        request.at = [](std::uint32_t a) { return a > 0 ? chip::Step::Cancel : chip::Step::Continue; };
        request.addressText = [](std::uint32_t a) { return QString::number(a); };
        const auto report = chip::checkSocket(cancelled.access, request);
        QCOMPARE(report.outcome.end, chip::Outcome::End::Interrupted);
        QVERIFY(!report.refused());
    }

    void eachFaultIsNamed() {
        QRandomGenerator random(3);
        const auto named = [&](std::uint8_t tipo, bool programmed, const QString& fault,
                               bool writes) {
            SocketRig rig(tipo, chipImage(random, memoryType(tipo).maxdir + 1, tipo, programmed),
                          fault, random.generate());
            return rig.check(writes, chipImage(random, rig.size(), tipo, true));
        };
        for (const std::uint8_t tipo : kTypes)
            for (const bool writes : {false, true}) {
                const auto floating = named(tipo, true, "vacio", writes);
                QCOMPARE(floating.finding, Finding::Floating);
                QVERIFY(floating.text.startsWith("No hay memoria en el zócalo, o hace mal contacto"));
            }
        for (const std::uint8_t tipo : {0, 1}) {
            QCOMPARE(named(tipo, false, "vacio-ff", true).finding, Finding::Absent);
            for (int bit = 0; bit < 8; ++bit)
                for (const int value : {0, 1}) {
                    const auto stuck =
                        named(tipo, true, QStringLiteral("bit=%1:%2").arg(bit).arg(value), true);
                    QCOMPARE(stuck.finding, Finding::StuckBit);
                    QVERIFY2(stuck.text.contains(QStringLiteral("D%1 vale siempre %2").arg(bit).arg(value)),
                             qPrintable(stuck.text));
                }
            for (int lines = 4; lines < (tipo ? 13 : 10); ++lines) {
                const auto smaller = named(tipo, true, QStringLiteral("menor=%1").arg(lines), true);
                QCOMPARE(smaller.finding, Finding::Smaller);
                QVERIFY(smaller.text.startsWith(
                    QStringLiteral("La línea de dirección A%1 no cambia nada").arg(lines)));
                QVERIFY(smaller.text.contains(QStringLiteral("como una de %1 bytes").arg(1 << lines)));
            }
        }
        // One line held low, the lines above it working: named, with no size claimed.
        SocketRig low(1, chipImage(random, 8192, 1, true));
        low.programmer.firmware().setAddressLineLow(3);
        const auto held = low.check(true, chipImage(random, 8192, 1, true));
        QCOMPARE(held.finding, Finding::Smaller);
        QVERIFY2(held.text.startsWith("La línea de dirección A3 no cambia nada: escribir en 0x0008 "
                                      "cambió 0x0000 (¿A3 sin conectar o pegada?)"),
                 qPrintable(held.text));
        // A 28c64 that keeps its bytes is protected, not dead; blank, it may also be absent.
        const auto kept = named(2, true, "protegida", true);
        QCOMPARE(kept.finding, Finding::Protected);
        QVERIFY(kept.text.endsWith(chip::kEepromProtegida));
        QVERIFY(!kept.text.contains("no haya memoria"));
        const auto blank = named(2, false, "vacio-ff", true);
        QCOMPARE(blank.finding, Finding::Protected);
        QVERIFY(blank.text.contains("puede que no haya memoria en el zócalo (el bus lee FF)"));
        // Held high, an empty PROM socket reads as an erased chip: said, not refused.
        for (const std::uint8_t tipo : {2, 3, 4}) {
            const auto erased = named(tipo, true, "vacio-ff", false);
            QCOMPARE(erased.verdict, Verdict::CannotTell);
            QVERIFY(erased.text.contains("no se distinguen"));
        }
    }
};

QTEST_GUILESS_MAIN(SocketTest)
#include "test_socket.moc"
