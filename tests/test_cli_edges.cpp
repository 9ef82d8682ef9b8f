// programador-cli at its edges, as a bench technician and a tester meet
// them: two programs at once, input that never ends or never comes, outputs
// that are devices, full or closed, the emulated chip's file, the record,
// and every refusal in Spanish.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "cli/Messages.h"
#include "cli/Record.h"
#include "tests/support/CliRig.h"
#include "tests/support/Files.h"

namespace {
const QString kCli = QStringLiteral(PROGRAMADOR_CLI);

// The real program, through a shell where the case needs one ($CLI names it).
Result shell(const QString& script, int timeoutMs = 30000) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CLI"), kCli);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
    process.waitForFinished(timeoutMs);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// Started, and left to run until its first progress line.
void startUntilReading(QProcess& process, const QStringList& arguments) {
    process.start(kCli, arguments);
    QVERIFY(process.waitForStarted());
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += process.readAllStandardError()).contains("dirección"), 10000);
}

bool isFifo(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}
}  // namespace

class CliEdgesTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString temp(const char* name) { return folder_.filePath(QLatin1String(name)); }

  private slots:
    void oneProgramPerProgrammer() {
        // A paced whole 27c010 runs for minutes: a second program on its chip
        // gets exit 3, names the first, and changes nothing.
        const QString chip = temp("lock.bin");
        QProcess first;
        startUntilReading(first, {"--virtual=" + chip, "-t", "27c010", "leer", temp("l1.bin")});
        const QByteArray before = contents(chip);
        const Result second = shell("$CLI --virtual=" + chip + " --sin-pausa -t 27c010 llenar 0");
        QCOMPARE(second.code, 3);
        QCOMPARE(second.err, QStringLiteral("El programador está en uso por otro programa "
                                            "(pid %1, programador-cli)\n")
                                 .arg(first.processId())
                                 .toUtf8());
        QCOMPARE(contents(chip), before);
        ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 130);

        // First runs racing for a chip file not made yet: each makes it,
        // uses it or finds it in use; none fails on the other's making.
        for (int round = 0; round < 5; ++round) {
            const Result three = shell(
                QStringLiteral("for k in 1 2 3; do ($CLI -q --virtual=%1 --sin-pausa -t 27c010 "
                               "llenar $k 2>/dev/null; echo $?) & done; wait")
                    .arg(temp("carrera%1.bin").arg(round)));
            for (const QByteArray& code : three.out.trimmed().split('\n'))
                QVERIFY2(code == "0" || code == "3", three.out.constData());
            QCOMPARE(QFileInfo(temp("carrera%1.bin").arg(round)).size(), 131072);
        }

        // A run waiting for the record's lock ends on a signal.
        const QString held = temp("ocupado.csv");
        QProcess holder;
        holder.start(QStringLiteral("flock"),
                     {QStringLiteral("-o"), held, QStringLiteral("sleep"), QStringLiteral("20")});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(QFile::exists(held));
        QProcess waiting;
        waiting.start(kCli, {"-q", "--virtual", "--sin-pausa", "-t", "sram24", "--hasta", "0",
                             "--registro", held, "leer", "/dev/null"});
        QVERIFY(waiting.waitForStarted());
        QVERIFY(!waiting.waitForFinished(500));
        ::kill(static_cast<pid_t>(waiting.processId()), SIGTERM);
        QVERIFY(waiting.waitForFinished(5000));
        QCOMPARE(waiting.exitCode(), 130);
        holder.kill();
        QVERIFY(holder.waitForFinished());

        // Eight runs ending together: one header, eight whole lines.
        const QString record = temp("ocho.csv");
        const Result eight = shell(QStringLiteral("for i in 1 2 3 4 5 6 7 8; do $CLI -q --virtual "
                                                  "--sin-pausa -t sram24 --hasta 15 --registro %1 "
                                                  "leer /dev/null & done; wait")
                                       .arg(record));
        QCOMPARE(eight.err, QByteArray());
        const QList<QByteArray> lines = contents(record).split('\n');
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines.count(cli::Record::kCabeceraSellada.trimmed().toUtf8()), 1);
        QCOMPARE(lines.first(), cli::Record::kCabeceraSellada.trimmed().toUtf8());
        for (const QByteArray& line : lines.mid(1, 8))
            QVERIFY2(line.contains(",Sram 24 Pines,leer,0000-000F,") && line.contains(",correcto,"),
                     line.constData());
    }

    void inputThatNeverEndsOrNeverComes() {
        // A FIFO nobody writes, and a pipe that stays open: a signal ends the
        // wait with exit 130, and the emulated chip is not touched.
        const QString fifo = temp("nadie.fifo");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QString chip = temp("espera.bin");
        writeFile(chip, QByteArray(1024, '\x42'));
        for (const auto& [arguments, signal] : {std::pair{QStringList{"programar", fifo}, SIGINT},
                                                std::pair{QStringList{"programar", "-"}, SIGHUP}}) {
            QProcess waiting;
            waiting.start(
                kCli, QStringList{"--virtual=" + chip, "--sin-pausa", "-t", "sram24"} + arguments);
            QVERIFY(waiting.waitForStarted());
            QVERIFY(!waiting.waitForFinished(300));
            ::kill(static_cast<pid_t>(waiting.processId()), signal);
            QVERIFY(waiting.waitForFinished(5000));
            QCOMPARE(waiting.exitCode(), 130);
            QVERIFY(waiting.readAllStandardError().startsWith("Interrumpido mientras se leía"));
        }
        QCOMPARE(contents(chip), QByteArray(1024, '\x42'));

        // Endless input is refused at its bound; missing input gives no byte.
        const QString run =
            QStringLiteral("$CLI --virtual=%1 --sin-pausa -t sram24 programar ").arg(chip);
        for (const QString& feed : {run + "/dev/zero", "yes | " + run + "-",
                                    "head -c 100000000 /dev/zero | tr '\\0' "
                                    "'\\n' | " +
                                        run + "- --formato mem"}) {
            const Result endless = shell(feed);
            QCOMPARE(endless.code, 2);
            QVERIFY2(endless.err.contains("pasa de 64 MiB"), endless.err.constData());
        }
        for (const QString& nothing : {run + "- </dev/null", "false | " + run + "-"})
            QCOMPARE(shell(nothing).err,
                     QByteArray("La entrada estándar no da ningún byte: no hay nada que usar\n"));
        QCOMPARE(contents(chip), QByteArray(1024, '\x42'));

        // Intel HEX on standard input is taken for what it is, not burned as text.
        CliRig rig;
        rig.input = ":020000001234B8\n:00000001FF\n";
        const Result piped = rig.emulated({"-t", "sram24", "--hasta", "1", "programar", "-"});
        QCOMPARE(piped.code, 0);
        QVERIFY(piped.err.startsWith("Formato: Intel HEX (por su contenido)\n"));
        QCOMPARE(rig.programmer.firmware().peek(Chip::Sram24, 0), 0x12);
        QCOMPARE(rig.programmer.firmware().peek(Chip::Sram24, 1), 0x34);
    }

    void outputsCheckedFirstAndWrittenSafely() {
        // Refused before the programmer hears a byte.
        CliRig rig;
        writeFile(temp("in.bin"), QByteArray(1024, '\x01'));
        const QStringList refused[] = {
            {"leer", temp("no/existe/x.bin")},
            {"--diferencias", temp("falta/d.txt"), "verificar", temp("in.bin")},
            {"--registro", temp("falta/r.csv"), "leer", temp("r.bin")},
            {"--diferencias", temp("in.bin"), "verificar", temp("in.bin")},
            {"--registro", temp("in.bin"), "programar", temp("in.bin")},
            {"leer", temp("r.bin"), "--registro", temp("r.bin")},
            {"leer", folder_.path()},
        };
        for (const QStringList& arguments : refused) {
            const Result r = rig.emulated(QStringList{"-t", "sram24"} + arguments);
            QVERIFY2(r.code == 2, qPrintable(arguments.join(' ')));
            QVERIFY2(rig.sent().empty(), qPrintable(arguments.join(' ')));
        }
        QCOMPARE(
            rig.emulated({"-t", "sram24", "--virtual=" + temp("in.bin"), "leer", temp("in.bin")})
                .err,
            QStringLiteral("%1 (el archivo de salida) es también %1 (el chip emulado)\n")
                .arg(temp("in.bin"))
                .toUtf8());

        // A device stays a device, a FIFO a FIFO: written in place.
        QCOMPARE(rig.emulated({"-q", "-t", "sram24", "leer", "/dev/null"}).code, 0);
        struct stat null {};
        QVERIFY(::stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode));
        const QString fifo = temp("salida.fifo");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QProcess reader;
        reader.start(QStringLiteral("cat"), {fifo});
        QVERIFY(reader.waitForStarted());
        rig.programmer.firmware().poke(Chip::Sram24, 0, 0x5A);
        QCOMPARE(rig.emulated({"-q", "-t", "sram24", "--hasta", "3", "leer", fifo}).code, 0);
        QVERIFY(reader.waitForFinished(5000));
        QCOMPARE(reader.readAllStandardOutput().left(1), QByteArray("\x5A"));
        QVERIFY(isFifo(fifo));

        // Full, limited, closed and abandoned outputs: exit 2, said in
        // Spanish, the old file kept and no temporary left behind.
        writeFile(temp("viejo.bin"), "antes");
        const QString read = QStringLiteral("$CLI -q --virtual --sin-pausa -t 27c512 ");
        const std::pair<QString, const char*> failing[] = {
            {read + "leer /dev/full", "no queda espacio en el disco"},
            {"ulimit -f 16; " + read + "leer " + temp("viejo.bin"),
             "supera el tamaño de archivo permitido"},
            {read + "leer - >&-", "está cerrada"},
            {read + "--formato hex leer - | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}",
             "quien leía la salida la cerró"},
            {read + "--hasta 0 --registro /dev/full leer /dev/null", "no queda espacio"},
            {"$CLI -q --virtual --sin-pausa tipos >/dev/full", "no queda espacio"},
        };
        for (const auto& [script, reason] : failing) {
            const Result r = shell(script);
            QVERIFY2(r.code == 2, qPrintable(script));
            QVERIFY2(r.err.contains(reason), r.err.constData());
        }
        QCOMPARE(contents(temp("viejo.bin")), QByteArray("antes"));
        QCOMPARE(QDir(folder_.path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files),
                 QStringList());
    }

    // Each chip fault the emulation models leaves the signature the analysis
    // of a read names, and none changes a read's exit code; the socket check
    // stops a program or a fill on it (exit 4) and names the line.
    void emulatedChipFaultsAndWhatTheReadSays() {
        QFile image(temp("azar.bin"));
        QVERIFY(image.open(QIODevice::WriteOnly));
        QRandomGenerator random(9);
        for (int i = 0; i < 8192; ++i) image.putChar(char(random.bounded(256)));
        image.close();
        const auto run = [&](const QString& fault, const QString& type, const QString& order) {
            return shell(
                QStringLiteral("$CLI --virtual=%1 --sin-pausa --fallo-virtual 1:%2 -t %3 %4")
                    .arg(temp("chip-%1-%2.bin").arg(QString(fault).replace(u':', u'-'), type),
                         fault, type, order));
        };
        const QString program = QStringLiteral("-q programar ") + image.fileName();
        const QString unchecked = QStringLiteral("--sin-zocalo ") + program;
        const QString read = QStringLiteral("leer ") + temp("leido.bin");
        const auto refused = [](const Result& r, const char* finding) {
            return r.code == 4 && r.err.contains(finding) &&
                   r.err.contains("la memoria no está o no responde");
        };
        // Twelve address lines on an 8 KiB part, and a data line stuck high.
        QCOMPARE(run("menor=12", "sram28", unchecked).code, 1);
        Result r = run("menor=12", "sram28", program);
        QVERIFY2(refused(r, "La línea de dirección A12 no cambia nada: escribir en 0x1000 cambió "
                            "0x0000. La memoria responde como una de 4096 bytes"),
                 r.err.constData());
        r = run("menor=12", "sram28", read);
        QCOMPARE(r.code, 0);
        QVERIFY2(
            r.err.contains("Aviso: la segunda mitad repite la primera (¿línea de dirección A12 "
                           "sin conectar, o memoria de menos capacidad?)"),
            r.err.constData());
        QCOMPARE(run("bit=5:1", "sram28", unchecked).code, 1);
        r = run("bit=5:1", "sram28", QStringLiteral("--hasta 0x3F llenar 0"));
        QVERIFY2(refused(r, "Línea de datos fija: D5 vale siempre 1"), r.err.constData());
        r = run("bit=5:1", "sram28", read);
        QVERIFY2(r.err.contains("bits fijos: D5 vale siempre 1"), r.err.constData());
        // An empty socket: held high it reads as an erased chip, and says it
        // cannot tell; floating, two reads disagree.
        r = run("vacio-ff", "27c512", read);
        QVERIFY(r.err.contains("los bytes no lo distinguen"));
        r = run("vacio-ff", "27c512", QStringLiteral("borrado"));
        QVERIFY2(r.err.contains("Aviso: Toda la muestra del zócalo lee FF: una memoria borrada y un "
                                "zócalo vacío con el bus a 1 no se distinguen"),
                 r.err.constData());
        r = run("vacio-ff", "sram24", QStringLiteral("--hasta 7 llenar 1"));
        QVERIFY2(refused(r, "La RAM no guarda lo que se escribe"), r.err.constData());
        QVERIFY(QFile::remove(temp("leido.bin")));
        r = run("vacio", "27c010", read);
        QVERIFY2(refused(r, "No hay memoria en el zócalo, o hace mal contacto: la dirección"),
                 r.err.constData());
        QVERIFY(!QFile::exists(temp("leido.bin")));
        r = run("vacio", "sram28", QStringLiteral("--sin-zocalo --lecturas 2 ") + read);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("Aviso: las 2 lecturas no coinciden en "), r.err.constData());
        QVERIFY(r.err.contains("Aviso: D7 cambió entre lecturas en "));
        // A write-protected EEPROM keeps its bytes: its first write tells.
        QCOMPARE(
            run("protegida", "28c64", QStringLiteral("-q --sin-zocalo --hasta 15 llenar 0x12")).code,
            1);
        r = run("protegida", "28c64", QStringLiteral("--hasta 15 llenar 0x12"));
        QVERIFY2(refused(r, "la EEPROM parece protegida contra escritura (protección por "
                            "software) o es de solo lectura"),
                 r.err.constData());
        r = shell(QStringLiteral("$CLI --virtual --fallo-virtual 1:menor=40 -t 28c64 leer x.bin"));
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.startsWith("--fallo-virtual: 1:menor=40 no vale"));
    }

    void theChipFileIsTheChip() {
        // Not readable as a chip of the type: refused, and never written.
        writeFile(temp("grande.bin"), QByteArray(9000, '\x11'));
        const QString fifo = temp("chip.fifo");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        for (const QString& chip :
             {temp("grande.bin"), fifo, folder_.path(), temp("no/chip.bin")}) {
            const Result r = shell("$CLI -q --virtual=" + chip + " --sin-pausa -t sram28 llenar 0");
            QVERIFY2(r.code == 2, r.err.constData());
        }
        QCOMPARE(contents(temp("grande.bin")), QByteArray(9000, '\x11'));
        QVERIFY(isFifo(fifo));

        // A missing chip comes blank; each write reaches the file as it
        // happens, so a run killed half-way leaves what a chip would hold.
        const QString chip = temp("prom.bin");
        writeFile(temp("ceros.bin"), QByteArray(65536, '\0'));
        QProcess killed;
        startUntilReading(killed, {"--virtual=" + chip, "--sin-comprobar", "-t", "27c512",
                                   "programar", temp("ceros.bin")});
        QTest::qWait(300);
        ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
        QVERIFY(killed.waitForFinished(5000));
        const QByteArray left = contents(chip);
        QCOMPARE(left.size(), 65536);
        const qsizetype written = left.indexOf('\xFF');
        QVERIFY2(written > 0 && written < 65536, qPrintable(QString::number(written)));
        QCOMPARE(left.left(written), QByteArray(written, '\0'));
        QCOMPARE(left.mid(written).count('\xFF'), 65536 - written);

        // A chip file that cannot be made is an error, not a silent success.
        const Result full =
            shell("ulimit -f 1; $CLI -q --virtual=" + temp("nuevo.bin") + " -t 27c512 borrado");
        QCOMPARE(full.code, 2);
        QVERIFY(full.err.contains("No se puede crear el chip emulado"));
    }

    void theRecordTellsTheTruth() {
        CliRig rig;
        const QString record = temp("registro.csv");
        writeFile(temp("dato.bin"), QByteArray(1024, '\x21'));
        QCOMPARE(rig.emulated({"-q", "-t", "sram24", "--registro", record, "--sin-verificar",
                               "programar", temp("dato.bin")})
                     .code,
                 0);
        // An option that means nothing for the order is refused, not taken in silence.
        QCOMPARE(rig.run({"--registro", record, "tipos"}).code, 2);
        rig.programmer.setNoAnswer(true);
        QCOMPARE(
            rig.emulated({"-q", "-t", "sram24", "--registro", record, "leer", "/dev/null"}).code,
            3);
        const QList<QByteArray> lines = contents(record).trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].contains(",programar,0000-03FF,") && lines[1].contains(",sin verificar,"));
        QVERIFY(lines[2].contains(",leer,") && lines[2].contains(",error,"));
    }

    void everyRefusalIsSpanishAndNamesWhatItRefuses() {
        CliRig rig;
        writeFile(temp("rom.hex"), ":00000001FF\n");
        rig.outputTerminal = true;
        const std::pair<QStringList, QString> refusals[] = {
            {{"-t", "27c512", "--hasta", "0x10000", "leer", "x.bin"},
             "--hasta: 0x10000 supera la última dirección 0xFFFF de Prom 27c512"},
            {{"-t", "sram24", "llenar", "1x"}, "llenar: 1x no es un byte (0–255 o 0x00–0xFF)"},
            {{"-t", "sram24", "programar", temp("nada.hex")},
             "No existe el archivo " + temp("nada.hex")},
            {{"-t", "sram24", "programar", temp("rom.hex")},
             temp("rom.hex") + " no da ningún byte: no hay nada que usar"},
            {{"-t", "sram24", "--desde", "1 0", "leer", "x.bin"},
             "--desde: 1 0 no es un número (decimal, o hexadecimal con 0x)"},
            {{"-t", "sram24", "--hasta", "0x0x10", "leer", "x.bin"},
             "--hasta: 0x0x10 no es un número (decimal, o hexadecimal con 0x)"},
            {{"-t", "sram24", "--desde", "1", "--desde", "2", "leer", "x.bin"},
             "La opción --desde se dio dos veces con valores distintos: 1 y 2"},
            {{"-t", "sram24", "--sin-pausa", "leer", "x.bin"},
             "--sin-pausa solo vale con --virtual: un programador real lleva su propio ritmo"},
            {{"--virtual", "-t", "sram24", "leer", "-"},
             "leer -: la salida estándar es una terminal; use un archivo o --formato hex"},
            {{"--virtual", "-t", "sram24", "programar", QStringLiteral("a\x1b[2Jb.bin")},
             "No existe el archivo a\\x1B[2Jb.bin"},
            {{"--virtual", "-t", "sram24", "programar", folder_.path()},
             "No se puede leer " + folder_.path() + ": es una carpeta"},
            {{"-t", "sram24", "leer", "x.bin", "--tipo"}, "Falta el valor de la opción --tipo"},
            {{"-t", "sram24", "--registro", "-", "leer", "x.bin"},
             "--registro necesita un archivo: la salida estándar no guarda el registro"},
        };
        // What Qt and the system would say in English, had it reached the user.
        const QRegularExpression english(
            QStringLiteral("\\b(the|not|is|valid|error|file|found|denied|unknown|missing|"
                           "unexpected|value|option|such|permission)\\b"),
            QRegularExpression::CaseInsensitiveOption);
        for (const auto& [arguments, message] : refusals) {
            const Result r = rig.run(arguments);
            QVERIFY2(r.code == 2, qPrintable(arguments.join(' ')));
            QCOMPARE(QString::fromUtf8(r.err), message + u'\n');
            QVERIFY2(!english.match(QString::fromUtf8(r.err)).hasMatch(), r.err.constData());
            QVERIFY(rig.sent().empty());
        }
        // A run that succeeds says so in one line, unless -q.
        rig.outputTerminal = false;
        QCOMPARE(rig.emulated({"-q", "-t", "28c64", "borrado"}).err, QByteArray());
        QVERIFY(
            rig.emulated({"-t", "28c64", "--hasta", "15", "borrado"})
                .err.endsWith(
                    QStringLiteral("Memoria Borrada: 16 direcciones valen FF (0,0 s)\n").toUtf8()));
    }
};

QTEST_MAIN(CliEdgesTest)
#include "test_cli_edges.moc"
