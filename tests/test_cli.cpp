#include <QBuffer>
#include <QCheckBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>

#include "chip/RomIdentify.h"
#include "cli/Cli.h"
#include "cli/Messages.h"
#include "device/MemoryTypes.h"
#include "image/ImageFormats.h"
#include "tests/support/ByteText.h"
#include "tests/support/CliRig.h"
#include "tests/support/Files.h"
#include "tests/support/Rig.h"

namespace {
image::Bytes randomBytes(std::size_t size, quint32 seed) {
    image::Bytes bytes(size);
    QRandomGenerator generator(seed);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator.bounded(256));
    return bytes;
}

bool objcopy(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("objcopy"), arguments);
    return process.waitForFinished() && process.exitCode() == 0;
}
}  // namespace

class CliTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString temp(const char* name) { return folder_.filePath(QLatin1String(name)); }

  private slots:
    void everyOrderAndItsExitCode() {
        CliRig rig;
        Result r = rig.run({"tipos"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("27c010   Prom 27c010     131072 bytes"));
        QCOMPARE(rig.run({"--help"}).out, cli::kAyuda.toUtf8());
        // The README shows the help as it is.
        QVERIFY(contents(QStringLiteral(PROGRAMADOR_README)).contains(cli::kAyuda.toUtf8()));

        // Usage: each refused before anything is sent.
        const QStringList refused[] = {
            {"leer", "x.bin"},                                     // no type
            {"-t", "27c999", "leer", "x.bin"},                     // unknown type
            {"-t", "sram24", "--hasta", "1024", "leer", "x.bin"},  // past the memory
            {"-t", "sram24", "--desde", "9", "--hasta", "3", "leer", "x.bin"},
            {"-t", "sram24", "--nada", "tipos"},
            {"-t", "sram24", "leer", "x.bin", "--desde"},
            {"-t", "sram24", "grabar", "x.bin"},
            {"--virtual", "-t", "sram24", "borrado"},  // a RAM has no erased state
            {"--virtual", "-t", "sram24", "llenar", "300"},
        };
        for (const QStringList& arguments : refused) {
            r = rig.run(arguments);
            QVERIFY2(r.code == 2, qPrintable(arguments.join(' ')));
            QVERIFY(!r.err.isEmpty());
            QVERIFY(rig.sent().empty());
        }
        QCOMPARE(
            rig.run({"-t", "sram24", "--hasta", "1024", "leer", "x"}).err,
            QByteArray("--hasta: 0x0400 supera la última dirección 0x03FF de Sram 24 Pines\n"));
        QCOMPARE(rig.run({"leer", "x", "--tipo"}).err,
                 QByteArray("Falta el valor de la opción --tipo\n"));

        // No programmer on the real backend.
        r = rig.run({"-t", "sram24", "leer", temp("nada.bin")});
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.startsWith("No se encontró el programador"));

        // A PROM as it comes: blank; programmed, it verifies, then differs.
        QCOMPARE(rig.emulated({"-q", "-t", "27c512", "borrado"}).code, 0);
        const image::Bytes image = randomBytes(65536, 7);
        writeFile(temp("p.bin"), image::writeBinary(image));
        QCOMPARE(rig.emulated({"-q", "-t", "27c512", "programar", temp("p.bin")}).code, 0);
        QCOMPARE(rig.emulated({"-q", "-t", "Prom 27C512", "verificar", temp("p.bin")}).code, 0);
        r = rig.emulated({"-q", "-t", "27c512", "borrado"});
        QCOMPARE(r.code, 1);
        rig.programmer.firmware().setStuckBits(Chip::Prom27c512, 0x1234, 0x01, 0x00);
        image::Bytes changed = image;
        changed[0x1234] |= 0x01;
        changed[0x2000] ^= 0xFF;
        writeFile(temp("q.bin"), image::writeBinary(changed));
        r = rig.emulated(
            {"-q", "-t", "27c512", "--diferencias", temp("d.txt"), "verificar", temp("q.bin")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QString::asprintf("0x1234: chip 0x%02X, archivo 0x%02X\n"
                                          "0x2000: chip 0x%02X, archivo 0x%02X\n"
                                          "2 diferencias en total\n"
                                          "2 direcciones difieren, desde la 0x1234, en 2 "
                                          "tramo(s): 0x1234, 0x2000\n",
                                          image[0x1234] & 0xFE, changed[0x1234], image[0x2000],
                                          changed[0x2000])
                            .toUtf8());
        QCOMPARE(contents(temp("d.txt")).count('\n'), 2);
        QCOMPARE(rig.emulated({"-q", "-t", "sram24", "llenar", "0x5A"}).code, 0);
        QCOMPARE(rig.programmer.firmware().peek(Chip::Sram24, 1023), 0x5A);
    }

    void theBytesAreTheWindows() {
        struct Case {
            const char* what;
            std::function<void(Rig&)> window;
            QStringList cli;
            int tipo = 0;
            // "Comprobar el zócalo" on: the command line's default.
            bool socket = false;
        };
        writeFile(temp("ten.bin"), QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A"));
        const Case cases[] = {
            {"read a range",
             [](Rig& rig) {
                 rig.type(rig.form().LLOT1, "0").type(rig.form().LLOT2, "9");
                 rig.click(rig.form().BitBtn7);
             },
             {"--desde", "0", "--hasta", "9", "leer", temp("out.bin")}},
            {"program a range, verified",
             [](Rig& rig) {
                 for (int a = 0; a < 10; ++a)
                     rig.form().imagen.setCell(1, a + 1, QString::number(a + 1));
                 rig.type(rig.form().PLOT1, "0").type(rig.form().PLOT2, "9");
                 rig.click(rig.form().BitBtn5);
             },
             {"--desde", "0", "--hasta", "9", "programar", temp("ten.bin")}},
            {"program a range after the socket check",
             [](Rig& rig) {
                 for (int a = 0; a < 10; ++a)
                     rig.form().imagen.setCell(1, a + 1, QString::number(a + 1));
                 rig.type(rig.form().PLOT1, "0").type(rig.form().PLOT2, "9");
                 rig.click(rig.form().BitBtn5);
             },
             {"--desde", "0", "--hasta", "9", "programar", temp("ten.bin")},
             0,
             true},
            {"read the whole chip after the socket check",
             [](Rig& rig) { rig.click(rig.form().BitBtn2); },
             {"leer", temp("all.bin")},
             2,
             true},
            {"fill the memory",
             [](Rig& rig) {
                 rig.type(rig.form().Edit3, "90");
                 rig.click(rig.form().BitBtn9);
             },
             {"llenar", "90"}},
            {"fill a range unverified",
             [](Rig& rig) {
                 rig.form().ch->setChecked(false);
                 rig.type(rig.form().DL, "7").type(rig.form().DIL1, "5").type(rig.form().DIL2, "8");
                 rig.click(rig.form().BitBtn10);
             },
             {"--sin-verificar", "--desde", "5", "--hasta", "8", "llenar", "7"}},
            {"program a PROM fast, as the command line does by default",
             [](Rig& rig) {
                 rig.form().ProgramacionRapida1->trigger();
                 for (int a = 0; a < 10; ++a)
                     rig.form().imagen.setCell(1, a + 1, a % 4 ? "255" : QString::number(a + 1));
                 rig.type(rig.form().PLOT1, "0").type(rig.form().PLOT2, "9");
                 rig.click(rig.form().BitBtn5);
             },
             {"--sin-comprobar", "--desde", "0", "--hasta", "9", "programar", temp("prom.bin")},
             3},
            {"the same in full, with --completa",
             [](Rig& rig) {
                 for (int a = 0; a < 10; ++a)
                     rig.form().imagen.setCell(1, a + 1, a % 4 ? "255" : QString::number(a + 1));
                 rig.type(rig.form().PLOT1, "0").type(rig.form().PLOT2, "9");
                 rig.click(rig.form().BitBtn5);
             },
             {"--sin-comprobar", "--completa", "--desde", "0", "--hasta", "9", "programar",
              temp("prom.bin")},
             3},
            {"checked first, then every address: one plan for both",
             [](Rig& rig) {
                 rig.form().ComprobarAntes1->setChecked(true);
                 for (int a = 0; a < 10; ++a)
                     rig.form().imagen.setCell(1, a + 1, a % 4 ? "255" : QString::number(a + 1));
                 rig.type(rig.form().PLOT1, "0").type(rig.form().PLOT2, "9");
                 rig.click(rig.form().BitBtn5);
             },
             {"--completa", "--desde", "0", "--hasta", "9", "programar", temp("prom.bin")},
             3},
        };
        QByteArray prom(10, '\xFF');
        for (int a = 0; a < 10; a += 4) prom[a] = char(a + 1);
        writeFile(temp("prom.bin"), prom);
        for (const Case& c : cases) {
            Rig window;
            window.ready().memoryType(c.tipo);
            if (c.socket) window.form().ComprobarZocalo1->trigger();
            c.window(window);
            CliRig cli;
            const QString type = memoryTypeName(std::uint8_t(c.tipo));
            // The window looks at the socket only when asked to.
            const QStringList socket =
                c.socket ? QStringList() : QStringList{QStringLiteral("--sin-zocalo")};
            QVERIFY2(cli.emulated(QStringList{"-q", "-t", type} + socket + c.cli).code == 0, c.what);
            QVERIFY2(cli.operation() == window.sent(), c.what);
            // The start run, with no greeting (no plug-in was seen); the exit run.
            const Bytes all = cli.sent();
            QCOMPARE(Bytes(all.begin(), all.begin() + 3), (Bytes{8, 8, 8}));
            QCOMPARE(Bytes(all.end() - 2, all.end()), (Bytes{8, 8}));
        }
    }

    // --completa writes every address the image gives, PROM check or not;
    // a job is written over nothing but a job.
    void completaWritesEveryAddressAndJobsWriteOverNoImage() {
        QByteArray prom(16, '\xFF');
        for (int a = 0; a < 16; a += 4) prom[a] = char(a + 1);
        writeFile(temp("cuatro.bin"), prom);
        for (const auto& [options, writes] :
             {std::pair{QStringList{"--completa"}, 16}, std::pair{QStringList{}, 4},
              std::pair{QStringList{"--completa", "--sin-comprobar"}, 16}}) {
            CliRig rig;
            QCOMPARE(rig.emulated(QStringList{"-q", "-t", "27c512", "--hasta", "15"} + options +
                                  QStringList{"programar", temp("cuatro.bin")})
                         .code,
                     0);
            QCOMPARE(rig.programmer.firmware().writesApplied(), writes);
        }
        CliRig rig;
        writeFile(temp("rom.hex"), ":0100000042BD\r\n:00000001FF\r\n");
        for (const QStringList& order :
             {QStringList{"trabajo", temp("rom.hex")},
              QStringList{"trabajo", temp("rom.hex"), temp("rom.hex")}}) {
            const Result r = rig.run(QStringList{"-t", "27c512"} + order);
            QCOMPARE(r.code, 2);
            QCOMPARE(contents(temp("rom.hex")), QByteArray(":0100000042BD\r\n:00000001FF\r\n"));
        }
        QCOMPARE(rig.run({"-t", "27c512", "--intercambiar", "--rellenar", "0x00", "trabajo",
                          temp("nuevo.trabajo"), temp("rom.hex")})
                     .code,
                 0);
        QCOMPARE(rig.run({"-t", "27c512", "trabajo", temp("nuevo.trabajo"), temp("rom.hex")}).code,
                 0);
        QVERIFY(contents(temp("nuevo.trabajo")).contains("intercambiar=no"));
    }

    void ctrlCCancelsWithTheWindowsBytes() {
        // Ctrl+C, and a dropped ssh session: the cancel run, the exit run, and
        // the record's line.
        for (const int signal : {SIGINT, SIGHUP}) {
            CliRig rig;
            QTimer::singleShot(0, [signal] { std::raise(signal); });
            const Result r = rig.emulated(
                {"-q", "-t", "sram24", "--registro", temp("cut.csv"), "leer", temp("cut.bin")});
            QCOMPARE(r.code, 130);
            QCOMPARE(r.err, QByteArray("Interrumpido en la dirección 0x0000\n"));
            QCOMPARE(rig.sent(), (Bytes{8, 8, 8, 8, 8, 8, 8, 8, 8}));
            QVERIFY(!QFile::exists(temp("cut.bin")));
        }
        QCOMPARE(contents(temp("cut.csv")).count(",interrumpido,"), 2);
    }

    void filesInEveryFormat() {
        CliRig rig;
        const image::Bytes chipBytes = randomBytes(131072, 11);
        for (std::uint32_t a = 0; a < chipBytes.size(); ++a)
            rig.programmer.firmware().poke(Chip::Prom27c010, a, chipBytes[a]);
        const QByteArray binary = image::writeBinary(chipBytes);
        // Read out in each format, turned back into binary by objcopy.
        for (const char* name : {"r.hex", "r.s37", "r.bin", "r.mem"})
            QCOMPARE(rig.emulated({"-q", "-t", "27c010", "leer", temp(name)}).code, 0);
        QVERIFY(objcopy({"-I", "ihex", "-O", "binary", temp("r.hex"), temp("hex.bin")}));
        QVERIFY(objcopy({"-I", "srec", "-O", "binary", temp("r.s37"), temp("srec.bin")}));
        QCOMPARE(contents(temp("hex.bin")), binary);
        QCOMPARE(contents(temp("srec.bin")), binary);
        QCOMPARE(contents(temp("r.bin")), binary);
        QCOMPARE(rig.emulated({"-q", "-t", "27c010", "verificar", temp("r.mem")}).code, 0);
        // A range at its addresses in every format: a binary file has FF
        // before it, and holds it alone moved by --desplazamiento DESDE.
        QCOMPARE(rig.emulated({"-q", "-t", "27c010", "--desde", "0xFFF0", "--hasta", "0x1000F",
                               "leer", temp("part.hex")})
                     .code,
                 0);
        QCOMPARE(rig.emulated({"-q", "-t", "27c010", "--desde", "0xFFF0", "--hasta", "0x1000F",
                               "--formato", "bin", "leer", "-"})
                     .out,
                 QByteArray(0xFFF0, '\xFF') + binary.mid(0xFFF0, 32));
        QCOMPARE(rig.emulated({"-q", "-t", "27c010", "--desde", "0xFFF0", "--hasta", "0x1000F",
                               "--desplazamiento", "0xFFF0", "--formato", "bin", "leer", "-"})
                     .out,
                 binary.mid(0xFFF0, 32));
        QVERIFY(objcopy({"-I", "ihex", "-O", "binary", temp("part.hex"), temp("part.bin")}));
        QCOMPARE(contents(temp("part.bin")), binary.mid(0xFFF0, 32));

        // Programmed from objcopy's files, and from standard input.
        const image::Bytes image = randomBytes(65536, 12);
        writeFile(temp("src.bin"), image::writeBinary(image));
        QVERIFY(objcopy({"-I", "binary", "-O", "ihex", temp("src.bin"), temp("src.hex")}));
        QVERIFY(objcopy({"-I", "binary", "-O", "srec", temp("src.bin"), temp("src.s19")}));
        for (const char* name : {"src.hex", "src.s19"}) {
            CliRig fresh;
            QCOMPARE(fresh.emulated({"-q", "-t", "27c512", "programar", temp(name)}).code, 0);
            QCOMPARE(fresh.emulated({"-q", "-t", "27c512", "leer", temp("back.bin")}).code, 0);
            QVERIFY2(contents(temp("back.bin")) == image::writeBinary(image), name);
        }
        CliRig piped;
        piped.input = QByteArray("\x11\x22\x33");
        QCOMPARE(piped.emulated({"-q", "-t", "sram24", "--hasta", "2", "programar", "-"}).code, 0);
        QCOMPARE(piped.programmer.firmware().peek(Chip::Sram24, 2), 0x33);
    }

    void aRefusedFileTouchesNothing() {
        CliRig rig;
        rig.programmer.firmware().poke(Chip::Sram24, 0, 0x42);
        writeFile(temp("bad.hex"), ":0100000001FD\r\n:00000001FF\r\n");
        writeFile(temp("bad.mem"), "d\r\n12\r\nZZ\r\n");
        writeFile(temp("long.mem"), "d\r\n" + QByteArray(1024, '\n') + "7\r\n");
        for (const char* name : {"bad.hex", "bad.mem", "long.mem"}) {
            const Result r = rig.emulated({"-q", "-t", "sram24", "programar", temp(name)});
            QCOMPARE(r.code, 2);
            QVERIFY(rig.sent().empty());
        }
        QCOMPARE(
            rig.emulated({"-t", "sram24", "programar", temp("bad.mem")}).err,
            QByteArray("No se puede usar bad.mem:\nlínea 3: \"ZZ\" no es un número decimal\n"));
        QCOMPARE(rig.programmer.firmware().peek(Chip::Sram24, 0), 0x42);
    }

    void imagesAreMapsOfAddresses() {
        // A 28c64 holding 0x77: sixteen bytes at 0x10 change those sixteen
        // addresses and no other, and verify as such.
        CliRig rig;
        QCOMPARE(rig.emulated({"-q", "-t", "28c64", "llenar", "0x77"}).code, 0);
        image::Bytes sixteen(16);
        for (std::size_t i = 0; i < 16; ++i) sixteen[i] = static_cast<std::uint8_t>(0xA0 + i);
        writeFile(temp("sixteen.hex"), image::writeIntelHex(sixteen, 0x10));
        QCOMPARE(rig.emulated({"-q", "-t", "28c64", "programar", temp("sixteen.hex")}).code, 0);
        for (std::uint32_t a : {0x0Fu, 0x20u, 0x1FFFu})
            QCOMPARE(rig.programmer.firmware().peek(Chip::Eprom28c64, a), 0x77);
        QCOMPARE(rig.programmer.firmware().peek(Chip::Eprom28c64, 0x1F), 0xAF);
        Result r = rig.emulated({"-t", "28c64", "verificar", temp("sixteen.hex")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.err.contains("Correcto: 16 direcciones comparadas (1 tramo)"));
        // With --rellenar the gaps count too: here they differ.
        QCOMPARE(rig.emulated({"-q", "-t", "28c64", "--hasta", "0x2F", "--rellenar", "0xFF",
                               "verificar", temp("sixteen.hex")})
                     .code,
                 1);

        // A range read into a memory file and programmed back into a blank
        // PROM touches nothing else; the same file moved by an offset lands
        // elsewhere, and bytes outside the range are said, even with -q.
        CliRig prom;
        for (std::uint32_t a = 0x100; a < 0x110; ++a)
            prom.programmer.firmware().poke(Chip::Prom27c512, a, static_cast<std::uint8_t>(a));
        QCOMPARE(prom.emulated({"-q", "-t", "27c512", "--desde", "0x100", "--hasta", "0x10F",
                                "leer", temp("part.mem")})
                     .code,
                 0);
        CliRig blank;
        QCOMPARE(blank.emulated({"-q", "-t", "27c512", "programar", temp("part.mem")}).code, 0);
        QCOMPARE(blank.programmer.firmware().peek(Chip::Prom27c512, 0x0FF), 0xFF);
        QCOMPARE(blank.programmer.firmware().peek(Chip::Prom27c512, 0x105), 0x05);
        QCOMPARE(blank.programmer.firmware().peek(Chip::Prom27c512, 0x110), 0xFF);
        r = blank.emulated({"-q", "-t", "27c512", "--desplazamiento", "-0x100", "--hasta", "0x7",
                            "programar", temp("part.mem")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QByteArray("Se omiten 8 bytes del archivo fuera de 0x0000–0x0007\n"));
        QCOMPARE(blank.programmer.firmware().peek(Chip::Prom27c512, 0x3), 0x03);
        QCOMPARE(blank.programmer.firmware().peek(Chip::Prom27c512, 0x8), 0xFF);

        // Two records that disagree name both lines; a missing end record is
        // a warning; a memory file with data past the memory is refused.
        writeFile(temp("twice.hex"), ":0100100011DE\n:0100100022CD\n:00000001FF\n");
        QCOMPARE(rig.emulated({"-t", "28c64", "programar", temp("twice.hex")}).err,
                 QByteArray("No se puede usar twice.hex:\nlínea 2: da a la dirección 0x0010 un "
                            "byte distinto del de la línea 1\n"));
        writeFile(temp("noend.hex"), ":0100100011DE\n:0100100011DE\n");
        r = rig.emulated({"-q", "-t", "28c64", "programar", temp("noend.hex")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QByteArray("Aviso: noend.hex: falta el registro de fin (01)\n"));
        writeFile(temp("past.mem"), "h\r\n" + QByteArray(1024, '\n') + "\n5\r\n");
        QCOMPARE(rig.emulated({"-t", "sram24", "programar", temp("past.mem")}).err,
                 QByteArray("No se puede usar past.mem:\nlínea 1027: un dato más allá de la "
                            "última dirección 0x03FF\n"));
    }

    void aPromIsReadBeforeItIsBurned() {
        // 37 cells hold 0 bits the image needs as 1: refused, nothing written.
        image::Bytes wanted(64, 0x3C);
        writeFile(temp("p.hex"), image::writeIntelHex(wanted, 0x10));
        CliRig rig;
        for (std::uint32_t a = 0x10; a < 0x10 + 37; ++a)
            rig.programmer.firmware().poke(Chip::Prom27c512, a, 0x00);
        Result r = rig.emulated({"-t", "27c512", "programar", temp("p.hex")});
        QCOMPARE(r.code, 1);
        QVERIFY(
            r.err.endsWith("La memoria no admite la imagen: 37 direcciones tienen a 0 bits "
                           "que la imagen pide a 1; la primera, 0x0010, vale 0x00 y la "
                           "imagen pide 0x3C\n"));
        QCOMPARE(rig.programmer.firmware().writesApplied(), 0);
        // Without the check it burns, and the verify pass finds the same cells.
        QCOMPARE(rig.emulated({"-q", "--sin-comprobar", "-t", "27c512", "programar", temp("p.hex")})
                     .code,
                 1);

        // A cell that holds its byte already is not written again.
        CliRig half;
        for (std::uint32_t a = 0x10; a < 0x30; ++a)
            half.programmer.firmware().poke(Chip::Prom27c512, a, 0x3C);
        QCOMPARE(half.emulated({"-q", "-t", "27c512", "programar", temp("p.hex")}).code, 0);
        QCOMPARE(half.programmer.firmware().writesApplied(), 32);
    }

    void infoTellsWhatAnImageGives() {
        // Three runs; the sums of what is given, and of the whole chip with
        // FF in the gaps as the window's checksum line counts them.
        image::Bytes whole(65536, 0xFF);
        QByteArray hex;
        for (const auto& [base, size] :
             {std::pair{0x0000u, 0x1000u}, {0x2000u, 0x100u}, {0xFFF0u, 0x10u}}) {
            const image::Bytes run = randomBytes(size, base + 1);
            std::copy(run.begin(), run.end(), whole.begin() + base);
            const QByteArray records = image::writeIntelHex(run, base);
            hex += records.left(records.lastIndexOf(":00000001FF"));
        }
        writeFile(temp("tres.hex"), hex + ":00000001FF\r\n");
        image::Bytes given(whole.begin(), whole.begin() + 0x1000);
        given.insert(given.end(), whole.begin() + 0x2000, whole.begin() + 0x2100);
        given.insert(given.end(), whole.begin() + 0xFFF0, whole.end());
        const auto sums = [](const image::Bytes& bytes) {
            return QStringLiteral("CRC-32 %1, suma %2")
                .arg(QString::number(image::crc32(bytes), 16).toUpper().rightJustified(8, u'0'),
                     QString::number(image::sum16(bytes), 16).toUpper().rightJustified(4, u'0'));
        };
        CliRig rig;
        const Result r = rig.run({"-t", "27c512", "info", temp("tres.hex")});
        QCOMPARE(r.code, 0);
        QCOMPARE(
            QString::fromUtf8(r.out),
            QStringLiteral("Formato: Intel HEX\n"
                           "3 tramos: 0x0000–0x0FFF, 0x2000–0x20FF, 0xFFF0–0xFFFF; 4368 bytes\n"
                           "Direcciones de 0x0000 a 0xFFFF; bytes dados: %1\n"
                           "Cabe en Prom 27c512; la memoria entera, con FF en los huecos: %2\n")
                .arg(sums(given), sums(whole)));
        QVERIFY(rig.run({"-t", "sram24", "info", temp("tres.hex")})
                    .out.contains("No cabe en Sram 24 Pines: llega a 0xFFFF y su última "
                                  "dirección es 0x03FF"));
        QVERIFY(rig.sent().empty());
    }

    void analizarTellsWhatADumpSays() {
        // A 16 KiB chip read as a 32 KiB one: the halves are equal.
        const image::Bytes half = randomBytes(16384, 5);
        QByteArray twice(reinterpret_cast<const char*>(half.data()), qsizetype(half.size()));
        writeFile(temp("doble.bin"), twice + twice);
        CliRig rig;
        Result r = rig.run({"analizar", temp("doble.bin")});
        QCOMPARE(r.code, 0);
        QCOMPARE(QString::fromUtf8(r.out),
                 QStringLiteral("Aviso: la segunda mitad repite la primera (¿línea de dirección "
                                "A14 sin conectar, o memoria de menos capacidad?)\n"
                                "Análisis: 1 aviso\n"));
        r = rig.run({"--json", "analizar", temp("doble.bin")});
        QVERIFY(r.out.startsWith(
            "{\"esquema\":1,\"evento\":\"hallazgo\",\"texto\":\"la segunda mitad"));
        QVERIFY(r.out.contains("\"tipo\":\"repeticion\"}"));
        // Options that mean nothing for it, and a file past the type, are refused.
        QCOMPARE(rig.run({"--verificar", "analizar", temp("doble.bin")}).code, 2);
        QCOMPARE(rig.run({"-t", "28c64", "analizar", temp("doble.bin")}).code, 2);
        QVERIFY(rig.sent().empty());
    }

    // identificar names each part by the catalogues given; leer
    // --identificar says what it read; nothing of it reaches a programmer.
    void identificarFindsTheLanesOfABoard() {
        const image::Bytes board = randomBytes(16384, 8);
        image::Bytes odd;
        for (std::size_t a = 1; a < board.size(); a += 2) odd.push_back(board[a]);
        const QString crc =
            QStringLiteral("%1").arg(chip::crc32Of(odd), 8, 16, QLatin1Char('0')).toUpper();
        writeFile(temp("arcade.dat"),
                  QStringLiteral("<mame><machine name=\"pacman\"><rom name=\"pacman.6f\" "
                                 "size=\"8192\" crc=\"%1\"/></machine></mame>")
                      .arg(crc)
                      .toUtf8());
        writeFile(temp("placa.bin"),
                  QByteArray(reinterpret_cast<const char*>(board.data()), qsizetype(board.size())));
        CliRig rig;
        Result r = rig.run({"identificar", temp("placa.bin"), "--dat", temp("arcade.dat")});
        QCOMPARE(r.code, 0);
        QCOMPARE(QString::fromUtf8(r.out),
                 QStringLiteral("carril impar = set pacman, rom pacman.6f (CRC %1)\n").arg(crc));
        r = rig.run({"--json", "identificar", temp("placa.bin"), "--dat", temp("arcade.dat")});
        QVERIFY(r.out.contains("\"evento\":\"coincidencia\""));
        QVERIFY(r.out.contains("\"parte\":\"carril impar\""));
        // Nothing matches: exit 1; no catalogue, or a bad one: exit 2.
        const image::Bytes other = randomBytes(8192, 9);
        writeFile(temp("otra.bin"),
                  QByteArray(reinterpret_cast<const char*>(other.data()), qsizetype(other.size())));
        r = rig.run({"identificar", temp("otra.bin"), "--dat", temp("arcade.dat")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.startsWith("Sin coincidencias"));
        QCOMPARE(rig.run({"identificar", temp("placa.bin"), "--dat", temp("otra.bin")}).code, 2);
        QCOMPARE(rig.run({"--verificar", "identificar", temp("placa.bin")}).code, 2);
        QVERIFY(rig.sent().empty());
        // What a read gives, identified: the whole 27c512 holds the board in its first quarter.
        rig.programmer.firmware().insert(Chip::Prom27c512);
        for (std::uint32_t a = 0; a < board.size(); ++a)
            rig.programmer.firmware().poke(Chip::Prom27c512, a, board[a]);
        r = rig.emulated({"-q", "-t", "27c512", "--hasta", "0x3FFF", "leer", "--identificar",
                          "--dat", temp("arcade.dat"), temp("leido.bin")});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.contains(QStringLiteral("Identificación: carril impar = set pacman, rom "
                                               "pacman.6f (CRC %1)\n")
                                    .arg(crc)
                                    .toUtf8()),
                 r.err.constData());
        QCOMPARE(rig.emulated({"-t", "27c512", "leer", "--dat", temp("arcade.dat"), temp("x.bin")}).code,
                 2);
    }

    void lanesAndSwapsAsSrecCatMakesThem() {
        // The even and odd chips of a 16-bit board, and a byte swap, against
        // the trade's own tool.
        const image::Bytes image = randomBytes(2048, 21);
        writeFile(temp("board.bin"), image::writeBinary(image));
        const auto srecCat = [&](const QStringList& filter, const char* out) {
            QProcess tool;
            tool.start(QStringLiteral("srec_cat"), QStringList{temp("board.bin"), "-binary"} +
                                                       filter +
                                                       QStringList{"-o", temp(out), "-binary"});
            QVERIFY(tool.waitForFinished() && tool.exitCode() == 0);
        };
        srecCat({"-split", "2", "0"}, "even.bin");
        srecCat({"-split", "2", "1"}, "odd.bin");
        srecCat({"-split", "4", "3"}, "lane3.bin");
        srecCat({"-byte-swap", "2", "-split", "2", "0"}, "swapped-even.bin");
        const std::pair<QStringList, const char*> cases[] = {
            {{"--carril", "par"}, "even.bin"},
            {{"--carril", "impar"}, "odd.bin"},
            {{"--carril", "3/4"}, "lane3.bin"},
            {{"--intercambiar", "--carril", "0/2"}, "swapped-even.bin"},
        };
        for (const auto& [options, expected] : cases) {
            CliRig chip;
            QVERIFY(chip.emulated(QStringList{"-q", "-t", "sram24"} + options +
                                  QStringList{"programar", temp("board.bin")})
                        .code == 0);
            const QByteArray reference = contents(temp(expected));
            for (qsizetype a = 0; a < reference.size(); ++a)
                QVERIFY2(chip.programmer.firmware().peek(Chip::Sram24, std::uint32_t(a)) ==
                             std::uint8_t(reference[a]),
                         expected);
            QVERIFY(chip.emulated(QStringList{"-q", "-t", "sram24"} + options +
                                  QStringList{"verificar", temp("board.bin")})
                        .code == 0);
        }

        // The even chip, then the odd chip, read into one file: the board's image again.
        CliRig even;
        CliRig odd;
        QCOMPARE(
            even.emulated({"-q", "-t", "sram24", "--carril", "par", "programar", temp("board.bin")})
                .code,
            0);
        QCOMPARE(odd.emulated(
                        {"-q", "-t", "sram24", "--carril", "impar", "programar", temp("board.bin")})
                     .code,
                 0);
        QCOMPARE(even.emulated({"-q", "-t", "sram24", "--carril", "par", "leer", temp("board.hex")})
                     .code,
                 0);
        QCOMPARE(odd.emulated({"-q", "-t", "sram24", "--carril", "impar", "--conservar", "leer",
                               temp("board.hex")})
                     .code,
                 0);
        QVERIFY(objcopy({"-I", "ihex", "-O", "binary", temp("board.hex"), temp("rebuilt.bin")}));
        QProcess unsplit;
        unsplit.start(QStringLiteral("srec_cat"),
                      {temp("even.bin"), "-binary", "-unsplit", "2", "0", temp("odd.bin"),
                       "-binary", "-unsplit", "2", "1", "-o", temp("unsplit.bin"), "-binary"});
        QVERIFY(unsplit.waitForFinished() && unsplit.exitCode() == 0);
        QCOMPARE(contents(temp("rebuilt.bin")), contents(temp("unsplit.bin")));
        QCOMPARE(contents(temp("rebuilt.bin")), image::writeBinary(image));
    }

    void progressOnAndOffATerminal() {
        CliRig rig;
        rig.platform.clock = [] {
            static std::int64_t now = 0;
            return now += 1'000'000;  // a millisecond per look at the clock
        };
        Result r = rig.emulated({"-t", "sram28", "leer", temp("a.bin")});
        QVERIFY(!r.err.contains('\r'));
        QCOMPARE(r.err.count('\n'), 13);
        QVERIFY(r.err.contains("Leyendo dirección 0x0CCD: 40 %\n"));
        // The read's bytes analysed: a fresh emulated RAM holds 00 everywhere.
        QVERIFY(r.err.contains("\nAviso: toda la memoria vale 00: "));
        QVERIFY(r.err.contains("\nCorrecto: 8192 direcciones leídas en "));
        rig.terminal = true;
        r = rig.emulated({"-t", "sram28", "leer", temp("a.bin")});
        QVERIFY(r.err.startsWith('\r'));
        QVERIFY(r.err.contains("quedan"));
        QCOMPARE(r.err.count('\n'), 3);
        QCOMPARE(rig.emulated({"-q", "-t", "sram28", "leer", temp("a.bin")}).err, QByteArray());
        // Programming goes on into its verify pass.
        rig.terminal = false;
        writeFile(temp("p28.bin"), QByteArray(8192, '\x11'));
        r = rig.emulated({"-t", "sram28", "programar", temp("p28.bin")});
        QVERIFY(r.err.startsWith("Programando dirección 0x0000: 0 %\n"));
        QVERIFY(r.err.contains("Verificando dirección"));
        QVERIFY(r.err.contains("Verificando dirección 0x1FFF: 100 %\n"));
        QVERIFY(r.err.contains("\nCorrecto: 8192 direcciones programadas y verificadas en "));
    }

    void registroKeepsALinePerChip() {
        CliRig rig;
        writeFile(temp("img.bin"), QByteArray(1024, '\x33'));
        const QString log = temp("registro.csv");
        for (int chipNumber = 0; chipNumber < 2; ++chipNumber)
            QCOMPARE(rig.emulated({"-q", "-t", "sram24", "--registro", log, "--operario",
                                   "Ana, turno 2", "programar", temp("img.bin")})
                         .code,
                     0);
        rig.programmer.firmware().setStuckBits(Chip::Sram24, 5, 0x01, 0x00);
        QCOMPARE(
            rig.emulated({"-q", "-t", "sram24", "--registro", log, "verificar", temp("img.bin")})
                .code,
            1);
        const QList<QByteArray> lines = contents(log).trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        // The first eight columns as they always were, the new ones after.
        QVERIFY(
            lines[0].startsWith("fecha,tipo,orden,rango,crc32,resultado,diferencias,segundos,"));
        const QList<QByteArray> names = lines[0].split(',');
        QCOMPARE(names.size(), 23);
        QCOMPARE(names.last(), QByteArray("trabajo"));
        const QByteArray crc = QByteArray::number(image::crc32(image::Bytes(1024, 0x33)), 16)
                                   .toUpper()
                                   .rightJustified(8, '0');
        QVERIFY(lines[1].contains(",Sram 24 Pines,programar,0000-03FF," + crc + ",correcto,0,"));
        QVERIFY(lines[3].contains(",verificar,0000-03FF," + crc + ",difiere,1,"));
        // The time to the millisecond, with its offset; an operator's comma quoted.
        QVERIFY(
            QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}"
                                              "(Z|[+-]\\d\\d:\\d\\d),"))
                .match(QString::fromUtf8(lines[1]))
                .hasMatch());
        QVERIFY(lines[1].contains(",\"Ana, turno 2\","));
        QVERIFY(lines[1].contains(",VIRTUAL-1,img.bin,rapida,si,0,,,"));
        QVERIFY(lines[3].contains(
            ",VIRTUAL-1,img.bin,rapida,si,0,,\"0x0005: chip 0x32, archivo 0x33\","));

        // A record begun with eight columns goes on with eight, and the old names.
        const QString old = temp("antiguo.csv");
        writeFile(old, "fecha,tipo,orden,rango,crc32,resultado,diferencias,segundos\n");
        rig.programmer.unplug();
        QCOMPARE(
            rig.emulated({"-q", "-t", "sram24", "--registro", old, "leer", temp("o.bin")}).code, 3);
        const QList<QByteArray> oldLines = contents(old).trimmed().split('\n');
        QCOMPARE(oldLines.size(), 2);
        QCOMPARE(oldLines[1].split(',').size(), 8);
        QVERIFY(oldLines[1].contains(",sin programador,0,"));
    }

    void aJobFileAndTheOptionsThatOverrideIt() {
        CliRig rig;
        writeFile(temp("trabajo-img.bin"), QByteArray(64, '\x5A'));
        const QString jobPath = temp("t.trabajo");
        Result r = rig.run({"-t", "28c64", "--hasta", "0x3F", "--sin-verificar", "--reintentos",
                            "3", "trabajo", jobPath, temp("trabajo-img.bin")});
        QCOMPARE(r.code, 0);
        r = rig.run({"info", jobPath});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith("tipo: 28c64\nimagen: " + temp("trabajo-img.bin").toUtf8() +
                                 "\nintercambiar: no\nrango: 0x0000-0x003F\nverificacion: "
                                 "no\nreintentos: 3\n"));

        // The job's type, image and range; the command line's --hasta and
        // --completa win over it.
        r = rig.emulated({"--trabajo", jobPath, "--hasta", "0xF", "programar"});
        QCOMPARE(r.code, 0);
        QCOMPARE(rig.programmer.firmware().peek(Chip::Eprom28c64, 0xF), 0x5A);
        QCOMPARE(rig.programmer.firmware().peek(Chip::Eprom28c64, 0x10), 0xFF);
        QVERIFY(r.err.contains("Hecho sin verificar: 16 direcciones programadas"));
        r = rig.emulated({"--trabajo", jobPath, "--hasta", "0xF", "--verificar", "programar"});
        QVERIFY(r.err.contains("programadas y verificadas"));
        r = rig.emulated({"--trabajo", jobPath, "-t", "sram24", "verificar"});
        QCOMPARE(r.code, 1);  // the sram24 holds nothing of it

        writeFile(temp("malo.trabajo"), "tipo=28c64\ncarril=5/2\n");
        r = rig.emulated({"--trabajo", temp("malo.trabajo"), "programar", temp("trabajo-img.bin")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.startsWith("El trabajo " + temp("malo.trabajo").toUtf8() + ": carril: 5/2"));
        QVERIFY(rig.sent().empty());
    }

    void diagnosisOnTheCommandLine() {
        CliRig rig;
        const image::Bytes image = randomBytes(1024, 5);
        for (std::uint32_t a = 0; a < 1024; ++a)
            rig.programmer.firmware().poke(Chip::Sram24, a, image[a]);
        writeFile(temp("good.bin"), image::writeBinary(image));
        QCOMPARE(rig.emulated({"-q", "-t", "sram24", "verificar", temp("good.bin")}).err,
                 QByteArray());
        // The chip is right, but A9 reads low: the upper half reads the lower.
        rig.programmer.firmware().setAddressLineLow(9);
        const Result r = rig.emulated({"-q", "-t", "sram24", "verificar", temp("good.bin")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.endsWith("la línea de dirección A9 parece pegada a 0 o suelta.\n"));
    }

    void needsNoDesktop() {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {QStringLiteral(PROGRAMADOR_CLI)});
        QVERIFY(ldd.waitForFinished());
        const QByteArray libraries = ldd.readAllStandardOutput();
        QVERIFY(libraries.contains("libQt6Core"));
        QVERIFY(!libraries.contains("libQt6Gui"));
        QVERIFY(!libraries.contains("libQt6Widgets"));
    }

    void aRealProcessEndsOnCtrlC() {
        const QString chipFile = temp("chip.bin");
        QProcess cli;
        cli.setProgram(QStringLiteral(PROGRAMADOR_CLI));
        cli.setArguments({"--virtual=" + chipFile, "-t", "27c010", "leer", temp("long.hex")});
        cli.start();
        QVERIFY(cli.waitForStarted());
        // Paced like the real link, the whole chip takes minutes: stop it at its first line.
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += cli.readAllStandardError()).contains("Leyendo"), 10000);
        ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 130);
        QVERIFY((err + cli.readAllStandardError()).contains("Interrumpido en la dirección"));
        QVERIFY(!QFile::exists(temp("long.hex")));
        QCOMPARE(QFileInfo(chipFile).size(), 131072);
        // Another type's chip file is refused, and kept as it is.
        QProcess other;
        other.start(QStringLiteral(PROGRAMADOR_CLI),
                    {"--virtual=" + chipFile, "--sin-pausa", "-t", "sram24", "leer", "-"});
        QVERIFY(other.waitForFinished(10000));
        QCOMPARE(other.exitCode(), 2);
        QCOMPARE(QFileInfo(chipFile).size(), 131072);
    }
};

QTEST_MAIN(CliTest)
#include "test_cli.moc"
