// programador-cli on a bench: several emulated programmers at once, a batch
// answered at the terminal, serial numbers and their counter, repeated reads.
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <memory>
#include <random>

#include "cli/Record.h"
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
            kCli, {"--virtual", "--sin-pausa", "--sin-zocalo", "--fallo-virtual", "1:desconecta=1500", "-t",
                   "sram24", "--hasta", "0xFF", "--lote", "--serie", "0x80,2,1000,1,bcd",
                   "--contador", counter, "--registro", record, "programar", temp("lote.bin")});
        const QByteArray prompt = "Coloque la siguiente memoria y pulse Enter (q para terminar)";
        QVERIFY(bench.waitFor("Memoria 1: correcta"));
        QVERIFY(bench.waitFor(prompt));
        bench.type("\n");
        QVERIFY(bench.waitFor("Memoria 2: fallida (error)"));
        // A programmer left half-way asks for no chip more: none would be touched.
        QVERIFY(bench.waitFor("Se detiene el lote: el programador quedó a mitad de una orden"));
        QVERIFY(bench.waitFor("memorias, 1 correcta y 1 fallida; rendimiento 50,0 %"));
        QCOMPARE(bench.exitCode(), 3);
        // 1000 went into the good chip; 1001 was burning when the
        // programmer went, so it may be in that chip: never given again.
        QCOMPARE(contentsOf(counter), QByteArray("1002\n"));
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

    // A number is never on two chips: a hand-edited counter that would give
    // one twice is refused; a run that died is settled at the next start
    // (a reserved number given back, a burning one voided); a chip that
    // failed after its number began to burn never gives it back.
    void serialNumbersSurviveEveryFault() {
        writeFile(temp("s.bin"), QByteArray(32, '\x11'));
        const auto program = [&](const QString& counter, const QStringList& more = {}) {
            return runCli(QStringList{"--virtual", "--sin-pausa", "-t", "sram24", "--hasta", "0x1F",
                                      "--serie", "0x10,2,1,1,be", "--contador", counter} +
                          more + QStringList{"programar", temp("s.bin")});
        };
        for (const char* edited : {"1000 1003\n", "5 5\n", "1000 999 999\n"}) {
            writeFile(temp("editado.txt"), edited);
            const Result r = program(temp("editado.txt"));
            QCOMPARE(r.code, 2);
            QVERIFY(r.err.contains("un número devuelto debe ser menor que el siguiente"));
            QCOMPARE(contentsOf(temp("editado.txt")), QByteArray(edited));
        }
        // What a kill -9 leaves: one number reserved, one burning.
        writeFile(temp("muerto.txt"), "1005 1001\nreservado 1002\ngrabando 1003\n");
        const Result settled = program(temp("muerto.txt"), {"--registro", temp("m.csv")});
        QCOMPARE(settled.code, 0);
        QVERIFY(settled.err.contains("El número de serie 1002 vuelve a darse"));
        QVERIFY(settled.err.contains("El número de serie 1003 queda anulado"));
        QCOMPARE(contentsOf(temp("muerto.txt")), QByteArray("1005 1002\n"));
        QVERIFY(contentsOf(temp("m.csv")).contains(",1001,"));
        // The counter as the image, or the image as the counter: refused, both kept.
        writeFile(temp("cuenta.txt"), "7\n");
        QCOMPARE(runCli({"--virtual", "-t", "sram24", "--serie", "0x10,2,1", "--contador",
                         temp("cuenta.txt"), "--formato", "bin", "programar", temp("cuenta.txt")})
                     .code,
                 2);
        QCOMPARE(contentsOf(temp("cuenta.txt")), QByteArray("7\n"));
        // A chip that failed while its number burned: voided, not given back.
        writeFile(temp("falla.txt"), "20\n");
        const QStringList unchecked{"--sin-zocalo", "--fallo-virtual"};
        QCOMPARE(program(temp("falla.txt"), unchecked + QStringList{"1:desconecta=200"}).code, 3);
        QCOMPARE(contentsOf(temp("falla.txt")), QByteArray("21\n"));
        // One that failed before any byte of it went: given back.
        QCOMPARE(program(temp("falla.txt"), unchecked + QStringList{"1:desconecta=20"}).code, 3);
        QCOMPARE(contentsOf(temp("falla.txt")), QByteArray("22 21\n"));
        // An empty socket is found before a number is reserved: none moves.
        const Result empty = program(temp("falla.txt"), {"--fallo-virtual", "1:vacio"});
        QCOMPARE(empty.code, 4);
        QVERIFY(empty.err.contains("la memoria no está o no responde"));
        QCOMPARE(contentsOf(temp("falla.txt")), QByteArray("22 21\n"));
        // A gang with one empty socket: its worker reserves nothing; the others
        // take the next numbers, one each, from their own threads.
        writeFile(temp("cuadrilla.txt"), "30\n");
        QStringList gang;
        for (const char* chip : {"c1.bin", "c2.bin", "c3.bin"}) {
            writeFile(temp(chip), QByteArray(1024, '\0'));
            gang << "--virtual=" + temp(chip);
        }
        const Result round = runCli(gang + QStringList{"--todos", "--sin-pausa", "-t", "sram24",
                                                       "--hasta", "0x1F", "--serie", "0x10,2,1,1,be",
                                                       "--contador", temp("cuadrilla.txt"),
                                                       "--fallo-virtual", "2:vacio", "programar",
                                                       temp("s.bin")});
        QCOMPARE(round.code, 4);
        QCOMPARE(contentsOf(temp("cuadrilla.txt")), QByteArray("32\n"));
        QSet<int> numbers;
        for (const char* chip : {"c1.bin", "c3.bin"}) {
            const QByteArray bytes = contentsOf(temp(chip));
            numbers << (std::uint8_t(bytes[0x10]) << 8 | std::uint8_t(bytes[0x11]));
        }
        QCOMPARE(numbers, (QSet<int>{30, 31}));
        QCOMPARE(contentsOf(temp("c2.bin")), QByteArray(1024, '\0'));
    }

    // Two benches taking numbers from one SQLite base at once, one of them
    // killed (kill -9) while it works: no number is on two chips (read from
    // the chips themselves), every correct chip has exactly one row, and
    // the next start settles every number left reserved or burning.
    void aBaseHandsEachNumberOutOnceThroughAKill() {
        writeFile(temp("b.bin"), QByteArray(32, '\0'));
        const QString base = temp("linea.sqlite");
        const auto benchArguments = [&](const QString& chip, bool paced) {
            QStringList arguments{
                "--virtual=" + chip, "-q",          "-t",     "sram24", "--hasta",   "0x1F",
                "--serie",           "0x10,2,1000", "--base", base,     "programar", temp("b.bin")};
            if (!paced) arguments.prepend("--sin-pausa");
            return arguments;
        };
        std::mt19937 random(36);
        std::vector<std::unique_ptr<QProcess>> benches;
        QStringList chips;
        for (int round = 0; round < 3; ++round) {
            for (int bench = 0; bench < 2; ++bench) {
                const QString chip = temp(QStringLiteral("chip-%1-%2.bin").arg(round).arg(bench));
                writeFile(chip, QByteArray(1024, '\0'));
                chips << chip;
                benches.push_back(std::make_unique<QProcess>());
                benches.back()->start(kCli, benchArguments(chip, round == 1 && bench == 0));
            }
            // One bench of the second round dies at a random moment of its run.
            if (round == 1) {
                QVERIFY(benches[2]->waitForStarted());
                QThread::msleep(20 + random() % 200);
                ::kill(pid_t(benches[2]->processId()), SIGKILL);
            }
            for (auto& process : benches) process->waitForFinished(60000);
        }
        // The next start settles what the dead one left.
        const QString last = temp("chip-ultimo.bin");
        writeFile(last, QByteArray(1024, '\0'));
        chips << last;
        QCOMPARE(runCli(benchArguments(last, false)).code, 0);

        const auto query = [&](const QString& sql) {
            QProcess sqlite;
            sqlite.start(QStringLiteral("sqlite3"), {base, sql});
            sqlite.waitForFinished();
            return QString::fromUtf8(sqlite.readAllStandardOutput()).trimmed();
        };
        QCOMPARE(query("SELECT COUNT(*) FROM numeros_serie WHERE estado IN ('reservado', "
                       "'grabando')"),
                 QStringLiteral("0"));
        const QStringList correct =
            query("SELECT serie FROM memorias WHERE resultado = 'correcto'").split(u'\n');
        QCOMPARE(QSet<QString>(correct.begin(), correct.end()).size(), correct.size());
        QVERIFY(correct.size() >= 6);
        // Every chip's own bytes: a number read from two chips is one too many.
        QStringList inChips;
        for (const QString& chip : chips) {
            const QByteArray bytes = contentsOf(chip);
            const int number = (std::uint8_t(bytes[0x10])) | (std::uint8_t(bytes[0x11]) << 8);
            // Below 1000: a socket check's pattern, left by a run killed after it.
            if (number >= 1000) inChips << QString::number(number);
        }
        for (const QString& number : correct) QCOMPARE(inChips.count(number), 1);
        QCOMPARE(QSet<QString>(inChips.begin(), inChips.end()).size(), inChips.size());
    }

    // --json: JSON Lines on stdout, words on stderr; one memoria per chip
    // with the record's columns, and a fin that carries the exit code.
    void jsonLinesForMachines() {
        writeFile(temp("j.bin"), QByteArray(32, '\x22'));
        const Result r = runCli({"--virtual=" + temp("j1.bin"), "--virtual=" + temp("j2.bin"),
                                 "--todos", "--json", "-t", "sram24", "--hasta", "0x1F", "--serie",
                                 "0x10,2,5", "programar", temp("j.bin")});
        QCOMPARE(r.code, 0);
        QStringList events;
        QSet<QString> serials;
        for (const QByteArray& line : r.out.trimmed().split('\n')) {
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            QCOMPARE(object.value("esquema").toInt(), 1);
            events << object.value("evento").toString();
            if (events.last() == QLatin1String("memoria")) {
                QCOMPARE(object.value("resultado").toString(), QStringLiteral("correcto"));
                serials << object.value("serie").toString();
            }
            if (events.last() == QLatin1String("fin")) QCOMPARE(object.value("salida").toInt(), 0);
        }
        QCOMPARE(events.first(), QStringLiteral("inicio"));
        QCOMPARE(events.last(), QStringLiteral("fin"));
        QCOMPARE(events.count("memoria"), 2);
        QCOMPARE(serials, (QSet<QString>{"5", "6"}));
        QVERIFY(!r.err.contains("{"));
        const Result stdoutImage = runCli({"--virtual", "--json", "-t", "sram24", "leer", "-"});
        QCOMPARE(stdoutImage.code, 2);
        QVERIFY(stdoutImage.out.isEmpty());
    }

    // A sealed job runs as sealed: a changed image or setting, or an option
    // that would change one, is refused; the seal goes into every row.
    void aSealedJobRunsAsSealed() {
        writeFile(temp("sellada.bin"), QByteArray(16, '\x33'));
        const auto seal = [&](const QString& job, const QString& record) {
            return runCli({"-t", "sram24", "--hasta", "0xF", "--registro", record, "--sellar",
                           "trabajo", job, temp("sellada.bin")})
                .code;
        };
        const QString job = temp("sellado.trabajo");
        QCOMPARE(seal(job, temp("nuevo.csv")), 0);
        QCOMPARE(seal(temp("antes.trabajo"), temp("antes.csv")), 0);
        const auto runJob = [&](const QString& path, const QStringList& more) {
            return runCli(QStringList{"--virtual", "--trabajo", path, "--json"} + more +
                          QStringList{"programar"});
        };
        const auto run = [&](const QStringList& more) { return runJob(job, more); };
        // A new record has the seal's column; one begun without it keeps its columns.
        Result r = run({"-q", "--operario", "Ana"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("\"trabajo\":\""));
        const QJsonObject memory = QJsonDocument::fromJson(r.out.split('\n').value(4)).object();
        const QString line = QString::fromUtf8(contentsOf(temp("nuevo.csv")).split('\n').value(1));
        // The same chip, the same time and seal in the record and in JSON.
        QVERIFY(line.startsWith(memory["fecha"].toString() + u','));
        QVERIFY(line.endsWith(u',' + memory["trabajo"].toString()));
        writeFile(temp("antes.csv"), cli::Record::kCabecera.toUtf8());
        QCOMPARE(runJob(temp("antes.trabajo"), {"-q"}).code, 0);
        const QList<QByteArray> kept = contentsOf(temp("antes.csv")).trimmed().split('\n');
        QCOMPARE(kept.size(), 2);
        QCOMPARE(kept[1].count(','), cli::Record::kCabecera.count(u','));
        r = run({"--hasta", "0x7"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("--hasta cambiaría el trabajo sellado"));
        writeFile(temp("sellada.bin"), QByteArray(16, '\x34'));
        r = run({});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("no coincide con su sello: la imagen cambió"));
    }

    // The yield and the failures' Pareto, from a record as benches write it.
    void statisticsOfARecord() {
        const QString header =
            "fecha,tipo,orden,rango,crc32,resultado,diferencias,segundos,lote,secuencia,serie,"
            "operario,equipo,version,programador,imagen,modo,verificacion,reintentos,comprobacion,"
            "primera_diferencia,diagnostico,trabajo\n";
        const QString seal = QString(64, u'a') + u':' + QString(64, u'b');
        const auto line = [&](const char* result, const char* who, const char* first,
                              const char* why) {
            return QStringLiteral(
                       "2026-12-10T10:00:00.000+01:00,Sram 24 Pines,programar,0-FF,,%1,0,"
                       "1.0,L1,1,,%2,vm,1.1.0,VIRTUAL-1,i.bin,rapida,si,0,,%3,%4,%5\n")
                .arg(QLatin1String(result), QLatin1String(who), QLatin1String(first),
                     QLatin1String(why), seal);
        };
        writeFile(
            temp("estad.csv"),
            (header + line("correcto", "Ana", "", "") + line("correcto", "Ana", "", "") +
             line("difiere", "Ana", "\"0x0010: chip 0x00, archivo 0x08\"", "\"bit 3, fijo a 0\"") +
             line("difiere", "Luis", "\"0x0010: chip 0x00, archivo 0x08\"", "\"bit 3, fijo a 0\"") +
             line("error", "Luis", "", ""))
                .toUtf8());
        Result r = runCli({"estadisticas", temp("estad.csv")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("Ana                       2 de 3  66,7 %"));
        QVERIFY(r.out.contains("Luis                      0 de 2  0,0 %"));
        QVERIFY(r.out.contains("aaaaaaaaaaaa…             2 de 5  40,0 %"));
        QVERIFY(r.out.contains("Fallos por diagnostico (3):"));
        QVERIFY(r.out.contains("bit 3, fijo a 0"));
        r = runCli({"--json", "estadisticas", temp("estad.csv")});
        QCOMPARE(r.code, 0);
        bool pareto = false;
        for (const QByteArray& json : r.out.trimmed().split('\n')) {
            const QJsonObject object = QJsonDocument::fromJson(json).object();
            QCOMPARE(object.value("esquema").toInt(), 1);
            if (object.value("por") == QLatin1String("trabajo"))
                QCOMPARE(object.value("clave").toString(), seal);
            if (object.value("evento") == QLatin1String("pareto") &&
                object.value("por") == QLatin1String("primera_diferencia") &&
                object.value("clave") == QLatin1String("0x0010")) {
                QCOMPARE(object.value("fallos").toInt(), 2);
                pareto = true;
            }
        }
        QVERIFY(pareto);
        QCOMPARE(runCli({"estadisticas", temp("j.bin")}).code, 2);
    }

    // A kill -9 at each step of a number's life, seen from outside in the
    // counter file: reserved, it is given back; burning, it is voided and
    // the chip may hold it; no chip after takes either twice.
    void aKillAtEachStepOfTheCounter() {
        writeFile(temp("k.bin"), QByteArray(256, '\0'));
        const QString counter = temp("k.txt");
        writeFile(counter, "500\n");
        const auto start = [&](const QString& chip, bool paced) {
            auto process = std::make_unique<QProcess>();
            QStringList arguments{"--virtual=" + chip, "-q",    "-t",        "sram24",
                                  "--hasta",           "0xFF",  "--serie",   "0x80,2,500",
                                  "--contador",        counter, "programar", temp("k.bin")};
            if (!paced) arguments.prepend("--sin-pausa");
            process->start(kCli, arguments);
            return process;
        };
        for (const char* step : {"reservado", "grabando"}) {
            const QString killed = temp(QStringLiteral("k-%1.bin").arg(QLatin1String(step)));
            writeFile(killed, QByteArray(1024, '\0'));
            auto process = start(killed, true);
            QElapsedTimer waited;
            waited.start();
            while (!contentsOf(counter).contains(step) && !waited.hasExpired(20000))
                QThread::usleep(200);
            ::kill(pid_t(process->processId()), SIGKILL);
            process->waitForFinished();
            QVERIFY(contentsOf(counter).contains(step));
        }
        // The next start settles both; then chips take numbers as before.
        QStringList chips;
        for (int chip = 0; chip < 3; ++chip) {
            chips << temp(QStringLiteral("k-%1.bin").arg(chip));
            writeFile(chips.last(), QByteArray(1024, '\0'));
            auto process = start(chips.last(), false);
            QVERIFY(process->waitForFinished());
            QCOMPARE(process->exitCode(), 0);
        }
        QVERIFY(!contentsOf(counter).contains("reservado") &&
                !contentsOf(counter).contains("grabando"));
        QSet<int> numbers;
        for (const QString& chip : chips + QStringList{temp("k-grabando.bin")}) {
            const QByteArray bytes = contentsOf(chip);
            const int number = std::uint8_t(bytes[0x80]) | std::uint8_t(bytes[0x81]) << 8;
            if (number == 0) continue;
            QVERIFY2(!numbers.contains(number), qPrintable(QString::number(number)));
            numbers.insert(number);
        }
        QCOMPARE(numbers.size(),
                 3 + (contentsOf(temp("k-grabando.bin")).mid(0x80, 2) != QByteArray(2, '\0')));
    }

    // The bench's other edges: a gang's output over another programmer's
    // chip, a list of differences that cannot be written, options that mean
    // nothing for the order, a job key given twice, a number past 32 bits.
    void theBenchRefusesWhatWouldMislead() {
        writeFile(temp("out-VIRTUAL-2.bin"), "chip");
        Result r = runCli({"--virtual=" + temp("out-VIRTUAL-2.bin"), "--virtual=" + temp("b.bin"),
                           "-t", "sram24", "--todos", "leer", temp("out.bin")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("es el chip emulado de --virtual="));
        QCOMPARE(contentsOf(temp("out-VIRTUAL-2.bin")), QByteArray("chip"));

        writeFile(temp("uno.bin"), QByteArray(1, '\x42'));
        r = runCli({"--virtual", "-t", "sram24", "--hasta", "0", "--diferencias", "/dev/full",
                    "verificar", temp("uno.bin")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("1 diferencia en total"));
        QVERIFY(r.err.contains("No se puede escribir"));

        for (const QStringList& meaningless :
             {QStringList{"--carril", "par", "llenar", "5"},
              QStringList{"--rellenar", "0", "leer", temp("x.bin")},
              QStringList{"--registro", temp("r.csv"), "info", temp("uno.bin")}}) {
            r = runCli(QStringList{"--virtual", "-t", "sram24"} + meaningless);
            QCOMPARE(r.code, 2);
            QVERIFY(r.err.contains("no sirve para"));
        }
        writeFile(temp("doble.trabajo"), "tipo=sram24\nreintentos=1\nreintentos=5\n");
        r = runCli({"--trabajo", temp("doble.trabajo"), "tipos"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("la clave reintentos aparece dos veces"));
        r = runCli({"--virtual", "-t", "sram24", "--serie", "0xFFFFFFFE,4,1", "programar",
                    temp("uno.bin")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("pasan de 0xFFFFFFFF"));
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
