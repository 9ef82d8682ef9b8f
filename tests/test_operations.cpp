#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "chip/RomIdentify.h"
#include "operations/OperationFrame.h"
#include "operations/ProgressLine.h"
#include "operations/Unit6.h"
#include "operations/Workbench.h"
#include "tests/support/ByteText.h"
#include "tests/support/Rig.h"
#include "view/DataGrid.h"

namespace {
const QStringList kNoMessages;

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes readSequences(int first, int last) {
    Bytes bytes;
    for (int a = first; a <= last; ++a)
        bytes.insert(bytes.end(), {2, std::uint8_t(a & 0xFF), std::uint8_t(a >> 8)});
    return bytes;
}
}  // namespace

class OperationsTest : public QObject {
    Q_OBJECT

  private slots:
    // Qt's word for a grid that edits a cell it should not.
    void init() {
        QTest::failOnWarning(
            QRegularExpression(QStringLiteral("editing failed|does not belong to this view")));
    }

    void manualWriteAndReadBackEveryType_data() {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("address");
        QTest::addColumn<Bytes>("expected");
        QTest::newRow("Sram 24 Pines, first") << 0 << "0" << Bytes{3, 0, 0, 0x5A, 4, 0, 0};
        QTest::newRow("Sram 24 Pines, last")
            << 0 << "1023" << Bytes{3, 0xFF, 0x03, 0x5A, 4, 0xFF, 0x03};
        QTest::newRow("Sram 28 Pines, 0x1234")
            << 1 << "4660" << Bytes{1, 0x34, 0x12, 0x5A, 2, 0x34, 0x12};
        QTest::newRow("Sram 28 Pines, last")
            << 1 << "8191" << Bytes{1, 0xFF, 0x1F, 0x5A, 2, 0xFF, 0x1F};
        QTest::newRow("Eprom 28c64, first") << 2 << "0" << Bytes{6, 0, 0, 0x5A, 2, 0, 0};
        QTest::newRow("Eprom 28c64, last")
            << 2 << "8191" << Bytes{6, 0xFF, 0x1F, 0x5A, 2, 0xFF, 0x1F};
        QTest::newRow("Prom 27c512, 8192") << 3 << "8192" << Bytes{10, 0, 0, 1, 0x5A, 11, 0, 0, 1};
        QTest::newRow("Prom 27c512, last")
            << 3 << "65535" << Bytes{10, 0xFF, 0x1F, 0x07, 0x5A, 11, 0xFF, 0x1F, 0x07};
        QTest::newRow("Prom 27c010, first") << 4 << "0" << Bytes{12, 0, 0, 0, 0x5A, 11, 0, 0, 0};
        QTest::newRow("Prom 27c010, last")
            << 4 << "131071" << Bytes{12, 0xFF, 0x1F, 0x0F, 0x5A, 11, 0xFF, 0x1F, 0x0F};
    }

    void manualWriteAndReadBackEveryType() {
        QFETCH(int, tipo);
        QFETCH(QString, address);
        QFETCH(Bytes, expected);
        Rig rig;
        rig.ready().memoryType(tipo);
        Tform1& f = rig.form();
        rig.type(f.Pdirm, address).type(f.PDatm, "90").click(f.BitBtn4);
        QCOMPARE(rig.sent(), expected);
        QCOMPARE(rig.dialogs.messages, kNoMessages);
        const int row = address.toInt() + 1;
        QCOMPARE(rig.cell(row), QStringLiteral("90"));
        QCOMPARE(f.ldirm->text(), address);
        QCOMPARE(f.ldatm->text(), QStringLiteral("90"));
        QCOMPARE(f.m->currentGridRow(), row);
        QCOMPARE(f.m->currentGridColumn(), 1);
        // Only the EEPROM pauses after a write, and before the read-back.
        if (tipo == 2) {
            QCOMPARE(rig.platform.sleeps.size(), std::size_t{1});
            QCOMPARE(rig.platform.sleeps[0].milliseconds, 14);
            const auto& record = rig.programmer.record();
            QCOMPARE(record[4].timeNs - record[3].timeNs, 14'000'000);
        } else {
            QVERIFY(rig.platform.sleeps.empty());
        }

        // Reading it back by hand sends the read sequence alone.
        rig.programmer.clearRecord();
        rig.type(f.ldatm, "0").type(f.ldirm, address).click(f.BitBtn6);
        const std::size_t writeLength = tipo >= 3 ? 5 : 4;
        QCOMPARE(rig.sent(), Bytes(expected.begin() + writeLength, expected.end()));
        QCOMPARE(f.ldatm->text(), QStringLiteral("90"));
        QCOMPARE(rig.dialogs.messages, kNoMessages);
    }

    void readCommandsSharedBySram28AndEeprom() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        rig.type(f.ldirm, "300").click(f.BitBtn6);
        rig.programmer.firmware().insert(Chip::Eprom28c64);
        rig.memoryType(2).click(f.BitBtn6);
        QCOMPARE(rig.sent(), (Bytes{2, 44, 1, 2, 44, 1}));
        // Bytes of 256 and up land in their own row.
        QCOMPARE(f.m->currentGridRow(), 301);
        QCOMPARE(rig.cell(301), QStringLiteral("255"));
    }

    void valueAbove255WritesItsLowByte() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        rig.type(f.Pdirm, "7").type(f.PDatm, "300").click(f.BitBtn4);
        QCOMPARE(rig.sent(), (Bytes{1, 7, 0, 44, 2, 7, 0}));
        QCOMPARE(rig.dialogs.messages, QStringList{"Error de Lectura"});
        QCOMPARE(f.ldatm->text(), QStringLiteral("44"));
        QCOMPARE(rig.cell(8), QStringLiteral("44"));
        QCOMPARE(f.banco->leido, 44);
    }

    void unverifiedWriteOnlyMovesTheCursor() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.ch->setChecked(false);
        rig.form().imagen.setCell(1, 6, QStringLiteral("old"));
        rig.type(f.ldirm, "9")
            .type(f.ldatm, "8")
            .type(f.Pdirm, "5")
            .type(f.PDatm, "1")
            .click(f.BitBtn4);
        QCOMPARE(rig.sent(), (Bytes{1, 5, 0, 1}));
        QCOMPARE(rig.dialogs.messages, kNoMessages);
        QCOMPARE(f.ldirm->text(), QStringLiteral("9"));
        QCOMPARE(f.ldatm->text(), QStringLiteral("8"));
        QCOMPARE(rig.cell(6), QStringLiteral("old"));
        QCOMPARE(f.m->currentGridRow(), 6);
    }

    void addressesPastTheMemoryAreRefused() {
        Rig rig;
        rig.ready().memoryType(0);
        Tform1& f = rig.form();
        rig.type(f.Pdirm, "1024").click(f.BitBtn4);
        rig.type(f.ldirm, "1024").click(f.BitBtn6);
        rig.type(f.LLOT1, "1000").type(f.LLOT2, "1024").click(f.BitBtn7);
        QCOMPARE(rig.dialogs.messages,
                 QStringList(
                     3, QStringLiteral("La dirección supera la maxima dirección de la memoria")));
        QVERIFY(rig.sent().empty());
        // Eight hexadecimal digits from 80000000 are negative numbers: refused too.
        rig.dialogs.clear();
        f.Hexadecimal1->trigger();
        rig.type(f.Pdirm, "FFFFFFFF").click(f.BitBtn4);
        rig.type(f.ldirm, "80000000").click(f.BitBtn6);
        rig.type(f.LLOT1, "FFFFFFFF").type(f.LLOT2, "10").click(f.BitBtn7);
        rig.type(f.LLOT1, "0").type(f.LLOT2, "80000000").click(f.BitBtn7);
        QCOMPARE(rig.dialogs.messages,
                 QStringList(
                     4, QStringLiteral("La dirección supera la maxima dirección de la memoria")));
        QVERIFY(rig.sent().empty());
    }

    void hexadecimalEntry() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.Hexadecimal1->trigger();
        rig.type(f.Pdirm, "1A").type(f.PDatm, "ff").click(f.BitBtn4);
        QCOMPARE(rig.sent(), (Bytes{1, 26, 0, 0xFF, 2, 26, 0}));
        QCOMPARE(rig.cell(27), QStringLiteral("FF"));
        QCOMPARE(f.ldatm->text(), QStringLiteral("FF"));
        QCOMPARE(f.m->currentGridRow(), 27);
        QCOMPARE(rig.dialogs.messages, kNoMessages);
    }

    void conversionErrorsSendNothing() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        rig.type(f.Pdirm, "").click(f.BitBtn4);
        rig.type(f.Pdirm, "5").type(f.PDatm, "").click(f.BitBtn4);
        rig.type(f.LLOT1, "0").type(f.LLOT2, "").click(f.BitBtn7);
        f.Hexadecimal1->trigger();
        rig.type(f.ldirm, "").click(f.BitBtn6);
        QCOMPARE(rig.dialogs.errors,
                 (QStringList{
                     "'''' is not a valid integer value.", "'''' is not a valid integer value.",
                     "'''' is not a valid integer value.", "''$'' is not a valid integer value."}));
        QVERIFY(rig.sent().empty());
        // The operation is over: everything is usable again.
        QVERIFY(f.BitBtn7->isEnabled() && f.tipoItems[0]->isEnabled());
    }

    void rangeReads() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        for (int a = 0; a < 300; ++a)
            rig.programmer.firmware().poke(Chip::Sram28, a, std::uint8_t(a));
        rig.type(f.LLOT1, "5").type(f.LLOT2, "5").click(f.BitBtn7);
        QCOMPARE(rig.sent(), (Bytes{2, 5, 0}));
        QCOMPARE(rig.cell(6), QStringLiteral("5"));
        QCOMPARE(f.m->currentGridRow(), 6);
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});

        rig.programmer.clearRecord();
        rig.type(f.LLOT1, "100").type(f.LLOT2, "200").click(f.BitBtn7);
        QCOMPARE(rig.sent(), readSequences(100, 200));
        QCOMPARE(rig.cell(100), QString());
        QCOMPARE(rig.cell(101), QStringLiteral("100"));
        QCOMPARE(rig.cell(201), QStringLiteral("200"));
        QCOMPARE(rig.cell(202), QString());
        QCOMPARE(f.m->currentGridRow(), 101);

        rig.programmer.clearRecord();
        rig.dialogs.clear();
        rig.type(f.LLOT1, "10").type(f.LLOT2, "9").click(f.BitBtn7);
        QCOMPARE(rig.dialogs.messages,
                 QStringList{"La direccion2 debe ser mayor que la direccion1"});
        QVERIFY(rig.sent().empty());

        rig.dialogs.clear();
        f.Hexadecimal1->trigger();
        rig.type(f.LLOT1, "1A").type(f.LLOT2, "1F").click(f.BitBtn7);
        QCOMPARE(rig.sent(), readSequences(26, 31));
        QCOMPARE(rig.cell(27), QStringLiteral("1A"));
        QCOMPARE(rig.cell(32), QStringLiteral("1F"));
        QCOMPARE(f.m->currentGridRow(), 27);
        QCOMPARE(f.formato.letra, QChar(u'h'));
    }

    // After a range or whole read the status line sums up what the bytes
    // say; "Análisis…" tells it. A manual read says nothing, and the box of
    // the read stays the only box.
    void aReadIsAnalysed() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        // A chip of 4 KiB in the 8 KiB socket: the second half repeats the first.
        for (int a = 0; a < 8192; ++a)
            rig.programmer.firmware().poke(
                Chip::Sram28, a, std::uint8_t((std::uint32_t(a % 4096) * 2654435761u) >> 24));
        rig.click(f.BitBtn2);
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        QCOMPARE(f.progreso->analysisText(), QStringLiteral("Análisis: 1 aviso"));
        rig.dialogs.clear();
        f.Analisis1->trigger();
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QVERIFY2(rig.dialogs.messages.first().contains(
                     QStringLiteral("la segunda mitad repite la primera (¿línea de dirección A12")),
                 qPrintable(rig.dialogs.messages.first()));
        // A range of varied bytes: nothing to say; the range's own addresses.
        for (int a = 0; a < 8192; ++a)
            rig.programmer.firmware().poke(Chip::Sram28, a,
                                           std::uint8_t((std::uint32_t(a) * 2654435761u) >> 24));
        rig.type(f.LLOT1, "100").type(f.LLOT2, "1000").click(f.BitBtn7);
        QCOMPARE(f.progreso->analysisText(), QStringLiteral("Análisis: sin hallazgos"));
        // One address says nothing about lines: the last range's summary stays.
        rig.dialogs.clear();
        rig.type(f.ldirm, "5").click(f.BitBtn6);
        QCOMPARE(f.progreso->analysisText(), QStringLiteral("Análisis: sin hallazgos"));
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    // "Archivo" > "Identificar…" looks the grid's image up in the catalogues
    // of the usual folder, and says where to put them when there are none.
    void theGridIsIdentified() {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        Rig rig;
        rig.ready().memoryType(0);
        Tform1& f = rig.form();
        f.Identificar1->trigger();
        QVERIFY(rig.dialogs.messages.last().startsWith(
            QStringLiteral("No hay catálogos de ROM en %1/programador/catalogos").arg(home.path())));
        std::vector<std::uint8_t> bytes(1024);
        for (std::size_t a = 0; a < bytes.size(); ++a) bytes[a] = std::uint8_t(a * 7 + 3);
        f.imagen.updateColumn(1, [&](std::vector<QString>& texts) {
            for (std::size_t a = 0; a < bytes.size(); ++a) texts[a] = QString::number(bytes[a]);
        });
        QVERIFY(QDir().mkpath(home.path() + "/programador/catalogos"));
        QFile dat(home.path() + "/programador/catalogos/prueba.dat");
        QVERIFY(dat.open(QIODevice::WriteOnly));
        dat.write(QStringLiteral("<datafile><game name=\"juego\"><rom name=\"u1\" size=\"1024\" "
                                 "crc=\"%1\"/></game></datafile>")
                      .arg(chip::crc32Of(bytes), 8, 16, QLatin1Char('0'))
                      .toUtf8());
        dat.close();
        f.Identificar1->trigger();
        QVERIFY2(rig.dialogs.messages.last().contains(
                     QStringLiteral("· imagen entera = set juego, rom u1 (CRC")),
                 qPrintable(rig.dialogs.messages.last()));
        qunsetenv("XDG_DATA_HOME");
    }

    // "Comprobar el zócalo" is off at start; on, an empty socket stops a read
    // or a fill with its message, the fill before its first write.
    void theSocketCheckWhenAskedFor() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        QVERIFY(!f.ComprobarZocalo1->isChecked());
        QVERIFY(f.ComprobarZocalo1->isCheckable());
        f.ComprobarZocalo1->trigger();
        rig.programmer.firmware().removeChipFloating(4);
        rig.click(f.BitBtn2);
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QVERIFY2(rig.dialogs.messages.first().startsWith(
                     "No hay memoria en el zócalo, o hace mal contacto: la dirección "),
                 qPrintable(rig.dialogs.messages.first()));
        QVERIFY(rig.dialogs.messages.first().endsWith(
            "Comprobación del zócalo: la memoria no está o no responde; la operación no empezó."));
        QVERIFY(f.imagen.cell(1, 1).isEmpty());
        rig.dialogs.clear();
        rig.programmer.clearRecord();
        rig.type(f.Edit3, "90").click(f.BitBtn9);
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QVERIFY(rig.dialogs.messages.first().contains("la memoria no está o no responde"));
        QCOMPARE(rig.programmer.firmware().writesApplied() + rig.programmer.firmware().writesIgnored(), 0);
        // Held high, an empty PROM socket passes a blank check: said, since it was asked.
        Rig erased;
        erased.ready().memoryType(3);
        erased.programmer.firmware().removeChip();
        erased.form().VerificarBorrado1->trigger();
        QCOMPARE(erased.dialogs.messages.size(), 1);
        erased.form().ComprobarZocalo1->trigger();
        erased.form().VerificarBorrado1->trigger();
        QVERIFY2(erased.dialogs.messages.last().endsWith(
                     "una memoria borrada y un zócalo vacío con el bus a 1 no se distinguen por "
                     "sus bytes."),
                 qPrintable(erased.dialogs.messages.last()));
    }

    void anOpenCellEditorDoesNotWriteBackStaleText() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.show();
        QApplication::setActiveWindow(&f);
        rig.programmer.firmware().poke(Chip::Sram28, 2, 77);
        f.imagen.setCell(1, 3, "old");
        f.m->showCell(1, 3);
        QVERIFY(f.m->indexWidget(f.imagen.indexOf(1, 3)));  // the editor is open on address 2
        rig.type(f.LLOT1, "2").type(f.LLOT2, "2").click(f.BitBtn7);
        f.m->showCell(1, 9);  // leaving the cell commits its editor
        QCOMPARE(rig.cell(3), QStringLiteral("77"));
    }

    void readAllOfTheLargestPromFillsEveryRow() {
        Rig rig;
        rig.ready().memoryType(4);
        Tform1& f = rig.form();
        const auto pattern = [](std::uint32_t a) {
            return std::uint8_t((a * 7 + (a >> 8)) & 0xFF);
        };
        for (std::uint32_t a = 0; a < 131072; ++a)
            rig.programmer.firmware().poke(Chip::Prom27c010, a, pattern(a));
        f.m->showCell(1, 500);
        rig.click(f.BitBtn2);
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        const Bytes sent = rig.sent();
        QCOMPARE(sent.size(), std::size_t{131072 * 4});
        QCOMPARE(Bytes(sent.begin(), sent.begin() + 4), (Bytes{11, 0, 0, 0}));
        QCOMPARE(Bytes(sent.end() - 4, sent.end()), (Bytes{11, 0xFF, 0x1F, 0x0F}));
        int wrong = 0;
        for (std::uint32_t a = 0; a < 131072; ++a)
            wrong += rig.cell(a + 1) != QString::number(pattern(a));
        QCOMPARE(wrong, 0);
        QCOMPARE(f.m->currentGridRow(), 1);
        QCOMPARE(f.m->currentGridColumn(), 1);
        QCOMPARE(f.banco->leido, pattern(131071));
    }

    void readingRepaintsOnlyWhatIsOnScreen() {
        Rig rig;
        rig.ready().memoryType(3);
        Tform1& f = rig.form();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        f.m->viewport()->installEventFilter(&counter);
        rig.click(f.BitBtn2);
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        // The rows on screen change once each; the 65000 others cost no paint.
        QVERIFY2(counter.paints > 0 && counter.paints < 100,
                 qPrintable(QString::number(counter.paints)));
    }

    void escapeAtTheFirstAddress() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, QStringLiteral("keep"));
        f.m->showCell(1, 40);
        rig.platform.holdEscapeFromQuery(rig.platform.keyQueries + 1);
        rig.type(f.LLOT1, "0").type(f.LLOT2, "10").click(f.BitBtn7);
        QCOMPARE(rig.sent(), (Bytes{8, 8, 8, 8}));
        QCOMPARE(rig.dialogs.messages,
                 QStringList{"     Proceso Interrumpido\n\rResetee el Hardware por Seguridad"});
        QCOMPARE(kInterrumpido.size(), 60);
        QCOMPARE(rig.cell(1), QStringLiteral("keep"));
        QCOMPARE(f.m->currentGridRow(), 40);
        QVERIFY(rig.dialogs.errors.isEmpty());
    }

    void escapeInMidRangeKeepsWhatWasRead() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        for (int a = 0; a < 10; ++a)
            rig.programmer.firmware().poke(Chip::Sram28, a, std::uint8_t(a + 100));
        f.imagen.setCell(1, 4, QStringLiteral("old"));
        rig.platform.holdEscapeFromQuery(rig.platform.keyQueries + 4);
        rig.click(f.BitBtn2);
        QCOMPARE(rig.sent(), concat({readSequences(0, 2), Bytes{8, 8, 8, 8}}));
        QCOMPARE(rig.cell(1), QStringLiteral("100"));
        QCOMPARE(rig.cell(3), QStringLiteral("102"));
        QCOMPARE(rig.cell(4), QStringLiteral("old"));
        QCOMPARE(rig.dialogs.messages, QStringList{kInterrumpido});
        QVERIFY(!rig.programa->Form6->isVisible());
    }

    void programmerUnpluggedDuringARead() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        for (int a = 0; a < 10; ++a)
            rig.programmer.firmware().poke(Chip::Sram28, a, std::uint8_t(a + 1));
        // Reports 0..3 are address 0, 4..7 address 1; the programmer goes at
        // report 9, inside the read sequence of address 2.
        rig.programmer.unplugAtReport(rig.programmer.reportsAttempted() + 9);
        rig.type(f.LLOT1, "0").type(f.LLOT2, "9").click(f.BitBtn7);
        QCOMPARE(rig.dialogs.messages, QStringList{"Revise Conexion USB"});
        QCOMPARE(rig.cell(1), QStringLiteral("1"));
        QCOMPARE(rig.cell(2), QStringLiteral("2"));
        QCOMPARE(rig.cell(3), QString());
        QCOMPARE(rig.sent(), concat({readSequences(0, 1), Bytes{2}}));
        rig.settle();
        QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Desconectado"));

        // Back again (its RAM lost power): the next read works without restarting.
        rig.programmer.plug();
        rig.settle();
        rig.programmer.firmware().poke(Chip::Sram28, 9, 10);
        rig.dialogs.clear();
        rig.click(f.BitBtn7);
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        QCOMPARE(rig.cell(10), QStringLiteral("10"));
    }

    void unplugNoticedAtThePoll() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        // The notification arrives while address 2 is read; the poll of
        // address 3 sees it and nothing more is sent.
        const int third = rig.platform.keyQueries + 3;
        rig.platform.escapeHeld = [&](int query) {
            if (query == third)
                postDeviceNotification(&rig.programa->applicationWindow, kDeviceUnplugged,
                                       VirtualProgrammer::kProgrammerHandle);
            return false;
        };
        rig.type(f.LLOT1, "0").type(f.LLOT2, "9").click(f.BitBtn7);
        QCOMPARE(rig.sent(), readSequences(0, 2));
        QCOMPARE(rig.dialogs.messages, QStringList{"Revise Conexion USB"});
        QCOMPARE(rig.cell(3), QStringLiteral("0"));
        QCOMPARE(rig.cell(4), QString());
    }

    void programmerThatStopsAnswering() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, QStringLiteral("old"));
        rig.programmer.setNoAnswer(true);
        rig.type(f.LLOT1, "0").type(f.LLOT2, "5").click(f.BitBtn7);
        QCOMPARE(rig.dialogs.messages, QStringList{"Revise Conexion USB"});
        QCOMPARE(rig.cell(1), QStringLiteral("old"));
        rig.dialogs.clear();
        rig.type(f.ldirm, "0").click(f.BitBtn6);
        QCOMPARE(rig.dialogs.messages, QStringList{"Revise Conexion USB"});
        QCOMPARE(rig.cell(1), QStringLiteral("old"));
    }

    void oneOperationAtATime() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.show();
        bool tried = false;
        bool disabledInside = false;
        rig.platform.escapeHeld = [&](int) {
            if (tried) return false;
            tried = true;
            // A user clicking around while the read runs.
            disabledInside = !f.BitBtn2->isEnabled() && !f.BitBtn8->isEnabled() &&
                             !f.tipoItems[0]->isEnabled() && !f.AbrirTrabajo1->isEnabled() &&
                             !f.GuardarTrabajo1->isEnabled();
            rig.click(f.BitBtn2).click(f.BitBtn6).click(f.BitBtn8).click(f.BitBtn11);
            f.tipoItems[0]->trigger();
            f.Hexadecimal1->trigger();
            f.Salir1->trigger();
            f.BitBtn6Click();
            f.BitBtn7Click();
            f.selectMemoryType(4);
            f.close();
            return false;
        };
        f.imagen.setCell(1, 50, QStringLiteral("kept"));
        rig.type(f.LLOT1, "0").type(f.LLOT2, "3").click(f.BitBtn7);
        QVERIFY(tried);
        QVERIFY(disabledInside);
        QCOMPARE(rig.sent(), readSequences(0, 3));
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        QCOMPARE(f.comandos.tipo, 1);
        QCOMPARE(f.formato.hexa, 0);
        QCOMPARE(rig.cell(50), QStringLiteral("kept"));
        QCOMPARE(rig.platform.terminations, 0);
        QVERIFY(f.isVisible());
        QVERIFY(f.BitBtn2->isEnabled() && f.BitBtn8->isEnabled() && f.tipoItems[0]->isEnabled());
        QVERIFY(f.Salir1->isEnabled() && f.Hexadecimal1->isEnabled());
    }

    void cancelPromptWindow() {
        Rig rig;
        TForm6& prompt = *rig.programa->Form6;
        QCOMPARE(prompt.windowTitle(), QStringLiteral("Para Cancelar"));
        QVERIFY(prompt.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(prompt.Label1->text(), QStringLiteral("Presione ESC Para Cancelar"));
        QVERIFY(!prompt.isVisible());
    }
};

QTEST_MAIN(OperationsTest)
#include "test_operations.moc"
