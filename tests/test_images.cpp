#include <QChartView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <random>

#include "app/JobCommands.h"
#include "app/StatisticsWindow.h"
#include "files/ImageCommands.h"
#include "image/ImageFormats.h"
#include "image/ImageIo.h"
#include "image/JobFile.h"
#include "image/MemoryFile.h"
#include "operations/BlankCheck.h"
#include "operations/ProgressLine.h"
#include "tests/support/ByteText.h"
#include "tests/support/CliRig.h"
#include "tests/support/Files.h"
#include "tests/support/Rig.h"
#include "view/ChecksumLine.h"
#include "view/Unit2.h"

using image::Format;

namespace {
const std::size_t kSizes[] = {1024, 8192, 65536, 131072};

image::Bytes randomBytes(std::size_t size) {
    image::Bytes bytes(size);
    QRandomGenerator generator(static_cast<quint32>(size));
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator.bounded(256));
    return bytes;
}

QByteArray asArray(const image::Bytes& bytes) {
    return image::writeBinary(bytes);
}

// binutils' objcopy, a tool that owes nothing to this program.
bool objcopy(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("objcopy"), arguments);
    return process.waitForFinished() && process.exitCode() == 0;
}
}  // namespace

class ImagesTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString temp(const QString& name) { return folder_.filePath(name); }

  private slots:
    void eachReaderGivesItsCoverage() {
        using image::Format;
        QCOMPARE(image::readMap(Format::Binary, "\x01\x02\x03").map.text(),
                 QStringLiteral("1 tramo: 0x0000–0x0002; 3 bytes"));
        // Two runs, one above 64 KiB through an 04 record, and an S-record at 0x100.
        const QByteArray hex =
            image::writeIntelHex({0x11, 0x22}, 0x10).replace(":00000001FF\r\n", "") +
            image::writeIntelHex({0x33}, 0x10000);
        const image::MapRead read = image::readMap(Format::IntelHex, hex);
        QVERIFY(!read.fault && read.warnings.isEmpty());
        QCOMPARE(read.map.text(), QStringLiteral("2 tramos: 0x0010–0x0011, 0x10000; 3 bytes"));
        QCOMPARE(
            image::readMap(Format::SRecord, image::writeSRecord({1, 2, 3, 4}, 0x100)).map.text(),
            QStringLiteral("1 tramo: 0x0100–0x0103; 4 bytes"));
        QCOMPARE(image::writeMap(Format::IntelHex, read.map), hex);

        // Offsets both ways, refused past either end of the address space.
        QCOMPARE(image::shifted(read.map, -0x10)->lowest(), 0u);
        QVERIFY(!image::shifted(read.map, -0x11));
        QCOMPARE(image::shifted(read.map, 0x100)->highest(), 0x10100u);
        QVERIFY(!image::shifted(read.map, 0xFFFFFFFFll));

        // Lanes taken apart and put back, and a swap twice, give the image again.
        image::Map board;
        for (std::uint32_t a = 0; a < 40; ++a) board.put(a + 3, static_cast<std::uint8_t>(a * 7));
        for (const unsigned n : {2u, 4u}) {
            image::Map rebuilt;
            for (unsigned k = 0; k < n; ++k)
                image::putLane(rebuilt, image::lane(board, k, n), k, n);
            QCOMPARE(rebuilt.runs(), board.runs());
        }
        QCOMPARE(image::swapped(image::swapped(board)).runs(), board.runs());
        QCOMPARE(image::swapped(board).at(2), std::optional<std::uint8_t>(0));
    }

    void objcopyFilesReadAndOurFilesReadByObjcopy() {
        for (std::size_t size : kSizes) {
            const image::Bytes bytes = randomBytes(size);
            writeFile(temp("ref.bin"), asArray(bytes));
            QVERIFY(objcopy({"-I", "binary", "-O", "ihex", temp("ref.bin"), temp("ref.hex")}));
            QVERIFY(objcopy({"-I", "binary", "-O", "srec", temp("ref.bin"), temp("ref.s28")}));
            QVERIFY(objcopy({"-I", "binary", "-O", "srec", "--srec-forceS3", temp("ref.bin"),
                             temp("ref.s37")}));
            for (const char* name : {"ref.bin", "ref.hex", "ref.s28", "ref.s37"}) {
                const QByteArray file = contents(temp(name));
                const auto format = image::formatOfName(temp(name));
                QVERIFY(format && format == image::formatOfContents(file));
                const image::ReadResult read = image::read(*format, file, size);
                QVERIFY2(!read.fault,
                         qPrintable(name + (": " + read.fault.value_or(image::Fault{}).text())));
                QVERIFY2(read.bytes == bytes, name);
            }
            const std::pair<Format, const char*> ours[] = {{Format::IntelHex, "ihex"},
                                                           {Format::SRecord, "srec"}};
            for (const auto& [format, bfd] : ours) {
                writeFile(temp("ours"), image::write(format, bytes));
                QVERIFY(objcopy({"-I", bfd, "-O", "binary", temp("ours"), temp("back.bin")}));
                QCOMPARE(contents(temp("back.bin")), asArray(bytes));
            }
        }
        // An S1 file names every record count in an S5.
        const QByteArray small = image::writeSRecord(image::Bytes(40, 7));
        QVERIFY(small.startsWith("S0") && small.contains("\r\nS5030003F9\r\nS9030000FC\r\n"));
    }

    void refusedFilesNameTheLineAndTheFault() {
        struct Case {
            Format format;
            QByteArray file;
            QString fault;
        };
        const Case cases[] = {
            {Format::Binary, QByteArray(1025, 'x'),
             "el archivo tiene 1025 bytes y la memoria 1024"},
            {Format::IntelHex, ":0100000001FD\r\n:00000001FF\r\n",
             "línea 1: suma de comprobación errónea"},
            {Format::IntelHex, ":0104000001FA\r\n:00000001FF\r\n",
             "línea 1: la dirección 0x0400 está fuera de la memoria (la última es 0x03FF)"},
            {Format::IntelHex, ":00000007F9\r\n", "línea 1: tipo de registro desconocido (07)"},
            {Format::IntelHex, "\r\n:0200000001\r\n",
             "línea 2: la longitud del registro no coincide con su cuenta"},
            {Format::IntelHex, ":0100000001F\r\n", "línea 1: cantidad impar de dígitos"},
            {Format::IntelHex, ":0100000001FE\r\n", "falta el registro de fin (01)"},
            {Format::SRecord, "S1040400AA4D\r\nS9030000FC\r\n",
             "línea 1: la dirección 0x0400 está fuera de la memoria (la última es 0x03FF)"},
            {Format::SRecord, "S1040000AA50\r\n", "línea 1: suma de comprobación errónea"},
            {Format::SRecord, "S4030000FC\r\n", "línea 1: tipo de registro desconocido (S4)"},
            {Format::SRecord, "S1040000AA51\r\nS5030002FA\r\nS9030000FC\r\n",
             "línea 2: cuenta 2 registros de datos y hay 1"},
            {Format::SRecord, "S1040000A\r\n", "línea 1: cantidad impar de dígitos"},
        };
        for (const Case& c : cases) {
            const image::ReadResult read = image::read(c.format, c.file, 1024);
            QVERIFY2(read.fault, c.file.constData());
            QCOMPARE(read.fault->text(), c.fault);
        }
        // The grid stays exactly as it was.
        Rig rig;
        rig.memoryType(0);
        rig.form().imagen.setCell(1, 1, QStringLiteral("kept"));
        writeFile(temp("bad.hex"), ":0100000001FD\r\n:00000001FF\r\n");
        rig.dialogs.fileAnswers.push_back(temp("bad.hex"));
        rig.form().Importar1->trigger();
        QCOMPARE(
            rig.dialogs.messages,
            QStringList{"No se puede importar bad.hex:\nlínea 1: suma de comprobación errónea"});
        QCOMPARE(rig.cell(1), QStringLiteral("kept"));
        // The window names addresses as its grid shows them, here in decimal.
        writeFile(temp("far.s19"), "S104FF00AA52\r\nS9030000FC\r\n");
        rig.dialogs.fileAnswers.push_back(temp("far.s19"));
        rig.form().Importar1->trigger();
        QVERIFY2(rig.dialogs.messages.last().contains(
                     "línea 1: la dirección 65280 está fuera de la memoria (la última es "),
                 qPrintable(rig.dialogs.messages.last()));
    }

    void importAndExportWithAnOffsetAndALane() {
        // A 16-bit board's image linked at 0xE000: its odd bytes, moved to
        // 0, are the odd chip's; exported again as that lane at 0xE000.
        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        image::Bytes board(64);
        for (std::size_t a = 0; a < board.size(); ++a) board[a] = static_cast<std::uint8_t>(a + 1);
        writeFile(temp("board.hex"), image::writeIntelHex(board, 0xE000));
        rig.dialogs.fileAnswers.push_back(temp("board.hex"));
        rig.dialogs.chosenOffset = QStringLiteral("-0xE000");
        rig.dialogs.chosenLane = 2;  // "impar"
        f.Importar1->trigger();
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(rig.dialogs.lastOptions.imageMapping, true);
        QCOMPARE(rig.cell(1), QStringLiteral("2"));
        QCOMPARE(rig.cell(32), QStringLiteral("64"));
        QCOMPARE(rig.cell(33), QStringLiteral("255"));

        // Exported as lane 0 of 2 at 0x100: the chip's even bytes, at half the address.
        rig.dialogs.fileAnswers.push_back(temp("even.hex"));
        rig.dialogs.chosenOffset = QStringLiteral("0x100");
        rig.dialogs.chosenLane = 1;  // "par"
        f.Exportar1->trigger();
        const image::MapRead back =
            image::readMap(image::Format::IntelHex, contents(temp("even.hex")));
        QCOMPARE(back.map.lowest(), 0x100u);
        QCOMPARE(back.map.size(), 512u);
        QCOMPARE(back.map.at(0x101), std::optional<std::uint8_t>(6));

        // An offset that is no number, or that leaves the addresses: refused.
        for (const char* offset : {"0x0x1", "-0xE001"}) {
            rig.dialogs.clear();
            rig.dialogs.fileAnswers.push_back(temp("board.hex"));
            rig.dialogs.chosenOffset = QString::fromLatin1(offset);
            f.Importar1->trigger();
            QCOMPARE(rig.dialogs.messages.size(), 1);
            QVERIFY(rig.dialogs.messages.first().startsWith("No se puede importar board.hex:"));
        }
    }

    // An image built from two lanes of a board: each import keeps the rest,
    // one undo step takes one back, and the bytes agree with the command
    // line's reading of the same file with the same placement.
    void importKeepsTheRestAndSwapsBytes() {
        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        image::Bytes board(32);
        for (std::size_t a = 0; a < board.size(); ++a) board[a] = static_cast<std::uint8_t>(a + 1);
        writeFile(temp("b.bin"), image::writeBinary(board));
        const auto importLane = [&](int lane, bool swap) {
            rig.dialogs.fileAnswers.push_back(temp("b.bin"));
            rig.dialogs.chosenLane = lane;
            rig.dialogs.chosenSwap = swap;
            rig.dialogs.chosenKeepRest = true;
            f.Importar1->trigger();
            QVERIFY(rig.dialogs.messages.isEmpty());
        };
        f.imagen.setCell(1, 1 + 100, QStringLiteral("7"));
        importLane(1, false);  // "par": chip 0..15 = 1, 3, 5...
        QCOMPARE(rig.cell(1), QStringLiteral("1"));
        QCOMPARE(rig.cell(16), QStringLiteral("31"));
        QCOMPARE(rig.cell(101), QStringLiteral("7"));
        rig.dialogs.chosenOffset = QStringLiteral("32");  // the odd lane, swapped, after it
        importLane(2, true);
        QCOMPARE(rig.cell(17), QStringLiteral("1"));
        QCOMPARE(rig.cell(1), QStringLiteral("1"));
        QCOMPARE(rig.cell(101), QStringLiteral("7"));
        f.Deshacer1->trigger();
        QCOMPARE(rig.cell(17), QStringLiteral(""));
        QCOMPARE(rig.cell(1), QStringLiteral("1"));
        QVERIFY(rig.dialogs.lastOptions.keepRestField);
        QCOMPARE(rig.dialogs.lastOptions.title, QStringLiteral("Importar"));

        // The window's reading and the command line's agree on random files.
        std::mt19937 random(35);
        for (int n = 0; n < 100; ++n) {
            const image::Format format = std::array{image::Format::Binary, image::Format::IntelHex,
                                                    image::Format::SRecord}[random() % 3];
            image::Bytes bytes(1 + random() % 1024);
            for (auto& byte : bytes) byte = std::uint8_t(random());
            const QByteArray file =
                image::write(format, bytes, random() % (1024 - bytes.size() + 1));
            ChosenFile chosen{temp("f.img"),
                              0,
                              QString::number(int(random() % 64) - 32),
                              int(random() % 7),
                              random() % 2 == 1,
                              false};
            writeFile(chosen.path, file);
            const auto window = ImageCommands::load(chosen, 1024, format);
            const auto core = image::load(file, format, *placementOf(chosen), {0, 1023}, 1023);
            if (image::refusalOf(core)) {
                QVERIFY(std::holds_alternative<QString>(window));
                continue;
            }
            image::Bytes expected(1024, image::kBlank);
            std::get<image::Loaded>(core).map.forEach(
                [&](std::uint64_t a, std::uint8_t byte) { expected[a] = byte; });
            if (std::get<image::Loaded>(core).outside > 0) continue;
            QVERIFY(std::holds_alternative<Imported>(window));
            QVERIFY(std::get<Imported>(window).bytes == expected);
        }
    }

    void importAndExportThroughTheMenu() {
        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        f.Hexadecimal1->trigger();
        f.imagen.setCell(1, 1030, QStringLiteral("past the memory"));
        writeFile(temp("part.hex"), ":020002000A0BE7\r\n:00000001FF\r\n");
        rig.dialogs.fileAnswers.push_back(temp("part.hex"));
        f.Importar1->trigger();
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(rig.cell(1), QStringLiteral("FF"));  // not in the file: a blank EPROM's value
        QCOMPARE(rig.cell(3), QStringLiteral("A"));
        QCOMPARE(rig.cell(4), QStringLiteral("B"));
        QCOMPARE(rig.cell(1024), QStringLiteral("FF"));
        QCOMPARE(rig.cell(1030), QStringLiteral("past the memory"));

        f.imagen.setCell(1, 1, QString());  // empty counts as FF, as import fills it
        rig.dialogs.fileAnswers.push_back(temp("out.bin"));
        f.Exportar1->trigger();
        QByteArray expected(1024, char(0xFF));
        expected[2] = 0x0A;
        expected[3] = 0x0B;
        QCOMPARE(contents(temp("out.bin")), expected);

        f.imagen.setCell(1, 6, QStringLiteral("100"));  // 256 in hexadecimal
        rig.dialogs.fileAnswers.push_back(temp("none.hex"));
        f.Exportar1->trigger();
        QCOMPARE(rig.dialogs.messages,
                 QStringList{"No se puede exportar: la dirección 5 no tiene un byte (100)"});
        QVERIFY(!QFile::exists(temp("none.hex")));
    }

    void jobsOpenAndSaveThroughTheMenu() {
        // A 27c512 job: the odd bytes of a 16-bit board's image linked at 0xE000.
        image::Bytes board(64);
        for (std::size_t a = 0; a < board.size(); ++a) board[a] = static_cast<std::uint8_t>(a + 1);
        writeFile(temp("placa.hex"), image::writeIntelHex(board, 0xE000));
        writeFile(temp("placa.trabajo"),
                  "tipo=27c512\nimagen=placa.hex\ndesplazamiento=-0xE000\ncarril=impar\n"
                  "verificacion=no\nreintentos=5\nrapida=si\ncomprobacion=si\nserie=0x10,4,1\n");
        Rig rig;
        Tform1& f = rig.form();
        rig.dialogs.fileAnswers = {temp("placa.trabajo")};
        f.AbrirTrabajo1->trigger();
        QCOMPARE(rig.dialogs.messages, QStringList{});
        QCOMPARE(rig.dialogs.lastOptions.filter, QStringLiteral("Trabajos|*.trabajo"));
        QCOMPARE(f.comandos.tipo, 3);
        QVERIFY(f.tipoItems[3]->isChecked() && f.ComprobarAntes1->isEnabled());
        QVERIFY(!f.ch->isChecked());
        QCOMPARE(f.Edit2->text(), QStringLiteral("5"));
        QVERIFY(f.banco->rapida && f.banco->comprobar);
        QCOMPARE(rig.cell(1), QStringLiteral("2"));
        QCOMPARE(rig.cell(32), QStringLiteral("64"));
        QCOMPARE(rig.cell(33), QStringLiteral("255"));

        // A job whose image is missing, or whose type is unknown, changes nothing.
        writeFile(temp("falta.trabajo"), "tipo=sram24\nimagen=falta.hex\nrapida=no\n");
        writeFile(temp("tipo.trabajo"), "tipo=sram99\nimagen=placa.hex\nrapida=no\n");
        rig.dialogs.fileAnswers = {temp("falta.trabajo"), temp("tipo.trabajo")};
        f.AbrirTrabajo1->trigger();
        f.AbrirTrabajo1->trigger();
        QCOMPARE(rig.dialogs.messages,
                 (QStringList{"El trabajo " + temp("falta.trabajo") + ": no existe la imagen " +
                                  temp("falta.hex"),
                              "El trabajo " + temp("tipo.trabajo") +
                                  ": tipo: sram99 no es un tipo de memoria (sram24, sram28, 28c64, "
                                  "27c512 o 27c010)"}));
        QCOMPARE(f.comandos.tipo, 3);
        QVERIFY(f.banco->rapida);
        QCOMPARE(rig.cell(32), QStringLiteral("64"));

        // Saved back, ".trabajo" added, written as the command line writes a
        // job: the window's values and the serial it has no place for;
        // opened in another window, the same image.
        rig.dialogs.clear();
        rig.dialogs.fileAnswers = {temp("copia")};
        f.GuardarTrabajo1->trigger();
        const auto saved = job::read(temp("copia.trabajo"));
        QVERIFY(std::holds_alternative<job::Job>(saved));
        const std::vector<std::pair<QString, QString>> expected = {
            {"tipo", "27c512"},        {"imagen", temp("placa.hex")},
            {"formato", "hex"},        {"desplazamiento", "-0xE000"},
            {"carril", "1/2"},         {"intercambiar", "no"},
            {"verificacion", "no"},    {"reintentos", "5"},
            {"rapida", "si"},          {"comprobacion", "si"},
            {"serie", "0x10,4,1,1,le"}};
        QVERIFY(std::get<job::Job>(saved).values == expected);
        Rig other;
        other.dialogs.fileAnswers = {temp("copia.trabajo")};
        other.form().AbrirTrabajo1->trigger();
        QCOMPARE(other.form().imagen.column(1), f.imagen.column(1));

        // The command line writes the same job for the same settings; and
        // neither writes one over a file that is no job.
        CliRig cli;
        QCOMPARE(cli.run({"--trabajo", temp("copia.trabajo"), "trabajo", temp("cli.trabajo"),
                          temp("placa.hex")})
                     .code,
                 0);
        QCOMPARE(contents(temp("cli.trabajo")), contents(temp("copia.trabajo")));
        writeFile(temp("notas.trabajo"), "no es un trabajo\n");
        rig.dialogs.clear();
        rig.dialogs.fileAnswers = {temp("notas.trabajo")};
        f.GuardarTrabajo1->trigger();
        QCOMPARE(rig.dialogs.messages,
                 QStringList{"No se guarda el trabajo: " + temp("notas.trabajo") +
                             " existe y no es un trabajo; no se escribe encima"});
        QCOMPARE(contents(temp("notas.trabajo")), QByteArray("no es un trabajo\n"));

        // A grid that no longer comes from a file, or never did: nothing written.
        other.click(other.form().BitBtn11);
        Rig fresh;
        for (Rig* r : {&other, &fresh}) {
            r->dialogs.clear();
            r->dialogs.fileAnswers = {temp("nada.trabajo")};
            r->form().GuardarTrabajo1->trigger();
            QCOMPARE(r->dialogs.messages, QStringList{kGuardeLaImagen});
        }
        QVERIFY(!QFile::exists(temp("nada.trabajo")));

        // A memory file saved, then its job: opened through Abrir's path, unchanged.
        fresh.form().imagen.setCell(1, 1, QStringLiteral("7"));
        fresh.dialogs.fileAnswers = {temp("imagen.mem"), temp("imagen.trabajo")};
        fresh.form().Guardar1->trigger();
        fresh.form().GuardarTrabajo1->trigger();
        other.dialogs.fileAnswers = {temp("imagen.trabajo")};
        other.form().AbrirTrabajo1->trigger();
        QCOMPARE(other.form().comandos.tipo, 1);
        QCOMPARE(other.cell(1), QStringLiteral("7"));
        QCOMPARE(other.form().windowTitle(),
                 QStringLiteral("Programador de Memorias: T.VELAR -: imagen.mem"));
        QVERIFY(!other.form().cambios());
    }

    // "Estadísticas del registro…" over what the command line recorded: the
    // CSV and the SQLite base give the same figures, and what the charts
    // draw is also said in words.
    void statisticsOfARecordInTheWindow() {
        writeFile(temp("e.bin"), QByteArray(16, '\x5B'));
        CliRig cli;
        const QStringList run{"-q",         "-t",          "sram24", "--hasta",        "0xF",
                              "--registro", temp("e.csv"), "--base", temp("e.sqlite"), "programar",
                              temp("e.bin")};
        QCOMPARE(cli.emulated(run).code, 0);
        QCOMPARE(cli.emulated(run).code, 0);
        cli.programmer.firmware().setStuckBits(Chip::Sram24, 5, 0x01, 0x00);
        QCOMPARE(cli.emulated(run).code, 1);
        Rig rig;
        Tform1& f = rig.form();
        for (const char* record : {"e.csv", "e.sqlite"}) {
            rig.dialogs.fileAnswers = {temp(record)};
            f.EstadisticasRegistro1->trigger();
            QCOMPARE(rig.dialogs.messages, QStringList{});
            QCOMPARE(rig.dialogs.lastOptions.title, QStringLiteral("Estadísticas del registro"));
            auto* window = f.findChild<StatisticsWindow*>();
            QVERIFY(window && window->isVisible());
            QCOMPARE(window->summary()->text(),
                     QLatin1String(record) + ": 3 memorias, 2 correctas; rendimiento 66,7 %");
            QCOMPARE(window->summary()->accessibleName(), window->summary()->text());
            QCOMPARE(window->paretoChart()->chart()->series().size(), 2);
            const QString pareto = window->paretoChart()->accessibleDescription();
            QVERIFY2(pareto.contains("0x0005") && pareto.endsWith(": 1 (100,0 %)"),
                     qPrintable(pareto));
            QVERIFY(window->dailyChart()->accessibleDescription().endsWith(": 2 de 3 (66,7 %)"));
            QVERIFY(window->yields()->rowCount() >= 5 && window->failures()->rowCount() == 2);
        }
        rig.dialogs.fileAnswers = {temp("e.bin")};
        f.EstadisticasRegistro1->trigger();
        QCOMPARE(rig.dialogs.messages,
                 QStringList{"e.bin no es un registro: no tiene la columna resultado"});
    }

    void unknownExtensionsAreReadByTheirContents() {
        const QByteArray bom = "\xEF\xBB\xBF";
        QCOMPARE(image::formatOfContents(bom + "\r\n\r\n:0100000042BD\r\n:00000001FF\r\n"),
                 Format::IntelHex);
        QCOMPARE(image::formatOfContents(bom + "\nS1040000AA51\r\nS9030000FC\r\n"),
                 Format::SRecord);
        QCOMPARE(image::formatOfContents("S\xFF\x00\x01"), Format::Binary);
        QCOMPARE(image::formatOfContents(QByteArray()), Format::Binary);
        QCOMPARE(image::formatOfContents("ROM de prueba, versión 2\r\n"), std::nullopt);

        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        writeFile(temp("a.dump"), bom + "\r\n:0100000042BD\r\n:00000001FF\r\n");
        rig.dialogs.fileAnswers = {temp("a.dump")};
        f.Importar1->trigger();
        QCOMPARE(rig.dialogs.messages, QStringList{});
        QCOMPARE(rig.cell(1), QStringLiteral("66"));
        writeFile(temp("notas.txt"), "hola\r\nmundo\r\n");
        rig.dialogs.fileAnswers = {temp("notas.txt")};
        f.Importar1->trigger();
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QVERIFY(rig.dialogs.messages[0].startsWith(
            QStringLiteral("No se puede importar notas.txt:\nes un archivo de texto")));
        QCOMPARE(rig.cell(1), QStringLiteral("66"));
    }

    void exportToAnUnknownExtensionTakesTheChosenFilter() {
        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        const std::pair<int, const char*> choices[] = {{1, ":"}, {2, "S0"}, {0, "\xFF\xFF"}};
        for (const auto& [filter, start] : choices) {
            rig.dialogs.chosenFilter = filter;
            rig.dialogs.fileAnswers = {temp("out.dump")};
            f.Exportar1->trigger();
            QVERIFY2(contents(temp("out.dump")).startsWith(QByteArray(start, filter ? -1 : 2)),
                     start);
        }
        // A known extension is its own format, whatever the filter.
        rig.dialogs.chosenFilter = 1;
        rig.dialogs.fileAnswers = {temp("out.rom")};
        f.Exportar1->trigger();
        QCOMPARE(contents(temp("out.rom")).size(), 1024);
    }

    void segmentAddressesWrapInsideTheirSegment() {
        // Segment 1000 (base 10000), four bytes from offset FFFE.
        const QByteArray file = ":020000021000EC\r\n:04FFFE001122334455\r\n:00000001FF\r\n";
        const image::ReadResult read = image::readIntelHex(file, 131072);
        QVERIFY(!read.fault);
        QCOMPARE(read.bytes[0x1FFFE], 0x11);
        QCOMPARE(read.bytes[0x1FFFF], 0x22);
        QCOMPARE(read.bytes[0x10000], 0x33);
        QCOMPARE(read.bytes[0x10001], 0x44);
        // A linear address does not wrap: the same record runs past 64 KiB.
        const image::ReadResult linear = image::readIntelHex(
            ":020000040001F9\r\n:04FFFE001122334455\r\n:00000001FF\r\n", 0x30000);
        QVERIFY(!linear.fault);
        QCOMPARE(linear.bytes[0x20000], 0x33);
    }

    void checksumsOfTheImage() {
        const QByteArray nine = "123456789";
        QCOMPARE(image::crc32(image::Bytes(nine.begin(), nine.end())), 0xCBF43926u);
        QCOMPARE(image::sum16(image::Bytes(600, 0xFF)), std::uint16_t(600 * 255 & 0xFFFF));

        Rig rig;
        rig.ready().memoryType(0);
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, QStringLiteral("1"));
        QTest::qWait(ChecksumLine::kSettleMs + 100);
        // Empty cells count as FF, like a blank chip and an imported file.
        image::Bytes bytes(1024, 0xFF);
        bytes[0] = 1;
        QCOMPARE(f.sumas->text(), QString::asprintf("Suma %04X · CRC-32 %08X\n0–1023, vacías = FF",
                                                    image::sum16(bytes), image::crc32(bytes)));
        // The range follows the memory type and the number format.
        f.Hexadecimal1->trigger();
        rig.memoryType(3);
        QTRY_VERIFY(f.sumas->text().endsWith(QStringLiteral("\n0–FFFF, vacías = FF")));
        f.Decimal1->trigger();
        rig.memoryType(0);
        // A whole read changes every cell: the sums are worked out once, after
        // it, even when the read takes long.
        const int before = f.sumas->computations();
        rig.programmer.setFullSpeedFrames(true);
        int shown = 0;
        QObject::connect(&f.marco.progress, &Progress::changed, &f, [&shown] {
            if (++shown == 3) QTest::qWait(ChecksumLine::kSettleMs + 100);
        });
        rig.click(f.BitBtn2);
        QCOMPARE(f.sumas->computations(), before);
        QTest::qWait(ChecksumLine::kSettleMs + 100);
        QCOMPARE(f.sumas->computations(), before + 1);
        f.imagen.setCell(1, 3, QStringLiteral("x"));
        QTest::qWait(ChecksumLine::kSettleMs + 100);
        QCOMPARE(f.sumas->text(),
                 QStringLiteral("Suma y CRC-32: la dirección 2\nno tiene un byte"));
    }

    void blankCheckOfAProm() {
        Rig rig;
        rig.ready().memoryType(3);
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, QStringLiteral("image"));
        f.VerificarBorrado1->trigger();
        QCOMPARE(rig.dialogs.messages, QStringList{"Memoria Borrada"});
        const Bytes sent = rig.sent();
        QCOMPARE(sent.size(), std::size_t{65536 * 4});
        QCOMPARE(Bytes(sent.begin(), sent.begin() + 8), (Bytes{11, 0, 0, 0, 11, 1, 0, 0}));
        QCOMPARE(Bytes(sent.end() - 4, sent.end()), (Bytes{11, 0xFF, 0x1F, 0x07}));

        rig.programmer.clearRecord();
        rig.dialogs.clear();
        rig.programmer.firmware().insert(Chip::Prom27c512);
        rig.programmer.firmware().poke(Chip::Prom27c512, 7, 0x00);
        rig.programmer.firmware().poke(Chip::Prom27c512, 40000, 0x7F);
        QStringList progress;
        QObject::connect(&f.marco.progress, &Progress::changed, &f,
                         [&] { progress << f.progreso->stateText(); });
        TForm2& w = *rig.programa->Form2;
        bool windowShownFirst = true;
        rig.dialogs.onMessage = [&](const QString&) { windowShownFirst = w.isVisible(); };
        f.VerificarBorrado1->trigger();
        QVERIFY(!windowShownFirst);
        QVERIFY(progress.contains(QStringLiteral("Verificando borrado dirección 0 de 0 a 65535")));
        // Said in plain words, before the window lists them.
        QCOMPARE(rig.dialogs.messages,
                 QStringList{"La memoria no está borrada: 2 direcciones no valen FF"});
        QCOMPARE(w.lista, (std::vector<std::int32_t>{7, 40000}));
        QCOMPARE(w.grid.cell(1, 40001), QStringLiteral("127"));
        QCOMPARE(w.grid.cell(2, 40001), QStringLiteral("255"));
        QCOMPARE(w.grid.cell(1, 0), QStringLiteral("DATO LEIDO"));
        QCOMPARE(rig.sent().size(), std::size_t{65536 * 4});
        QCOMPARE(rig.cell(1), QStringLiteral("image"));  // the image is not touched

        rig.memoryType(1);
        QVERIFY(!f.VerificarBorrado1->isEnabled());
    }
};

QTEST_MAIN(ImagesTest)
#include "test_images.moc"
