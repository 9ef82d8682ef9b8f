#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "operations/Unit6.h"
#include "operations/Workbench.h"
#include "tests/support/ByteText.h"
#include "tests/support/Rig.h"
#include "view/DataGrid.h"
#include "view/Unit2.h"

namespace {
const QString kTerminado = QStringLiteral("Proceso Terminado");
const QString kError = QStringLiteral("error en la programación");

QString existen(int count) {
    return QStringLiteral("Existen  %1  Dirreciones erradas").arg(count);
}

Bytes writeAndRead(int address, std::uint8_t data) {
    const auto low = std::uint8_t(address & 0xFF), high = std::uint8_t(address >> 8);
    return {1, low, high, data, 2, low, high};
}

Bytes reads(int first, int last) {
    Bytes bytes;
    for (int a = first; a <= last; ++a)
        bytes.insert(bytes.end(), {2, std::uint8_t(a & 0xFF), std::uint8_t(a >> 8)});
    return bytes;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// How many write sequences of "Sram 28 Pines" to an address reached the programmer.
int writesTo(const Bytes& sent, int address) {
    int count = 0;
    for (std::size_t i = 0; i < sent.size();) {
        const std::uint8_t command = sent[i];
        if (command == 1 && i + 3 < sent.size())
            count += sent[i + 1] == (address & 0xFF) && sent[i + 2] == (address >> 8);
        i += command == 1 ? 4 : command == 2 ? 3 : 1;
    }
    return count;
}
}  // namespace

class ProgrammingTest : public QObject {
    Q_OBJECT

  private:
    static TForm2& window(Rig& rig) { return *rig.programa->Form2; }
    static QString programmed(Rig& rig, int row) { return window(rig).grid.cell(1, row); }
    static QString readBack(Rig& rig, int row) { return window(rig).grid.cell(2, row); }

  private slots:
    void rangeFromGridVerified() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.imagen.setCell(1, 11, "1");
        f.imagen.setCell(1, 12, "2");
        f.imagen.setCell(1, 13, "3");
        bool promptShown = false;
        rig.platform.escapeHeld = [&](int) {
            promptShown = rig.programa->Form6->isVisible();
            return false;
        };
        rig.type(f.PLOT1, "10").type(f.PLOT2, "12").click(f.BitBtn5);
        QVERIFY(promptShown);
        QCOMPARE(rig.sent(), concat({writeAndRead(10, 1), writeAndRead(11, 2), writeAndRead(12, 3),
                                     reads(10, 12)}));
        QCOMPARE(rig.dialogs.messages, QStringList{kTerminado});
        for (int row = 11; row <= 13; ++row) QCOMPARE(programmed(rig, row), readBack(rig, row));
        QCOMPARE(programmed(rig, 12), QStringLiteral("2"));
        QVERIFY(!rig.programa->Form6->isVisible());
        QVERIFY(!window(rig).isVisible());
        QCOMPARE(f.m->currentGridRow(), 11);
        QCOMPARE(rig.programmer.firmware().peek(Chip::Sram28, 11), 2);
    }

    void rangeOrderAndBounds() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        rig.type(f.PLOT1, "7").type(f.PLOT2, "7").click(f.BitBtn5);
        QCOMPARE(rig.sent(), concat({writeAndRead(7, 0), reads(7, 7)}));
        QCOMPARE(f.imagen.cell(1, 8), QStringLiteral("0"));  // the empty cell became "0"

        rig.programmer.clearRecord();
        rig.dialogs.clear();
        rig.type(f.PLOT1, "7").type(f.PLOT2, "6").click(f.BitBtn5);
        rig.type(f.DIL1, "7").type(f.DIL2, "6").click(f.BitBtn10);
        QCOMPARE(rig.dialogs.messages,
                 (QStringList{"La direccion2 debe ser mayor que la direccion1", kTerminado,
                              "La direccion2 debe ser mayor que la direccion1", kTerminado}));
        QVERIFY(rig.sent().empty());

        rig.dialogs.clear();
        rig.memoryType(0);
        // Whatever headed the mismatch grid before is cleared with its columns.
        rig.programa->Form2->setHeaders(QStringLiteral("DATO MEMORIA"),
                                        QStringLiteral("DATO ARCHIVO"));
        rig.type(f.PLOT1, "1020").type(f.PLOT2, "1024").click(f.BitBtn5);
        QCOMPARE(rig.programa->Form2->grid.cell(1, 0), QString());
        QCOMPARE(rig.programa->Form2->grid.cell(2, 0), QString());
        rig.type(f.DIL1, "1020").type(f.DIL2, "1024").click(f.BitBtn10);
        QCOMPARE(rig.dialogs.messages,
                 QStringList(
                     2, QStringLiteral("La dirección supera la maxima dirección de la memoria")));
        QVERIFY(rig.sent().empty());
        QVERIFY(!rig.programa->Form6->isVisible());

        rig.dialogs.clear();
        rig.type(f.DL, "5").type(f.DIL1, "1023").type(f.DIL2, "1023").click(f.BitBtn10);
        QCOMPARE(rig.sent(), (Bytes{3, 0xFF, 3, 5, 4, 0xFF, 3, 4, 0xFF, 3}));
        QCOMPARE(f.imagen.cell(1, 1024), QStringLiteral("5"));
        QCOMPARE(rig.dialogs.messages, QStringList{kTerminado});

        // An upside-down range from the largest address names no row at the end.
        rig.dialogs.clear();
        f.Hexadecimal1->trigger();
        rig.type(f.DIL1, "7FFFFFFF").type(f.DIL2, "0").click(f.BitBtn10);
        QCOMPARE(rig.dialogs.messages,
                 (QStringList{"La direccion2 debe ser mayor que la direccion1", kTerminado}));
        QCOMPARE(f.m->currentGridRow(), 1024);

        // Negative hexadecimal addresses are past any memory, in both ranges.
        rig.programmer.clearRecord();
        rig.dialogs.clear();
        f.Hexadecimal1->trigger();
        rig.type(f.DIL1, "FFFFFFF0").type(f.DIL2, "FFFFFFFF").click(f.BitBtn10);
        rig.type(f.PLOT1, "FFFFFFF0").type(f.PLOT2, "FFFFFFFF").click(f.BitBtn5);
        QCOMPARE(rig.dialogs.messages,
                 QStringList(
                     2, QStringLiteral("La dirección supera la maxima dirección de la memoria")));
        QVERIFY(rig.sent().empty());
    }

    void textsAreComparedNotValues() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.imagen.setCell(1, 3, "07");
        rig.type(f.PLOT1, "2").type(f.PLOT2, "2").click(f.BitBtn5);
        // The chip holds 7 after one write, yet "07" is not "7".
        QCOMPARE(writesTo(rig.sent(), 2), 1);
        QCOMPARE(rig.dialogs.messages, (QStringList{kError, existen(1)}));
        QVERIFY(window(rig).isVisible());
        QCOMPARE(window(rig).grid.cell(0, 0), QStringLiteral("      DIRECCION"));
        QCOMPARE(window(rig).grid.cell(1, 0), QStringLiteral("DATO PROGRAMA"));
        QCOMPARE(window(rig).grid.cell(2, 0), QStringLiteral("DATO LEIDO"));
        QCOMPARE(window(rig).grid.cell(3, 0), QStringLiteral("  DIR Erradas"));
        QCOMPARE(window(rig).grid.cell(3, 3), QStringLiteral("2"));
        QCOMPARE(window(rig).lista, std::vector<std::int32_t>{2});
    }

    void retryCounts_data() {
        QTest::addColumn<QString>("retries");
        QTest::addColumn<int>("writes");
        QTest::newRow("default") << "1" << 2;
        QTest::newRow("none") << "0" << 1;
        QTest::newRow("negative") << "-1" << 1;
        QTest::newRow("five") << "5" << 6;
        QTest::newRow("above 255") << "300" << 256;
    }

    void retryCounts() {
        QFETCH(QString, retries);
        QFETCH(int, writes);
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        rig.programmer.firmware().setStuckBits(Chip::Sram28, 4, 0x80, 0x80);
        f.imagen.setCell(1, 5, "1");
        f.imagen.setCell(1, 6, "2");
        rig.type(f.Edit2, retries).type(f.PLOT1, "4").type(f.PLOT2, "5").click(f.BitBtn5);
        QCOMPARE(writesTo(rig.sent(), 4), writes);
        QCOMPARE(writesTo(rig.sent(), 5), 1);
        QCOMPARE(rig.dialogs.messages, (QStringList{kError, existen(1)}));
        QCOMPARE(readBack(rig, 5), QStringLiteral("129"));
    }

    void retryCountIsParsedOnlyAfterAFailedAttempt() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        rig.type(f.Edit2, "x").type(f.PLOT1, "0").type(f.PLOT2, "3").click(f.BitBtn5);
        QCOMPARE(rig.dialogs.messages, QStringList{kTerminado});
        QVERIFY(rig.dialogs.errors.isEmpty());

        rig.dialogs.clear();
        rig.programmer.firmware().setStuckBits(Chip::Sram28, 2, 0x01, 0x01);
        rig.programmer.clearRecord();
        rig.click(f.BitBtn5);
        QCOMPARE(rig.dialogs.errors, QStringList{"''x'' is not a valid integer value."});
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(rig.sent(), concat({writeAndRead(0, 0), writeAndRead(1, 0), writeAndRead(2, 0)}));
        QVERIFY(!rig.programa->Form6->isVisible());
        QVERIFY(!window(rig).isVisible());
        QVERIFY(f.BitBtn5->isEnabled());
    }

    void retryCountEditedDuringTheOperation() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        for (int a = 0; a < 3; ++a)
            rig.programmer.firmware().setStuckBits(Chip::Sram28, a, 0x01, 0x01);
        const int second = rig.platform.keyQueries + 2;
        rig.platform.escapeHeld = [&](int query) {
            if (query == second) f.Edit2->setText("3");
            return false;
        };
        rig.type(f.Edit2, "0").type(f.PLOT1, "0").type(f.PLOT2, "2").click(f.BitBtn5);
        QCOMPARE(writesTo(rig.sent(), 0), 1);
        QCOMPARE(writesTo(rig.sent(), 1), 4);
        QCOMPARE(writesTo(rig.sent(), 2), 4);
    }

    void promBitsCannotComeBack() {
        Rig rig;
        rig.ready().memoryType(4);
        Tform1& f = rig.form();
        rig.type(f.DL, "15").type(f.DIL1, "5").type(f.DIL2, "5").click(f.BitBtn10);
        QCOMPARE(rig.dialogs.messages, QStringList{kTerminado});
        rig.dialogs.clear();
        rig.programmer.clearRecord();
        rig.type(f.DL, "240").click(f.BitBtn10);
        const Bytes write = {12, 5, 0, 0, 240}, read = {11, 5, 0, 0};
        QCOMPARE(rig.sent(), concat({write, read, write, read, read}));
        QCOMPARE(rig.programmer.firmware().peek(Chip::Prom27c010, 5), 0);
        QCOMPARE(rig.dialogs.messages, (QStringList{kError, existen(1)}));
        QCOMPARE(programmed(rig, 6), QStringLiteral("240"));
        QCOMPARE(readBack(rig, 6), QStringLiteral("0"));
        QCOMPARE(f.imagen.cell(1, 6), QStringLiteral("240"));
    }

    void stuckBitsListedAndWalked() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        for (int a : {3, 10, 200})
            rig.programmer.firmware().setStuckBits(Chip::Sram28, a, 0x40, 0x40);
        f.Hexadecimal1->trigger();
        rig.type(f.PLOT1, "0").type(f.PLOT2, "FF").click(f.BitBtn5);
        TForm2& w = window(rig);
        QCOMPARE(rig.dialogs.messages, (QStringList{kError, existen(3)}));
        QCOMPARE(w.grid.cell(3, 4), QStringLiteral("3"));
        QCOMPARE(w.grid.cell(3, 11), QStringLiteral("A"));
        QCOMPARE(w.grid.cell(3, 201), QStringLiteral("C8"));
        QCOMPARE(w.grid.cell(3, 5), QString());
        QCOMPARE(readBack(rig, 11), QStringLiteral("40"));
        // The cause is said whole: it wraps, and the grid above makes room.
        QVERIFY(!w.diagnostico->text().isEmpty());
        QCOMPARE(w.diagnostico->height(),
                 std::max(22, w.diagnostico->heightForWidth(w.diagnostico->width())));
        QCOMPARE(w.m->geometry().bottom() + 4, w.diagnostico->y());
        QCOMPARE(w.diagnostico->geometry().bottom() + 5, w.height());
        QTest::mouseClick(w.BitBtn2, Qt::LeftButton);
        QCOMPARE(w.m->currentGridRow(), 4);
        QCOMPARE(w.m->currentGridColumn(), 3);
        QTest::mouseClick(w.BitBtn5, Qt::LeftButton);
        QCOMPARE(w.m->currentGridRow(), 201);
    }

    void escapeDuringTheVerifyPass() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        // Polls 1..3 program, 4 and 5 verify, ESC on the 6th.
        rig.platform.holdEscapeFromQuery(rig.platform.keyQueries + 6);
        rig.type(f.DL, "9").type(f.DIL1, "0").type(f.DIL2, "2").click(f.BitBtn10);
        QCOMPARE(rig.sent(), concat({writeAndRead(0, 9), writeAndRead(1, 9), writeAndRead(2, 9),
                                     reads(0, 1), Bytes{8, 8, 8, 8}}));
        QCOMPARE(rig.dialogs.messages,
                 QStringList{"     Proceso Interrumpido\n\rResetee el Hardware por Seguridad"});
        QVERIFY(!rig.programa->Form6->isVisible());
        QVERIFY(!window(rig).isVisible());
    }

    void eepromNeedsItsPause() {
        for (bool paused : {true, false}) {
            Rig rig;
            rig.ready().memoryType(2);
            Tform1& f = rig.form();
            rig.platform.sleepsTakeTime = paused;
            rig.type(f.Edit2, "0")
                .type(f.DL, "66")
                .type(f.DIL1, "0")
                .type(f.DIL2, "9")
                .click(f.BitBtn10);
            if (paused) {
                QCOMPARE(rig.dialogs.messages, QStringList{kTerminado});
                QCOMPARE(rig.platform.sleeps.size(), std::size_t{10});
            } else {
                // Without the pause the chip is still busy with address 0: it
                // ignores every later write and answers every read with data polling.
                QCOMPARE(rig.dialogs.messages, (QStringList{kError, existen(10)}));
                QCOMPARE(rig.programmer.firmware().peek(Chip::Eprom28c64, 0), 66);
                QCOMPARE(rig.programmer.firmware().peek(Chip::Eprom28c64, 1), 0xFF);
                QVERIFY(rig.programmer.firmware().writesIgnored() >= 9);
            }
        }
    }

    void fillWithVerification() {
        Rig rig;
        rig.ready().memoryType(0);
        Tform1& f = rig.form();
        f.Hexadecimal1->trigger();
        f.m->showCell(1, 300);
        rig.type(f.Edit3, "0FF").click(f.BitBtn9);
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("FF"));
        QCOMPARE(f.imagen.cell(1, 1024), QStringLiteral("FF"));
        QCOMPARE(rig.dialogs.messages, (QStringList{kError, existen(1024)}));
        QCOMPARE(rig.sent().size(), std::size_t{1024 * 7});
        QCOMPARE(f.m->currentGridRow(), 1);
    }

    void fillWithoutVerificationWritesOnceAndReportsDone() {
        Rig rig;
        rig.ready().memoryType(0);
        Tform1& f = rig.form();
        f.ch->setChecked(false);
        f.imagen.setCell(1, 1, "old");
        rig.type(f.Edit3, "17").click(f.BitBtn9);
        QCOMPARE(rig.sent().size(), std::size_t{1024 * 4});
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("old"));
        QCOMPARE(rig.dialogs.messages, QStringList{kTerminado});
        QCOMPARE(rig.programmer.firmware().peek(Chip::Sram24, 1023), 17);
    }

    void unverifiedRangesWriteEachAddressOnce() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.ch->setChecked(false);
        rig.programmer.firmware().setStuckBits(Chip::Sram28, 1, 0xFF, 0);
        rig.type(f.DL, "5").type(f.DIL1, "0").type(f.DIL2, "2").click(f.BitBtn10);
        QCOMPARE(rig.sent(), (Bytes{1, 0, 0, 5, 1, 1, 0, 5, 1, 2, 0, 5}));
        QCOMPARE(rig.dialogs.messages, QStringList{kTerminado});
        QVERIFY(!window(rig).isVisible());
    }

    void programAllOfTheLargestProm() {
        Rig rig;
        rig.ready().memoryType(4);
        Tform1& f = rig.form();
        for (int row = 1; row <= 131072; ++row)
            f.imagen.setCell(1, row, QString::number((row * 13) & 0xFF));
        f.m->showCell(1, 900);
        rig.click(f.BitBtn1);
        QCOMPARE(rig.dialogs.messages, QStringList{kTerminado});
        QCOMPARE(rig.sent().size(), std::size_t{131072 * 13});
        QCOMPARE(rig.programmer.firmware().peek(Chip::Prom27c010, 131071), (131072 * 13) & 0xFF);
        QCOMPARE(f.m->currentGridRow(), 1);
    }

    void everyAddressOfTheLargestPromMismatching() {
        Rig rig;
        rig.ready().memoryType(4);
        Tform1& f = rig.form();
        rig.type(f.Edit3, "007").click(f.BitBtn9);
        TForm2& w = window(rig);
        QCOMPARE(rig.dialogs.messages, (QStringList{kError, existen(131072)}));
        QCOMPARE(w.lista.size(), std::size_t{131072});
        QCOMPARE(w.grid.gridRows(), 131073);
        QTest::mouseClick(w.BitBtn5, Qt::LeftButton);
        QCOMPARE(w.m->currentGridRow(), 131072);
        QCOMPARE(w.grid.cell(3, 131072), QStringLiteral("131071"));
    }
};

QTEST_MAIN(ProgrammingTest)
#include "test_programming.moc"
