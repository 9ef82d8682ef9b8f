#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "operations/OperationFrame.h"
#include "operations/ProgressLine.h"
#include "tests/support/ByteText.h"
#include "tests/support/Rig.h"

namespace {
// What the line showed each time it was repainted, with the virtual time.
struct Shown {
    QString state;
    QString times;
    std::int64_t current;
    std::optional<std::int64_t> remainingNs;
    std::int64_t atNs;
    double fraction;
};

struct Watch {
    explicit Watch(Rig& rig) : rig(rig) {
        QObject::connect(&rig.form().marco.progress, &Progress::changed, [this] {
            const Progress& p = this->rig.form().marco.progress;
            if (!p.shown()) return;
            const ProgressLine& line = *this->rig.form().progreso;
            shown.push_back({line.stateText(), line.timeText(), p.current(), p.remainingNs(),
                             this->rig.platform.now, p.fraction()});
            if (onShown) onShown(shown.size());
        });
    }
    Rig& rig;
    std::vector<Shown> shown;
    std::function<void(std::size_t)> onShown;
};
}  // namespace

class ProgressTest : public QObject {
    Q_OBJECT

  private slots:
    void durations() {
        QCOMPARE(formatDuration(0), QStringLiteral("00:00"));
        QCOMPARE(formatDuration(59'600'000'000), QStringLiteral("01:00"));
        QCOMPARE(formatDuration(std::int64_t{3599} * 1'000'000'000), QStringLiteral("59:59"));
        QCOMPARE(formatDuration(std::int64_t{3 * 3600 + 62} * 1'000'000'000),
                 QStringLiteral("3:01:02"));
    }

    void aReadOnAPacedLink() {
        Rig rig;
        rig.ready();
        rig.programmer.setFullSpeedFrames(true);
        Tform1& f = rig.form();
        f.Hexadecimal1->trigger();
        Watch watch(rig);
        rig.click(f.BitBtn2);
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        const std::int64_t endNs = rig.platform.now;

        // 8192 addresses of 4 reports, one per 1 ms frame: some 33 s, shown
        // about ten times a second.
        QVERIFY(endNs > 32'000'000'000);
        QVERIFY(watch.shown.size() <= std::size_t(endNs / Progress::kRepaintNs) + 3);
        QVERIFY(watch.shown.size() >= std::size_t(endNs / Progress::kRepaintNs) - 3);
        QCOMPARE(watch.shown.front().state, QStringLiteral("Leyendo dirección 0 de 0 a 1FFF"));
        QCOMPARE(watch.shown.front().times, QStringLiteral("Transcurrido 00:00 · Restante --:--"));

        const auto tenth = std::find_if(watch.shown.begin(), watch.shown.end(),
                                        [](const Shown& s) { return s.current >= 8192 / 10; });
        QVERIFY(tenth != watch.shown.end() && tenth->remainingNs);
        const double actual = double(endNs - tenth->atNs);
        QVERIFY2(std::abs(double(*tenth->remainingNs) - actual) <= 0.1 * actual,
                 qPrintable(tenth->times));
        QCOMPARE(tenth->state, QStringLiteral("Leyendo dirección %1 de 0 a 1FFF")
                                   .arg(QString::number(tenth->current, 16).toUpper()));
        QVERIFY(tenth->fraction > 0.09 && tenth->fraction < 0.11);
        // Steady: between two repaints the time left falls by the time that
        // passed, give or take a second.
        for (std::size_t i = 1; i + 1 < watch.shown.size(); ++i) {
            const Shown& before = watch.shown[i - 1];
            const Shown& now = watch.shown[i];
            QVERIFY(now.current >= before.current);
            if (!before.remainingNs || !now.remainingNs || before.current < 8192 / 20) continue;
            const std::int64_t fell = *before.remainingNs - *now.remainingNs;
            QVERIFY(std::abs(fell - (now.atNs - before.atNs)) < 1'000'000'000);
        }

        QCOMPARE(f.progreso->stateText(), QStringLiteral("Terminado: 8192 direcciones en 00:33"));
        QCOMPARE(f.progreso->timeText(), QStringLiteral("Transcurrido 00:33"));
        QCOMPARE(f.progreso->bar->value(), f.progreso->bar->maximum());
        QVERIFY(!f.progreso->cancelar->isEnabled());
    }

    void programmingThenVerifying() {
        Rig rig;
        rig.ready().memoryType(0);
        Watch watch(rig);
        bool cancelEnabled = false;
        watch.onShown = [&](std::size_t) {
            cancelEnabled |= rig.form().progreso->cancelar->isEnabled();
        };
        rig.click(rig.form().BitBtn1);
        QCOMPARE(rig.dialogs.messages, QStringList{"Proceso Terminado"});
        QVERIFY(cancelEnabled);
        const auto verifying = std::find_if(
            watch.shown.begin(), watch.shown.end(),
            [](const Shown& s) { return s.state.startsWith(QStringLiteral("Verificando")); });
        QVERIFY(verifying != watch.shown.end());
        QVERIFY(watch.shown.front().state.startsWith(
            QStringLiteral("Programando dirección 0 de 0 a 1023")));
        // A programmed and verified address costs twice a verified one.
        QCOMPARE(verifying->fraction, 2.0 / 3.0);
        QVERIFY(rig.form().progreso->stateText().startsWith(
            QStringLiteral("Terminado: 1024 direcciones en")));

        // A chip that differs afterwards did not simply end.
        rig.programmer.firmware().setStuckBits(Chip::Sram24, 9, 0x01, 0x01);
        rig.dialogs.clear();
        rig.click(rig.form().BitBtn1);
        QCOMPARE(rig.dialogs.messages.value(0), kErrorProgramacion);
        QVERIFY(rig.form().progreso->stateText().startsWith(
            QStringLiteral("Terminado con errores: 1024 direcciones en")));
    }

    void cancelButtonAndOtherEnds() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        Watch watch(rig);
        rig.programmer.setFullSpeedFrames(true);
        // Pressed while the read runs: the next poll acts as on ESC.
        watch.onShown = [&](std::size_t count) {
            if (count == 3) QTest::mouseClick(f.progreso->cancelar, Qt::LeftButton);
        };
        rig.type(f.LLOT1, "0").type(f.LLOT2, "8191").click(f.BitBtn7);
        QCOMPARE(rig.dialogs.messages, QStringList{kInterrumpido});
        const Bytes sent = rig.sent();
        QCOMPARE(Bytes(sent.end() - 4, sent.end()), (Bytes{8, 8, 8, 8}));
        const std::int64_t stoppedAt = f.marco.progress.current();
        QCOMPARE(sent.size(), std::size_t(stoppedAt * 3 + 4));
        QCOMPARE(f.progreso->stateText(),
                 QStringLiteral("Interrumpido en la dirección %1").arg(stoppedAt));
        QVERIFY(!f.progreso->cancelar->isEnabled());

        // The next operation is not cancelled by that press.
        watch.onShown = nullptr;
        rig.programmer.setFullSpeedFrames(false);
        rig.dialogs.clear();
        rig.type(f.LLOT1, "0").type(f.LLOT2, "3").click(f.BitBtn7);
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});

        rig.dialogs.clear();
        rig.programmer.unplugAtReport(rig.programmer.reportsAttempted() + 4 * 7 + 1);
        rig.click(f.BitBtn2);
        // The report that did not go out may leave the programmer's parser
        // waiting: the line says so until it is plugged in again.
        QCOMPARE(f.progreso->stateText(), kQuedoAMitad);

        // A cell that does not convert ends it where it stands.
        rig.programmer.plug();
        rig.settle();
        QCOMPARE(f.progreso->stateText(),
                 QStringLiteral("Detenido en la dirección 7: el programador no respondió"));
        f.imagen.setCell(1, 6, QStringLiteral("zz"));
        rig.click(f.BitBtn1);
        QCOMPARE(f.progreso->stateText(),
                 QStringLiteral("Detenido en la dirección 5 por un error"));
        // A refused range shows nothing.
        rig.type(f.PLOT1, "0").type(f.PLOT2, "9000").click(f.BitBtn5);
        QCOMPARE(f.progreso->stateText(), QString());
    }
};

QTEST_MAIN(ProgressTest)
#include "test_progress.moc"
