#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "operations/OperationFrame.h"
#include "operations/Workbench.h"
#include "tests/support/ByteText.h"
#include "tests/support/Rig.h"
#include "view/Unit2.h"

namespace {
constexpr int kEeprom = 2;
constexpr int kProm512 = 3;

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The sequences of "Prom 27c512" (three address bytes) and "Eprom 28c64".
Bytes promWrite(std::uint8_t address, std::uint8_t data) {
    return {10, address, 0, 0, data};
}
Bytes promRead(std::uint8_t address) {
    return {11, address, 0, 0};
}
Bytes eepromWrite(std::uint8_t address, std::uint8_t data) {
    return {6, address, 0, data};
}
Bytes eepromRead(std::uint8_t address) {
    return {2, address, 0};
}

// The window with "Programación rápida" checked, a memory type chosen and
// the image's first addresses typed.
Tform1& fastWindow(Rig& rig, int tipo, const QStringList& image) {
    rig.ready().memoryType(tipo);
    Tform1& f = rig.form();
    f.ProgramacionRapida1->trigger();
    for (int a = 0; a < image.size(); ++a) f.imagen.setCell(1, a + 1, image[a]);
    rig.type(f.PLOT1, "0").type(f.PLOT2, QString::number(image.size() - 1));
    return f;
}
}  // namespace

// "Programación rápida": only the reports a chip needs, every byte proven.
class FastTest : public QObject {
    Q_OBJECT

  private slots:
    void aPromCheckedBeforeItIsProgrammed() {
        // Off at start: the specified operations are unchanged.
        QVERIFY(!Rig().form().ComprobarAntes1->isChecked());
        // On: a chip with 0 bits where the image needs 1 is refused, nothing written.
        Rig rig;
        Tform1& f = fastWindow(rig, kProm512, {"60", "60", "60", "60"});
        f.ComprobarAntes1->trigger();
        rig.programmer.firmware().insert(Chip::Prom27c512);
        rig.programmer.firmware().poke(Chip::Prom27c512, 2, 0x00);
        rig.click(f.BitBtn5);
        QCOMPARE(rig.dialogs.messages,
                 QStringList{"La memoria no admite la imagen: 1 dirección tiene a 0 bits que la "
                             "imagen pide a 1; la primera, 0x0002, vale 0x00 y la imagen pide "
                             "0x3C"});
        QCOMPARE(rig.programmer.firmware().writesApplied(), 0);
        QCOMPARE(rig.sent(), concat({promRead(0), promRead(1), promRead(2), promRead(3)}));
        // A cell that holds its byte is read, not written; the rest as usual.
        rig.programmer.firmware().poke(Chip::Prom27c512, 2, 60);
        rig.programmer.clearRecord();
        rig.dialogs.clear();
        rig.click(f.BitBtn5);
        QCOMPARE(rig.dialogs.messages, QStringList{"Proceso Terminado"});
        QCOMPARE(rig.sent(), concat({promRead(0), promRead(1), promRead(2), promRead(3),
                                     promWrite(0, 60), promRead(0), promWrite(1, 60), promRead(1),
                                     promWrite(3, 60), promRead(3), promRead(0), promRead(1),
                                     promRead(2), promRead(3)}));
    }

    void onlyTheReportsEachTypeNeeds() {
        // A PROM: FF is not written; the verify pass reads it.
        Rig prom;
        Tform1& p = fastWindow(prom, kProm512, {"18", "255", "255", "52"});
        QVERIFY(!Rig().form().ProgramacionRapida1->isChecked());  // off at start
        prom.click(p.BitBtn5);
        QCOMPARE(prom.dialogs.messages, QStringList{"Proceso Terminado"});
        QCOMPARE(prom.sent(), concat({promWrite(0, 18), promRead(0), promWrite(3, 52), promRead(3),
                                      promRead(0), promRead(1), promRead(2), promRead(3)}));

        // The EEPROM: read first; an equal byte is not written, a different
        // one written, paused and verified; the verify pass reads them all.
        Rig eeprom;
        eeprom.programmer.firmware().insert(Chip::Eprom28c64);
        eeprom.programmer.firmware().poke(Chip::Eprom28c64, 0, 18);
        Tform1& e = fastWindow(eeprom, kEeprom, {"18", "34"});
        eeprom.click(e.BitBtn5);
        QCOMPARE(eeprom.dialogs.messages, QStringList{"Proceso Terminado"});
        QCOMPARE(eeprom.sent(), concat({eepromRead(0), eepromRead(1), eepromWrite(1, 34),
                                        eepromRead(1), eepromRead(0), eepromRead(1)}));
        QCOMPARE(eeprom.platform.sleeps.size(), std::size_t{1});

        // Static RAMs and the full mode: as ever.
        for (bool fast : {true, false}) {
            Rig ram;
            ram.ready().memoryType(0);
            if (fast) ram.form().ProgramacionRapida1->trigger();
            ram.form().imagen.setCell(1, 1, QStringLiteral("255"));
            ram.type(ram.form().PLOT1, "0").type(ram.form().PLOT2, "0").click(ram.form().BitBtn5);
            QCOMPARE(ram.sent(), (Bytes{3, 0, 0, 255, 4, 0, 0, 4, 0, 0}));
        }
    }

    void aProgrammedCellUnderAnFFIsAMismatch() {
        Rig rig;
        rig.programmer.firmware().poke(Chip::Prom27c512, 1, 0x0F);
        Tform1& f = fastWindow(rig, kProm512, {"18", "255"});
        rig.click(f.BitBtn5);
        QCOMPARE(rig.dialogs.messages.value(0), kErrorProgramacion);
        TForm2& window = *rig.programa->Form2;
        QCOMPARE(window.grid.cell(TForm2::kFirstColumn, 2), QStringLiteral("255"));
        QCOMPARE(window.grid.cell(TForm2::kSecondColumn, 2), QStringLiteral("15"));
        // Nothing was written over it.
        QCOMPARE(rig.programmer.firmware().peek(Chip::Prom27c512, 1), 0x0F);
    }

    void aWriteThatLandsElsewhereIsSeen() {
        // The EEPROM holds the image already, but A4 is held low: the upper
        // addresses read the lower cells, differ, and are written over them.
        Rig rig;
        QStringList image;
        for (int a = 0; a < 32; ++a) image << QString::number(a + 100);
        rig.programmer.firmware().insert(Chip::Eprom28c64);
        for (int a = 0; a < 32; ++a)
            rig.programmer.firmware().poke(Chip::Eprom28c64, a, std::uint8_t(a + 100));
        rig.programmer.firmware().setAddressLineLow(4);
        Tform1& f = fastWindow(rig, kEeprom, image);
        rig.click(f.BitBtn5);
        QCOMPARE(rig.dialogs.messages.value(0), kErrorProgramacion);
        QVERIFY(rig.programa->Form2->diagnostico->text().contains(QStringLiteral("A4")));
    }

    void retriesAndCancelAsInFullMode() {
        Rig rig;
        Tform1& f = fastWindow(rig, kEeprom, {"34"});
        rig.programmer.firmware().loseNextWrites(1);
        rig.click(f.BitBtn5);
        QCOMPARE(rig.dialogs.messages, QStringList{"Proceso Terminado"});
        QCOMPARE(rig.sent(), concat({eepromRead(0), eepromWrite(0, 34), eepromRead(0),
                                     eepromWrite(0, 34), eepromRead(0), eepromRead(0)}));

        Rig cancelled;
        Tform1& c = fastWindow(cancelled, kProm512, {"1", "255", "255", "2"});
        cancelled.platform.holdEscapeFromQuery(3);
        cancelled.click(c.BitBtn5);
        QCOMPARE(cancelled.dialogs.messages, QStringList{kInterrumpido});
        QCOMPARE(cancelled.sent(), concat({promWrite(0, 1), promRead(0), {8, 8, 8, 8}}));
    }

    void eachFaultIsDiagnosed() {
        struct Case {
            const char* what;
            int tipo;
            std::function<void(Firmware&)> fault;
            const char* diagnosis;  // empty: none
        };
        const Case cases[] = {
            {"clean", 0, [](Firmware&) {}, ""},
            {"missing chip", 0, [](Firmware& f) { f.removeChip(); },
             "Todos los bytes leídos valen FF"},
            {"data line", 0, [](Firmware& f) { f.setDataLineStuck(3, false); },
             "la línea de datos D3 parece pegada a 0"},
            {"data line high", 0, [](Firmware& f) { f.setDataLineStuck(6, true); },
             "la línea de datos D6 parece pegada a 1"},
            {"address line", 0, [](Firmware& f) { f.setAddressLineLow(4); },
             "la línea de dirección A4 parece pegada a 0"},
            {"not erased", kProm512,
             [](Firmware& f) {
                 for (std::uint32_t a = 0; a < 64; a += 3) f.poke(Chip::Prom27c512, a, 0x0F);
             },
             "no estaba borrada, o ya estaba programada"},
            {"otherwise", 0,
             [](Firmware& f) {
                 f.setStuckBits(Chip::Sram24, 10, 0x81, 0x00);
                 f.setStuckBits(Chip::Sram24, 11, 0x22, 0x00);
                 f.setStuckBits(Chip::Sram24, 40, 0x0C, 0x04);
             },
             "3 direcciones difieren, desde la 000A, en 2 tramo(s): 000A–000B, 0028"},
            {"one", 0, [](Firmware& f) { f.setStuckBits(Chip::Sram24, 40, 0x0C, 0x04); },
             "1 dirección difiere: la 0028"},
            // A protected EEPROM keeps what it held: protected, not dead.
            {"protected", kEeprom,
             [](Firmware& f) {
                 for (std::uint32_t a = 0; a < 64; ++a) f.poke(Chip::Eprom28c64, a, std::uint8_t(a));
                 f.setWriteProtected(true);
             },
             "Ninguna escritura cambió la memoria: la EEPROM parece protegida contra escritura "
             "(protección por software) o es de solo lectura; si los bytes cambian de una "
             "lectura a otra, el zócalo está vacío o hace mal contacto."},
            {"protected and erased", kEeprom, [](Firmware& f) { f.setWriteProtected(true); },
             "sin alimentación; o, si estaba borrada, la EEPROM parece protegida"},
        };
        for (const Case& c : cases) {
            Rig rig;
            rig.ready().memoryType(c.tipo);
            Tform1& f = rig.form();
            c.fault(rig.programmer.firmware());
            // Every byte distinct from its neighbours across each address line.
            for (int a = 0; a < 64; ++a)
                f.imagen.setCell(1, a + 1, QString::number((a * 37 + 0x5B) & 0xFF));
            rig.type(f.PLOT1, "0").type(f.PLOT2, "63").click(f.BitBtn5);
            const QString said = rig.programa->Form2->diagnostico->text();
            QVERIFY2(*c.diagnosis ? said.contains(QString::fromUtf8(c.diagnosis)) : said.isEmpty(),
                     qPrintable(QString::fromUtf8(c.what) + ": " + said));
        }
    }
};

QTEST_MAIN(FastTest)
#include "test_fast.moc"
