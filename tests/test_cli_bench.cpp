// programador-cli on a bench: several emulated programmers at once, a batch
// answered at the terminal, serial numbers and their counter, repeated reads.
#include <sys/stat.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "engine/SerialNumber.h"
#include "tests/support/CliRig.h"
#include "tests/support/Terminal.h"

namespace {
const QString kCli = QStringLiteral(PROGRAMADOR_CLI);

Result runCli(const QStringList& arguments) {
    QProcess process;
    process.start(kCli, arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class CliBenchTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString temp(const QString& name) { return folder_.filePath(name); }

  private slots:
    void aGangProgramsEveryChipAndOneFailsAlone() {
        QByteArray image(8192, '\0');
        for (int i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
        QFile file(temp("img.bin"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(image);
        file.close();
        const QString record = temp("gang.csv");
        // The second programmer goes away in the middle of its chip.
        const Result r = runCli({"--virtual=" + temp("g1.bin"), "--virtual=" + temp("g2.bin"),
                                 "--virtual=" + temp("g3.bin"), "--sin-pausa", "--fallo-virtual",
                                 "2:desconecta=2000", "--registro", record, "-t", "sram28",
                                 "--todos", "programar", temp("img.bin")});
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.contains("VIRTUAL-2: Revise Conexion USB"));
        QVERIFY(r.err.contains("VIRTUAL-1: Correcto: 8192 direcciones programadas y verificadas"));
        QVERIFY(r.err.endsWith("2 correctas, 1 fallida\n"));
        QCOMPARE(contentsOf(temp("g1.bin")), image);
        QCOMPARE(contentsOf(temp("g3.bin")), image);
        const QList<QByteArray> lines = contentsOf(record).trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        for (const char* expected : {",correcto,0,", ",error,0,"})
            QVERIFY(std::any_of(lines.begin(), lines.end(),
                                [&](const QByteArray& line) { return line.contains(expected); }));

        // A chip that differs outweighs a programmer that failed: exit 1.
        QFile other(temp("g3.bin"));
        QVERIFY(other.open(QIODevice::ReadWrite));
        other.write("X");
        other.close();
        const Result v =
            runCli({"--virtual=" + temp("g1.bin"), "--virtual=" + temp("g2.bin"),
                    "--virtual=" + temp("g3.bin"), "--sin-pausa", "--fallo-virtual", "2:mudo", "-t",
                    "sram28", "--todos", "verificar", temp("img.bin")});
        QCOMPARE(v.code, 1);
        QVERIFY(v.err.contains("VIRTUAL-3: 0x0000: chip 0x58, archivo 0x00"));
        QVERIFY(v.err.endsWith("1 correcta, 2 fallidas\n"));
    }

    void aBatchAsksAtTheTerminalAndNumbersOnlyGoodChips() {
        QFile image(temp("lote.bin"));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(QByteArray(64, '\x11'));
        image.close();
        const QString counter = temp("contador.txt");
        const QString record = temp("lote.csv");
        // The programmer goes at its 1500th report: in the second chip.
        Terminal bench(
            kCli, {"--virtual", "--sin-pausa", "--fallo-virtual", "1:desconecta=1500", "-t",
                   "sram24", "--hasta", "0xFF", "--lote", "--serie", "0x80,2,1000,1,bcd",
                   "--contador", counter, "--registro", record, "programar", temp("lote.bin")});
        const QByteArray prompt = "Coloque la siguiente memoria y pulse Enter (q para terminar)";
        QVERIFY(bench.waitFor("Memoria 1: correcta"));
        QVERIFY(bench.waitFor(prompt));
        bench.type("\n");
        QVERIFY(bench.waitFor("Memoria 2: fallida (error)"));
        QVERIFY(bench.waitFor("\a" + prompt));
        bench.type("q\n");
        QVERIFY(bench.waitFor("memorias, 1 correcta y 1 fallida; rendimiento 50,0 %"));
        QCOMPARE(bench.exitCode(), 3);
        // 1000 went into the good chip; 1001 comes back for the next one.
        QCOMPARE(contentsOf(counter), QByteArray("1002 1001\n"));
        const QList<QByteArray> lines = contentsOf(record).trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].contains(",correcto,") && lines[1].contains(",1,1000,"));
        QVERIFY(lines[2].contains(",error,") && lines[2].contains(",2,1001,"));

        // Without a terminal there is no batch.
        const Result r = runCli({"--virtual", "-t", "sram24", "--lote", "borrado"});
        QCOMPARE(r.code, 2);

        // Enter pressed while a chip is programmed answers no question yet.
        Terminal paced(kCli, {"--virtual", "-t", "sram24", "--hasta", "0xFF", "--lote", "programar",
                              temp("lote.bin")});
        paced.type("\n\n");
        QVERIFY(paced.waitFor("Memoria 1: correcta"));
        QVERIFY(paced.waitFor(prompt));
        QVERIFY(!paced.waitFor("Memoria 2", 700));
        paced.type("q\n");
        QCOMPARE(paced.exitCode(), 0);
    }

    void theCounterTakesNothingThatIsNoCounter() {
        writeFile(temp("c.bin"), QByteArray(32, '\x11'));
        const auto program = [&](const QString& counter, const QStringList& more = {}) {
            return runCli(QStringList{"--virtual", "--sin-pausa", "-q", "-t", "sram24", "--hasta",
                                      "0x1F", "--serie", "0x10,8,1", "--contador", counter} +
                          more + QStringList{"programar", temp("c.bin")});
        };
        // A number without its line break is a number; a blank first line,
        // the image itself or the record are no counter, and stay as they were.
        writeFile(temp("sin-fin.txt"), "41");
        QCOMPARE(program(temp("sin-fin.txt")).code, 0);
        QCOMPARE(contentsOf(temp("sin-fin.txt")), QByteArray("42\n"));
        writeFile(temp("notas.txt"), "\nnotas\n");
        QCOMPARE(program(temp("notas.txt")).code, 2);
        QCOMPARE(contentsOf(temp("notas.txt")), QByteArray("\nnotas\n"));
        QCOMPARE(program(temp("c.bin")).code, 2);
        QCOMPARE(contentsOf(temp("c.bin")), QByteArray(32, '\x11'));
        QCOMPARE(program(temp("r.csv"), {"--registro", temp("r.csv")}).code, 2);
        // The last number there is goes out once; none wraps to 0.
        writeFile(temp("fin.txt"), "18446744073709551615\n");
        QCOMPARE(program(temp("fin.txt")).code, 0);
        const Result none = program(temp("fin.txt"));
        QCOMPARE(none.code, 2);
        QVERIFY(none.err.startsWith("No quedan números de serie"));
        // Unverified chips would all take one number.
        QCOMPARE(program(temp("x.txt"), {"--sin-verificar"}).code, 2);
        // A FIFO is one image for all the chips of a gang: refused.
        QVERIFY(::mkfifo(QFile::encodeName(temp("tubo")).constData(), 0600) == 0);
        const Result gang = runCli({"--virtual=" + temp("t1.bin"), "--virtual=" + temp("t2.bin"),
                                    "-t", "sram24", "--todos", "programar", temp("tubo")});
        QCOMPARE(gang.code, 2);
        QVERIFY(gang.err.startsWith("Con --todos o --lote,"));
    }

    void serialNumbersInEveryFormat() {
        const auto bytes = [](const char* layout, std::uint64_t number) {
            return cli::serialBytes(
                std::get<cli::SerialLayout>(engine::parseSerial(QLatin1String(layout))), number);
        };
        using B = std::vector<std::uint8_t>;
        QCOMPARE(*bytes("0,4,0", 0x12345678), (B{0x78, 0x56, 0x34, 0x12}));
        QCOMPARE(*bytes("0,4,0,1,be", 0x12345678), (B{0x12, 0x34, 0x56, 0x78}));
        QCOMPARE(*bytes("0,3,0,1,bcd", 12345), (B{0x01, 0x23, 0x45}));
        QCOMPARE(*bytes("0,5,0,1,ascii", 427), (B{'0', '0', '4', '2', '7'}));
        QCOMPARE(*bytes("0,4,0,1,asciihex", 0xBEEF), (B{'B', 'E', 'E', 'F'}));
        QVERIFY(!bytes("0,1,0", 256).has_value());
        QVERIFY(!bytes("0,2,0,1,bcd", 10000).has_value());
        for (const char* wrong : {"0,0,1", "0,4", "0,4,1,0", "0,4,1,1,octal", "x,4,1", "0,4,-1"})
            QVERIFY(image::refusalOf(engine::parseSerial(QLatin1String(wrong))));

        // Into the chip over the image, the PROM check taking it in: a number
        // that needs a 1 where the chip holds a 0 is refused, nothing written.
        CliRig rig;
        writeFile(folder_.filePath("ff.bin"), QByteArray(16, '\xFF'));
        Result r = rig.emulated({"-q", "-t", "27c512", "--hasta", "0xF", "--serie",
                                 "0x4,2,0x0A0B,1,be", "programar", folder_.filePath("ff.bin")});
        QCOMPARE(r.code, 0);
        QCOMPARE(rig.programmer.firmware().peek(Chip::Prom27c512, 4), 0x0A);
        QCOMPARE(rig.programmer.firmware().peek(Chip::Prom27c512, 5), 0x0B);
        r = rig.emulated({"-q", "-t", "27c512", "--hasta", "0xF", "--serie", "0x4,2,0x0F0F,1,be",
                          "programar", folder_.filePath("ff.bin")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.startsWith("La memoria no admite la imagen"));
        QCOMPARE(rig.programmer.firmware().peek(Chip::Prom27c512, 4), 0x0A);
        r = rig.emulated({"-t", "27c512", "--hasta", "0xF", "--serie", "0xF,2,1", "programar",
                          folder_.filePath("ff.bin")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.startsWith("--serie: 0x000F–0x0010 queda fuera del rango"));
    }

    void unstableReadsWriteNothing() {
        const QString dump = temp("inestable.bin");
        Result r = runCli({"--virtual", "--sin-pausa", "--fallo-virtual", "1:inestable", "-t",
                           "27c010", "--hasta", "0x1FFF", "--lecturas", "3", "leer", dump});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("Lectura inestable: "));
        QVERIFY(r.err.contains("revise el contacto de la memoria"));
        QVERIFY(!QFile::exists(dump));
        r = runCli({"--virtual", "--sin-pausa", "-q", "-t", "27c010", "--hasta", "0x1FFF",
                    "--lecturas", "3", "leer", dump});
        QCOMPARE(r.code, 0);
        QCOMPARE(contentsOf(dump), QByteArray(0x2000, '\xFF'));
    }
};

QTEST_MAIN(CliBenchTest)
#include "test_cli_bench.moc"
