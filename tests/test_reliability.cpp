#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "image/MemoryFile.h"
#include "operations/ProgressLine.h"
#include "operations/Unit6.h"
#include "tests/support/ByteText.h"
#include "tests/support/Files.h"
#include "tests/support/Rig.h"
#include "view/Unit2.h"

namespace {
const QString kRevise = QStringLiteral("Revise Conexion USB");
const QString kErrorArchivo = QStringLiteral("Error en el archivo");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}
}  // namespace

class ReliabilityTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString temp(const char* name) { return dir_.filePath(QLatin1String(name)); }

    static void open(Rig& rig, const QString& path) { openFile(rig, path); }
    static void expectNothingReported(Rig& rig) {
        QVERIFY(!rig.programa->Form6->isVisible());
        QVERIFY(!rig.programa->Form2->isVisible());
        QVERIFY(!rig.dialogs.messages.contains(QStringLiteral("Proceso Terminado")));
        QVERIFY(!rig.dialogs.messages.contains(QStringLiteral("Lectura Terminada")));
        QVERIFY(rig.form().BitBtn1->isEnabled());
    }

  private slots:
    void unpluggedWhileProgrammingAllWithVerification() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        for (int row = 1; row <= 8192; ++row) f.imagen.setCell(1, row, "5");
        // 7 reports an address (write 4, read 3) plus one answer: address 3 breaks.
        rig.programmer.unplugAtReport(rig.programmer.reportsAttempted() + 3 * 8 + 2);
        rig.click(f.BitBtn1);
        QCOMPARE(rig.dialogs.messages, QStringList{kRevise});
        expectNothingReported(rig);
        TForm2& w = *rig.programa->Form2;
        QCOMPARE(w.grid.cell(2, 3), QStringLiteral("5"));
        QCOMPARE(w.grid.cell(2, 4), QString());
        QCOMPARE(rig.programmer.firmware().peek(Chip::Sram28, 2), 5);
        QCOMPARE(rig.programmer.firmware().peek(Chip::Sram28, 3), 0);

        // Plugged back in: the same operation runs to its end.
        rig.programmer.plug();
        rig.settle();
        rig.dialogs.clear();
        rig.click(f.BitBtn1);
        QCOMPARE(rig.dialogs.messages, QStringList{"Proceso Terminado"});
    }

    void programmerSilentDuringVerification() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        rig.programmer.setNoAnswer(true);
        rig.type(f.DL, "3").type(f.DIL1, "0").type(f.DIL2, "9").click(f.BitBtn10);
        QCOMPARE(rig.dialogs.messages, QStringList{kRevise});
        QCOMPARE(rig.sent(), (Bytes{1, 0, 0, 3, 2, 0, 0}));
        expectNothingReported(rig);
        QCOMPARE(rig.programa->Form2->grid.cell(2, 1), QString());
    }

    void manualOperationsLosingTheProgrammer() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.imagen.setCell(1, 6, "old");
        rig.programmer.unplugAtReport(rig.programmer.reportsAttempted() + 1);
        rig.type(f.ldirm, "5").type(f.ldatm, "9").click(f.BitBtn6);
        QCOMPARE(rig.dialogs.messages, QStringList{kRevise});
        QCOMPARE(f.ldatm->text(), QStringLiteral("9"));
        QCOMPARE(f.imagen.cell(1, 6), QStringLiteral("old"));

        rig.programmer.plug();
        rig.settle();
        rig.dialogs.clear();
        // The write itself fails: no read-back, no "Error de Lectura".
        rig.programmer.unplugAtReport(rig.programmer.reportsAttempted() + 3);
        rig.type(f.Pdirm, "5").type(f.PDatm, "1").click(f.BitBtn4);
        QCOMPARE(rig.dialogs.messages, QStringList{kRevise});
        QCOMPARE(f.imagen.cell(1, 6), QStringLiteral("old"));
        QCOMPARE(f.ldatm->text(), QStringLiteral("9"));
    }

    void otherDevicesFloodingDuringAnOperation() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        for (int a = 0; a < 64; ++a)
            rig.programmer.firmware().poke(Chip::Sram28, a, std::uint8_t(a * 3));
        rig.platform.escapeHeld = [&](int) {
            for (int i = 0; i < 20; ++i) {
                const HidHandle other = rig.programmer.plugOther(0x046D, 0xC000 + i);
                rig.programmer.unplugOther(other);
            }
            return false;
        };
        rig.type(f.LLOT1, "0").type(f.LLOT2, "63").click(f.BitBtn7);
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        QCOMPARE(rig.sent().size(), std::size_t{64 * 3});
        for (int a = 0; a < 64; ++a)
            QCOMPARE(f.imagen.cell(1, a + 1), QString::number((a * 3) & 0xFF));
        QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Conectado"));
    }

    void badFilesAreRefusedAndTheImageKept_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("binary garbage") << fixture("garbage.bin");
        QTest::newRow("CR-only line ends") << fixture("cr_only.mem");
    }

    void badFilesAreRefusedAndTheImageKept() {
        QFETCH(QString, path);
        Rig rig;
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, "precious");
        open(rig, path);
        QCOMPARE(rig.dialogs.messages, QStringList{kErrorArchivo});
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("precious"));
    }

    void aHugeLineAndAHugeFile() {
        Rig rig;
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, "precious");
        const QByteArray huge(8 * 1024 * 1024, '7');
        writeFile(temp("huge_data.mem"), "d\r\n1\r\n" + huge + "\r\n");
        open(rig, temp("huge_data.mem"));
        writeFile(temp("huge_first.mem"), huge + "\r\n1\r\n");
        open(rig, temp("huge_first.mem"));
        QCOMPARE(rig.dialogs.messages, (QStringList{kErrorArchivo, kErrorArchivo}));
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("precious"));
        rig.dialogs.clear();
        rig.dialogs.fileAnswers.push_back(temp("huge_data.mem"));
        rig.click(f.BitBtn3);
        QCOMPARE(rig.dialogs.messages.first(), kErrorArchivo);
        QCOMPARE(rig.programa->Form2->grid.cell(2, 1), QString());
        QFile::remove(temp("huge_data.mem"));
        QFile::remove(temp("huge_first.mem"));

        // 100 MB: refused before a byte is read.
        rig.dialogs.clear();
        QFile breaks(temp("breaks.mem"));
        QVERIFY(breaks.open(QIODevice::WriteOnly));
        QVERIFY(breaks.resize(100 * 1024 * 1024));
        breaks.close();
        open(rig, temp("breaks.mem"));
        QCOMPARE(rig.dialogs.errors.size(), 1);
        QVERIFY(rig.dialogs.errors.first().contains(QStringLiteral("es demasiado grande")));
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("precious"));
        QFile::remove(temp("breaks.mem"));
    }

    void aMillionLines() {
        Rig rig;
        Tform1& f = rig.form();
        QByteArray bytes("d\r\n");
        for (int i = 0; i < 1'000'000; ++i) bytes += QByteArray::number(i % 256) + "\r\n";
        writeFile(temp("million.mem"), bytes);
        open(rig, temp("million.mem"));
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(f.progreso->stateText(),
                 QStringLiteral("991808 datos más allá de la última dirección"));
        QCOMPARE(f.imagen.cell(1, 8192), QString::number(8191 % 256));
        rig.memoryType(4);
        QCOMPARE(f.imagen.cell(1, 131072), QString::number(131071 % 256));
        // No type shows a row past the largest memory: those lines are only counted.
        QCOMPARE(f.imagen.gridRows(), 131073);
    }

    void unusualBytesSurviveOpenAndSave() {
        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        open(rig, fixture("latin1.mem"));
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("\u00E9"));
        QCOMPARE(f.imagen.cell(1, 3), QString::fromLatin1("1\0"
                                                          "2",
                                                          3));
        rig.dialogs.fileAnswers.push_back(temp("latin1.mem"));
        f.Guardar1->trigger();
        QVERIFY(contents(temp("latin1.mem")).startsWith(contents(fixture("latin1.mem"))));
        QVERIFY(rig.dialogs.messages.isEmpty() && rig.dialogs.errors.isEmpty());
    }

    void fileGoneOrUnwritable() {
        Rig rig;
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, "precious");
        QFile::copy(fixture("seven_dec.mem"), temp("gone.mem"));
        rig.dialogs.fileAnswers.push_back(temp("gone.mem"));
        QFile::remove(temp("gone.mem"));  // between the dialog and the read
        f.Abrir1->trigger();
        QCOMPARE(rig.dialogs.errors, QStringList{"File not found."});
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("precious"));
        // A place nobody may write to, root included.
        rig.dialogs.fileAnswers.push_back(QStringLiteral("/proc/programador.mem"));
        f.Guardar1->trigger();
        QCOMPARE(rig.dialogs.errors.size(), 2);
        QVERIFY(rig.dialogs.errors[1].contains(QStringLiteral("/proc/programador.mem")));
        QCOMPARE(f.windowTitle(), QStringLiteral("PROGRAMADOR DE MEMORIAS: T.VELAR "));
    }

    void lineLimitsOfTheReader() {
        const QByteArray longest = "d\r\n" + QByteArray(memory_file::kMaxLineLength, '1') + "\r\n";
        QVERIFY(!memory_file::parse(longest).lineTooLong);
        QVERIFY(memory_file::parse("d\r\n" + QByteArray(memory_file::kMaxLineLength + 1, '1'))
                    .lineTooLong);
        QCOMPARE(memory_file::parse("").marker, memory_file::Marker::None);
        QCOMPARE(memory_file::parse("h").marker, memory_file::Marker::Hexadecimal);
        QCOMPARE(memory_file::parse(QByteArray("d\0\r\n", 4)).marker, memory_file::Marker::Other);

        // A file refused as no memory file ends the compare like an unreadable one: no count.
        Rig rig;
        rig.form().imagen.setCell(1, 1, "5");
        writeFile(temp("long.mem"), "d\r\n" + QByteArray(memory_file::kMaxLineLength + 1, '1'));
        rig.dialogs.fileAnswers.push_back(temp("long.mem"));
        rig.click(rig.form().BitBtn3);
        QCOMPARE(rig.dialogs.messages, QStringList{"Error en el archivo"});
    }
};

QTEST_MAIN(ReliabilityTest)
#include "test_reliability.moc"
