// One whole working session, end to end: start, read, program, save, open,
// compare, exit. The sanitizer build runs it under LeakSanitizer.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/Unit3.h"
#include "tests/support/ByteText.h"
#include "tests/support/Rig.h"
#include "view/Unit2.h"

class ScenarioTest : public QObject {
    Q_OBJECT

  private slots:
    void aWorkingSession() {
        QTemporaryDir folder;
        const QString image = folder.filePath("chip1.mem");
        auto rig = std::make_unique<Rig>();
        rig->programa->run();
        rig->programa->Form3->Timer1Timer();
        Tform1& f = rig->form();
        QVERIFY(f.isVisible());
        rig->form().Timer1Timer();
        rig->memoryType(0);
        for (int a = 0; a < 1024; ++a)
            rig->programmer.firmware().poke(Chip::Sram24, a, std::uint8_t(a ^ 0x5A));

        rig->click(f.BitBtn2);  // read the chip
        QCOMPARE(f.imagen.cell(1, 1024), QString::number((1023 ^ 0x5A) & 0xFF));
        rig->dialogs.fileAnswers.push_back(image);
        f.Guardar1->trigger();

        f.imagen.setCell(1, 1, "200");
        rig->type(f.PLOT1, "0").type(f.PLOT2, "0").click(f.BitBtn5);  // program one address back
        QCOMPARE(rig->programmer.firmware().peek(Chip::Sram24, 0), 200);

        rig->dialogs.fileAnswers.push_back(image);
        rig->click(f.BitBtn3);  // the chip's saved image against the grid: one difference
        QCOMPARE(rig->programa->Form2->lista, std::vector<std::int32_t>{0});

        rig->dialogs.fileAnswers.push_back(image);
        f.Abrir1->trigger();
        QCOMPARE(f.imagen.cell(1, 1), QString::number(0x5A));
        QCOMPARE(f.windowTitle(), QStringLiteral("Programador de Memorias: T.VELAR -: chip1.mem"));

        QCOMPARE(rig->dialogs.messages, (QStringList{"Lectura Terminada", "Proceso Terminado",
                                                     "Existen  1  Dirreciones erradas"}));
        QVERIFY(rig->dialogs.errors.isEmpty());

        rig->click(f.BitBtn8);
        QCOMPARE(rig->platform.terminations, 1);
        const Bytes sent = rig->sent();
        QCOMPARE(Bytes(sent.end() - 2, sent.end()), (Bytes{8, 8}));
        rig.reset();
    }
};

QTEST_MAIN(ScenarioTest)
#include "test_scenario.moc"
