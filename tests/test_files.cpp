#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "files/FileCommands.h"
#include "files/GridBytes.h"
#include "image/JobFile.h"
#include "image/MemoryFile.h"
#include "info/Unit5.h"
#include "operations/ProgressLine.h"
#include "tests/support/Files.h"
#include "tests/support/Rig.h"
#include "view/Unit2.h"

namespace {
const QString kErrorArchivo = QStringLiteral("Error en el archivo");
const QString kNoPosible = QStringLiteral(
    "No Posible comparar\n\rPorque el formato del archivo\n\rdifiere al de la memoria leida");

QString existen(int count) {
    return QStringLiteral("Existen  %1  Dirreciones erradas").arg(count);
}

void writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Writes beyond this many bytes fail, as on a full disk, while it lives.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

  private:
    rlimit old_{};
};
}  // namespace

class FilesTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString temp(const char* name) { return dir_.filePath(QLatin1String(name)); }

    static void open(Rig& rig, const QString& path) { openFile(rig, path); }
    static void save(Rig& rig, const QString& path) {
        rig.dialogs.fileAnswers.push_back(path);
        rig.form().Guardar1->trigger();
    }
    static void compare(Rig& rig, const QString& path) {
        rig.dialogs.fileAnswers.push_back(path);
        rig.click(rig.form().BitBtn3);
    }

  private slots:
    void lineEnds() {
        using memory_file::splitLines;
        QCOMPARE(splitLines("d\r\n1\r\n2\r\n"), (QStringList{"d", "1", "2"}));
        QCOMPARE(splitLines("d\n1\n2"), (QStringList{"d", "1", "2"}));
        QCOMPARE(splitLines("d\r\n\r\n\n"), (QStringList{"d", "", ""}));
        QCOMPARE(splitLines("d\r1\r2\r\n"), (QStringList{"d\r1\r2"}));
        QCOMPARE(splitLines("\xC3\xA9\r\n"), (QStringList{QStringLiteral("\u00C3\u00A9")}));
        QVERIFY(splitLines("").isEmpty());
        QCOMPARE(memory_file::nameOf("C:\\datos\\chip1.mem"), QStringLiteral("chip1.mem"));
        QCOMPARE(memory_file::nameOf("/home/u/chip1.mem"), QStringLiteral("chip1.mem"));
        QCOMPARE(memory_file::nameOf("A:chip1.mem"), QStringLiteral("chip1.mem"));
    }

    void jobFilesRoundTripAndRefusals() {
        const QString folder = dir_.filePath(QStringLiteral("banco"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/placa.trabajo";
        // Set last key first: the file keeps the keys' order. The image's name
        // holds what INI files read their own way; the counter lies outside.
        const QString image =
            folder + QStringLiteral("/@@v2 \"a;b\"\\ñ,\x01") + QStringLiteral("F.hex");
        const std::pair<const char*, QString> given[] = {
            {"registro", folder + "/registros/hoy.csv"},
            {"contador", dir_.filePath("contador")},
            {"serie", "0x1FF0,4,1,1,hex"},
            {"comprobacion", "0"},
            {"rapida", "true"},
            {"reintentos", "3"},
            {"verificacion", QStringLiteral("Sí")},
            {"rango", "0x0-0x1FFF"},
            {"sello", "a:b"},
            {"rellenar", "0xFF"},
            {"intercambiar", "si"},
            {"carril", "1/2"},
            {"desplazamiento", "-0xE000"},
            {"formato", "hex"},
            {"imagen", image},
            {"tipo", "27c512"}};
        job::Job job;
        for (const auto& [key, text] : given) job.set(key, text);
        const auto refusal = job::write(path, job);
        QVERIFY2(!refusal, qPrintable(refusal.value_or(QString())));
        const QStringList lines = QString::fromUtf8(contents(path)).split(u'\n');
        QStringList keys;
        for (const QString& line : lines.mid(1)) keys << line.section(u'=', 0, 0);
        QCOMPARE(keys.mid(0, job::kKeys.size()), job::kKeys);
        QVERIFY(lines.contains("registro=registros/hoy.csv"));
        QVERIFY(lines.contains("serie=0x1FF0,4,1,1,hex"));
        const auto read = job::read(path);
        QVERIFY(std::holds_alternative<job::Job>(read));
        job.set("verificacion", "si");
        job.set("rapida", "si");
        job.set("comprobacion", "no");
        QCOMPARE(std::get<job::Job>(read).values, job.values);

        // Written by hand: no section, blanks, a relative image.
        writeText(folder + "/mano.trabajo",
                  "; banco 2\ntipo = sram24\nserie=0,4, 1\nimagen=sub/x.bin\n");
        const auto byHand = std::get<job::Job>(job::read(folder + "/mano.trabajo"));
        QCOMPARE(byHand.value("serie"), QStringLiteral("0,4,1"));
        QCOMPARE(byHand.value("imagen"), folder + "/sub/x.bin");

        const std::pair<QByteArray, QString> refused[] = {
            {"tipo=sram24\nvelocidad=3\n", ": clave desconocida: velocidad"},
            {"[Otro]\ntipo=sram24\n", ": sección desconocida: Otro"},
            {"rapida=quizás\n", ": rapida debe ser si o no: quizás"},
            {"[General\ntipo=sram24\n", " no es un archivo INI válido"},
            {"; nada\n", " está vacío"},
            {"imagen=\xF1.hex\n", " no está escrito en UTF-8"},
            {QByteArray(1024 * 1024 + 1, ';'), " pasa de 1 MiB: no es un trabajo"}};
        int count = 0;
        for (const auto& [text, fault] : refused) {
            const QString name = folder + QStringLiteral("/%1.trabajo").arg(++count);
            writeText(name, text);
            QCOMPARE(std::get<QString>(job::read(name)), "El trabajo " + name + fault);
        }
        QCOMPARE(std::get<QString>(job::read(folder + "/no\nhay.trabajo")),
                 "No existe el trabajo " + folder + "/no\\x0Ahay.trabajo");
    }

    void saveWritesTheFormatByteForByte() {
        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        f.Hexadecimal1->trigger();
        f.imagen.setCell(1, 1, "12");
        f.imagen.setCell(1, 2, "FF");
        f.imagen.setCell(1, 1026, "past the memory");
        save(rig, temp("sram24.mem"));
        QCOMPARE(contents(temp("sram24.mem")), contents(fixture("sram24_hex.mem")));
        QCOMPARE(rig.dialogs.lastOptions.filter, QStringLiteral("Archivos de Memoria|*.mem"));
        QCOMPARE(rig.dialogs.lastOptions.fileName, QStringLiteral("*.mem"));
        QCOMPARE(f.windowTitle(), "ProgramAdor de Memorias: T.VELAR  (" + temp("sram24.mem") + ")");
    }

    void theSaveDialogShowsWhatItWasGiven() {
        QString name;
        QStringList filters;
        QString suffix;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            filters = dialog->nameFilters();
            suffix = dialog->defaultSuffix();
            dialog->reject();
        });
        QtDialogs dialogs;
        QVERIFY(!dialogs.saveFileName(kSaveDialog));
        QCOMPARE(name, QStringLiteral("*.mem"));
        QCOMPARE(filters, QStringList{"Archivos de Memoria (*.mem)"});
        QCOMPARE(suffix, QStringLiteral("mem"));
    }

    void saveThenOpenGivesEveryTextBack() {
        for (bool hexadecimal : {false, true}) {
            Rig rig;
            Tform1& f = rig.form();
            if (hexadecimal) f.Hexadecimal1->trigger();
            for (int row = 1; row <= 8192; row += 3)
                f.imagen.setCell(1, row, QString::number(row % 97));
            f.imagen.setCell(1, 8192, "07");
            const std::vector<QString> before(f.imagen.column(1).begin(),
                                              f.imagen.column(1).begin() + 8192);
            save(rig, temp("roundtrip.mem"));
            QTest::mouseClick(f.BitBtn11, Qt::LeftButton);
            f.Decimal1->trigger();
            open(rig, temp("roundtrip.mem"));
            const std::vector<QString> after(f.imagen.column(1).begin(),
                                             f.imagen.column(1).begin() + 8192);
            QVERIFY(before == after);
            QCOMPARE(f.formato.hexa, hexadecimal ? 1 : 0);
            QCOMPARE(f.windowTitle(),
                     QStringLiteral("Programador de Memorias: T.VELAR -: roundtrip.mem"));
            QVERIFY(rig.dialogs.messages.isEmpty() && rig.dialogs.errors.isEmpty());
        }
    }

    void openingAHexadecimalFileSwitchesTheFormat() {
        Rig rig;
        Tform1& f = rig.form();
        open(rig, fixture("sram24_hex.mem"));
        QVERIFY(f.Hexadecimal1->isChecked() && !f.Decimal1->isChecked());
        QCOMPARE(f.formato.letra, QChar(u'h'));
        QCOMPARE(f.imagen.cell(0, 8192), QStringLiteral("1FFF"));
        QCOMPARE(f.imagen.cell(1, 2), QStringLiteral("FF"));
        QCOMPARE(rig.dialogs.lastOptions.filter,
                 QStringLiteral("Archivos de Memoria|*.mem|Archivos de texto|*.txt"));
        QCOMPARE(rig.dialogs.lastOptions.defaultSuffix, QStringLiteral("*.mem"));
    }

    void lfOnlyAndShortFiles() {
        Rig rig;
        Tform1& f = rig.form();
        f.imagen.setCell(1, 100, "old");
        open(rig, fixture("sram28_dec_lf.mem"));
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("1"));
        QCOMPARE(f.imagen.cell(1, 8192), QString::number((8191 * 5 + 1) % 256));
        open(rig, fixture("short_dec.mem"));
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("1"));
        QCOMPARE(f.imagen.cell(1, 2), QString());
        QCOMPARE(f.imagen.cell(1, 4), QStringLiteral("ZZ"));
        QCOMPARE(f.imagen.cell(1, 5), QStringLiteral("300"));
        QCOMPARE(f.imagen.cell(1, 6), QString());
        QCOMPARE(f.imagen.cell(1, 100), QString());
        open(rig, fixture("only_d.mem"));
        QCOMPARE(f.imagen.cell(1, 1), QString());
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    void refusedFilesLeaveTheImageAlone() {
        Rig rig;
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, "precious");
        const QString caption = f.windowTitle();
        for (const char* name : {"upper_h.mem", "d_blank.mem", "empty_first.mem"}) {
            open(rig, fixture(name));
            QCOMPARE(rig.dialogs.messages.takeLast(), kErrorArchivo);
            QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("precious"));
            QCOMPARE(f.windowTitle(), caption);
            QCOMPARE(f.formato.hexa, 0);
        }
        open(rig, temp("missing.mem"));
        QCOMPARE(rig.dialogs.errors, QStringList{"File not found."});
        open(rig, dir_.path());
        QCOMPARE(rig.dialogs.errors.size(), 2);
        QVERIFY(rig.dialogs.errors[1].contains(dir_.path()));
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("precious"));
        // A cancelled dialog changes nothing either.
        rig.dialogs.fileAnswers.push_back(QString());
        f.Abrir1->trigger();
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("precious"));
        // The refused file was closed: it can be saved over at once.
        QFile::copy(fixture("upper_h.mem"), temp("refused.mem"));
        open(rig, temp("refused.mem"));
        save(rig, temp("refused.mem"));
        QVERIFY(contents(temp("refused.mem")).startsWith("d\r\nprecious\r\n"));
    }

    void anEmptyFileEmptiesTheImage() {
        Rig rig;
        Tform1& f = rig.form();
        f.Hexadecimal1->trigger();
        f.imagen.setCell(1, 1, "1");
        open(rig, fixture("empty.mem"));
        QCOMPARE(f.imagen.cell(1, 1), QString());
        QCOMPARE(f.formato.hexa, 1);
        QCOMPARE(f.windowTitle(), QStringLiteral("Programador de Memorias: T.VELAR -: empty.mem"));
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    void aLargeFileIntoASmallMemory() {
        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        open(rig, fixture("prom010_dec.mem"));
        QCOMPARE(f.imagen.gridRows(), 1025);
        QCOMPARE(f.imagen.cell(1, 1024), QString::number(1023 * 3 % 256));
        // No box, but the status line says what is out of sight, and on what.
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(f.progreso->stateText(),
                 QStringLiteral("130048 datos más allá de la última dirección"));
        QCOMPARE(f.progreso->memoryText(), QStringLiteral("Sram 24 Pines · 1024 bytes · Decimal"));
        rig.memoryType(4);
        QCOMPARE(f.imagen.gridRows(), 131073);
        QCOMPARE(f.imagen.cell(1, 131072), QString::number(131071 * 3 % 256));
        QCOMPARE(f.progreso->stateText(), QString());
        f.Hexadecimal1->trigger();
        QCOMPARE(f.progreso->memoryText(),
                 QStringLiteral("Prom 27c010 · 131072 bytes · Hexadecimal"));
        // A file that fits leaves no note; an operation takes the line over.
        rig.memoryType(0);
        open(rig, fixture("prom010_dec.mem"));
        open(rig, fixture("seven_dec.mem"));
        QCOMPARE(f.progreso->stateText(), QString());
        open(rig, fixture("prom010_dec.mem"));
        rig.click(f.BitBtn2);
        QVERIFY(f.progreso->stateText().startsWith(QStringLiteral("Terminado: 1024 direcciones")));
    }

    void convertingTheDataKeepsEveryByte() {
        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        const QStringList typed{"255", "10", "x", "300", "", "0"};
        for (int a = 0; a < typed.size(); ++a) f.imagen.setCell(1, a + 1, typed[a]);
        // Past the last address: converted too, for a larger type, but not counted.
        f.imagen.updateColumn(kDataColumn, [](std::vector<QString>& texts) {
            texts[2000] = QStringLiteral("200");
            texts[2001] = QStringLiteral("x");
        });
        save(rig, temp("antes.mem"));
        const auto sums = [&f] {
            return imageSums(f.imagen.column(kDataColumn), 1024, f.formato).crc;
        };
        const std::uint32_t before = sums();

        QVERIFY(!f.ConvertirDecimal1->isEnabled());
        f.ConvertirHexadecimal1->trigger();
        QVERIFY(f.formato.hexadecimal() && f.Hexadecimal1->isChecked());
        const QStringList hex{"FF", "A", "x", "300", "", "0"};
        for (int a = 0; a < hex.size(); ++a) QCOMPARE(rig.cell(a + 1), hex[a]);
        QCOMPARE(f.imagen.column(kDataColumn)[2000], QStringLiteral("C8"));
        QCOMPARE(sums(), before);
        QCOMPARE(f.progreso->stateText(),
                 QStringLiteral("Datos convertidos a hexadecimal; 2 celdas no son un byte"));
        QVERIFY(f.cambios());
        QVERIFY(!f.ConvertirHexadecimal1->isEnabled());

        f.ConvertirDecimal1->trigger();
        for (int a = 0; a < typed.size(); ++a) QCOMPARE(rig.cell(a + 1), typed[a]);
        QVERIFY(!f.formato.hexadecimal());
        QVERIFY(!f.cambios());
    }

    void aFailedSaveKeepsTheOldFile() {
        Rig rig;
        Tform1& f = rig.form();
        const QString target = temp("kept.mem");
        QFile::copy(fixture("seven_dec.mem"), target);
        const QString caption = f.windowTitle();
        {
            FileSizeLimit full(100);
            save(rig, target);
        }
        QCOMPARE(contents(target), contents(fixture("seven_dec.mem")));
        QCOMPARE(rig.dialogs.errors.size(), 1);
        QVERIFY(rig.dialogs.errors[0].contains(target));
        QCOMPARE(f.windowTitle(), caption);
        const QStringList leftovers = QDir(dir_.path()).entryList(QDir::Files);
        QVERIFY(!leftovers.join(u' ').contains(QStringLiteral("kept.mem.")));

        save(rig, dir_.filePath("no/such/folder/x.mem"));
        QCOMPARE(rig.dialogs.errors.size(), 2);
        QVERIFY(rig.dialogs.errors[1].contains(QStringLiteral("no/such/folder/x.mem")));
    }

    void compareWithAJustSavedFile() {
        Rig rig(true, false);  // the programmer takes no part
        Tform1& f = rig.form();
        for (int row = 1; row <= 8192; ++row) f.imagen.setCell(1, row, QString::number(row & 0xFF));
        save(rig, temp("same.mem"));
        compare(rig, temp("same.mem"));
        QCOMPARE(rig.dialogs.messages, QStringList{existen(0)});
        TForm2& w = *rig.programa->Form2;
        QVERIFY(w.isVisible());
        QCOMPARE(w.grid.cell(1, 0), QStringLiteral("DATO MEMORIA"));
        QCOMPARE(w.grid.cell(2, 0), QStringLiteral("DATO ARCHIVO"));
        QCOMPARE(w.grid.cell(3, 0), QStringLiteral("  DIR Erradas"));
        QCOMPARE(rig.programa->Form5->windowTitle(),
                 QStringLiteral("Programador de Memoerias: T.VELAR -: same.mem"));
        QCOMPARE(f.windowTitle(), "ProgramAdor de Memorias: T.VELAR  (" + temp("same.mem") + ")");
        QVERIFY(rig.sent().empty());
    }

    void compareTexts() {
        Rig rig;
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, "07");
        f.imagen.setCell(1, 3, "5");
        compare(rig, fixture("seven_dec.mem"));
        // "07" against "7", and "5" against an empty line.
        QCOMPARE(rig.dialogs.messages, QStringList{existen(2)});
        QCOMPARE(rig.programa->Form2->lista, (std::vector<std::int32_t>{0, 2}));

        // A cancelled dialog compares against the column as it stood.
        rig.dialogs.clear();
        f.imagen.setCell(1, 1, "7");
        rig.dialogs.fileAnswers.push_back(QString());
        rig.click(f.BitBtn3);
        QCOMPARE(rig.dialogs.messages, QStringList{existen(1)});
    }

    void formatsMustAgree() {
        Rig rig;
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, "7");
        f.imagen.setCell(1, 2, "8");
        compare(rig, fixture("seven_hex.mem"));
        QCOMPARE(rig.dialogs.messages, (QStringList{kNoPosible, existen(2)}));
        QCOMPARE(rig.programa->Form5->windowTitle(), QStringLiteral("Ayuda"));
        rig.dialogs.clear();
        f.Hexadecimal1->trigger();
        compare(rig, fixture("seven_dec.mem"));
        compare(rig, fixture("upper_h.mem"));
        QCOMPARE(rig.dialogs.messages,
                 (QStringList{kNoPosible, existen(2), kNoPosible, existen(2)}));
        rig.dialogs.clear();
        compare(rig, fixture("seven_hex.mem"));
        QCOMPARE(rig.dialogs.messages, QStringList{existen(1)});
    }

    void compareWithAMissingFileEndsBeforeTheCount() {
        Rig rig;
        TForm2& w = *rig.programa->Form2;
        rig.form().imagen.setCell(1, 1, "1");
        compare(rig, fixture("only_d.mem"));
        QCOMPARE(w.lista.size(), std::size_t{1});
        rig.dialogs.clear();
        rig.form().imagen.setCell(1, 2, "1");
        compare(rig, temp("missing.mem"));
        QCOMPARE(rig.dialogs.errors, QStringList{"File not found."});
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(w.lista.size(), std::size_t{1});
        QCOMPARE(w.grid.cell(3, 2), QString());
    }

    void aLongerFileIntoASmallerMemory() {
        Rig rig;
        Tform1& f = rig.form();
        rig.memoryType(0);
        for (int row = 1; row <= 1024; ++row)
            f.imagen.setCell(1, row, QString::number((row * 5 - 4) % 256));
        compare(rig, fixture("sram28_dec_lf.mem"));
        QCOMPARE(rig.dialogs.messages, QStringList{existen(0)});
        QCOMPARE(rig.programa->Form2->grid.gridRows(), 1025);
    }
};

QTEST_MAIN(FilesTest)
#include "test_files.moc"
