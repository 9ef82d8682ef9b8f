#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <zip.h>

#include "chip/RomIdentify.h"

using Bytes = std::vector<std::uint8_t>;

namespace {
Bytes randomBytes(QRandomGenerator& random, std::size_t size) {
    Bytes bytes(size);
    for (auto& b : bytes) b = std::uint8_t(random.bounded(256));
    return bytes;
}

QString crcOf(const Bytes& bytes) {
    return QStringLiteral("%1").arg(chip::crc32Of(bytes), 8, 16, QLatin1Char('0'));
}

QString sha1Of(const Bytes& bytes) {
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(bytes.data()),
                                                qsizetype(bytes.size())),
                                 QCryptographicHash::Sha1)
            .toHex());
}

QString romLine(const QString& name, const Bytes& bytes, const QString& more = {}) {
    return QStringLiteral("<rom name=\"%1\" size=\"%2\" crc=\"%3\"%4/>")
        .arg(name)
        .arg(bytes.size())
        .arg(crcOf(bytes), more);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A zip holding one member, made with the library the program reads it with.
void writeZip(const QString& path, const QString& member, const QByteArray& bytes) {
    int error = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    zip_source_t* source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
    QVERIFY(zip_file_add(archive, member.toUtf8().constData(), source, ZIP_FL_OVERWRITE) >= 0);
    QCOMPARE(zip_close(archive), 0);
}

chip::RomCatalogue parsed(const QByteArray& xml) {
    auto result = chip::parseCatalogue(xml, QStringLiteral("prueba.dat"));
    if (auto* refusal = std::get_if<QString>(&result)) qWarning("%s", qPrintable(*refusal));
    return std::get<chip::RomCatalogue>(std::move(result));
}

QStringList texts(const chip::Identification& found) {
    QStringList lines;
    for (const chip::RomMatch& match : found.matches) lines << match.text(false);
    return lines;
}
}  // namespace

// What a dump is, by catalogues in both formats: each part of an image is
// sought, sums are checked where given, and a guess is said to be one.
class IdentifyTest : public QObject {
    Q_OBJECT
    QTemporaryDir folder_;

  private slots:
    void everyPartIsSoughtInBothFormats() {
        QRandomGenerator random(34);
        const Bytes board = randomBytes(random, 16384);
        Bytes even, odd;
        for (std::size_t a = 0; a < board.size(); ++a) (a % 2 ? odd : even).push_back(board[a]);
        const Bytes firstHalf(board.begin(), board.begin() + 8192);
        const Bytes lastQuarter(board.begin() + 12288, board.end());
        Bytes swapped = board;
        for (std::size_t a = 0; a < swapped.size(); a += 2) std::swap(swapped[a], swapped[a + 1]);
        const QByteArray logiqx =
            QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE datafile>\n<datafile><header><name>"
                           "Arcade</name></header>\n<game name=\"pacman\">%1%2</game>\n"
                           "<game name=\"mitades\">%3%4</game>\n<game name=\"girado\">%5</game>"
                           "</datafile>\n")
                .arg(romLine("pacman.6e", even), romLine("pacman.6f", odd),
                     romLine("mitad.1", firstHalf), romLine("cuarto.4", lastQuarter),
                     romLine("girado.bin", swapped, " status=\"baddump\""))
                .toUtf8();
        const chip::RomCatalogue arcade = parsed(logiqx);
        QCOMPARE(arcade.name, QStringLiteral("Arcade"));
        const QStringList lines = texts(chip::identify(board, {arcade}));
        QVERIFY(lines.contains(QStringLiteral("carril impar = set pacman, rom pacman.6f (CRC %1)")
                                   .arg(crcOf(odd).toUpper())));
        QVERIFY(lines.contains(QStringLiteral("carril par = set pacman, rom pacman.6e (CRC %1)")
                                   .arg(crcOf(even).toUpper())));
        QVERIFY(lines.contains(QStringLiteral("primera mitad = set mitades, rom mitad.1 (CRC %1)")
                                   .arg(crcOf(firstHalf).toUpper())));
        QVERIFY(lines.filter(QStringLiteral("cuarto 4 de 4 = set mitades, rom cuarto.4")).size() == 1);
        QVERIFY(lines.filter(QStringLiteral("bytes intercambiados = set girado")).first().endsWith(
            QStringLiteral("volcado malo (baddump)")));
        QCOMPARE(lines.size(), 5);

        // MAME's list: <machine>, SHA-1 checked, a nodump counted, a wrong
        // SHA-1 under a right CRC no match.
        const QByteArray mame =
            QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE mame [\n<!ELEMENT mame (machine+)>\n]>\n"
                           "<mame build=\"0.250\"><machine name=\"tablero\"><description>T"
                           "</description>%1<rom name=\"falta.bin\" size=\"16384\" status=\"nodump\"/>"
                           "<disk name=\"d\" sha1=\"00\"/></machine><machine name=\"otro\">%2</machine>"
                           "</mame>")
                .arg(romLine("tablero.bin", board, QStringLiteral(" sha1=\"%1\"").arg(sha1Of(board))),
                     romLine("impar.bin", odd, QStringLiteral(" sha1=\"%1\"").arg(QString(40, u'0'))))
                .toUtf8();
        const chip::RomCatalogue list = parsed(mame);
        const chip::Identification found = chip::identify(board, {list});
        QCOMPARE(texts(found), QStringList{QStringLiteral(
                                   "imagen entera = set tablero, rom tablero.bin (CRC %1, SHA-1 igual)")
                                   .arg(crcOf(board).toUpper())});
        QCOMPARE(found.noDumps, std::size_t{1});
        // Both catalogues at once: each line names its catalogue.
        const QStringList both = chip::identify(board, {arcade, list}).lines();
        QCOMPARE(both.filter(QStringLiteral(" [Arcade]")).size(), 5);
        QCOMPARE(both.filter(QStringLiteral(" [prueba.dat]")).size(), 1);
    }

    void noMatchSaysSoAndGuessesFromARomFolder() {
        QRandomGenerator random(35);
        const Bytes known = randomBytes(random, 4096);
        Bytes dump = known;
        for (int i = 0; i < 41; ++i) dump[std::size_t(random.bounded(4096))] ^= 0x10;
        const chip::RomCatalogue catalogue = parsed(
            QStringLiteral("<datafile><game name=\"juego\">%1<rom name=\"nada.bin\" size=\"4096\" "
                           "status=\"nodump\"/></game></datafile>")
                .arg(romLine("juego.u3", known))
                .toUtf8());
        chip::Identification none = chip::identify(dump, {catalogue});
        QVERIFY(none.matches.empty());
        QCOMPARE(none.lines().first(), QStringLiteral("Sin coincidencias: ninguna parte de la imagen "
                                                      "está en el catálogo (2 ROM)"));
        QVERIFY(none.lines().contains(QStringLiteral(
            "1 ROM del tamaño de la imagen o de una de sus partes no tiene volcado (nodump): no se "
            "puede comparar")));
        // The ROM set as a zip in a folder, with a file of another size beside it.
        const QString roms = folder_.filePath(QStringLiteral("roms"));
        QVERIFY(QDir().mkpath(roms));
        writeZip(roms + "/juego.zip", QStringLiteral("juego.u3"),
                 QByteArray(reinterpret_cast<const char*>(known.data()), 4096));
        writeFile(roms + "/otro.bin", QByteArray(100, 'x'));
        const chip::Identification guessed = chip::identify(dump, {catalogue}, roms);
        QVERIFY(guessed.guess);
        QCOMPARE(guessed.guess->rom, QStringLiteral("juego.u3"));
        QVERIFY(guessed.guess->share > 0.98 && guessed.guess->share < 1.0);
        QVERIFY(guessed.lines().last().startsWith(
            QStringLiteral("Lo más parecido, y es una suposición: set juego, rom juego.u3, con el 99,")));
    }

    void theIndexIsKeptBesideAndRefusalsAreSpanish() {
        QRandomGenerator random(36);
        const Bytes rom = randomBytes(random, 1024);
        const QByteArray xml =
            QStringLiteral("<datafile><game name=\"a\">%1</game></datafile>").arg(romLine("a.bin", rom)).toUtf8();
        const QString path = folder_.filePath(QStringLiteral("a.dat"));
        writeFile(path, xml);
        auto first = chip::loadCatalogue(path);
        QVERIFY(!std::get<chip::RomCatalogue>(first).fromIndex);
        QVERIFY(QFile::exists(path + ".indice"));
        auto second = chip::loadCatalogue(path);
        QVERIFY(std::get<chip::RomCatalogue>(second).fromIndex);
        QCOMPARE(chip::identify(rom, {std::get<chip::RomCatalogue>(second)}).matches.size(), std::size_t{1});
        // A changed catalogue is read again; a broken index is never trusted.
        writeFile(path, xml + "\n");
        QVERIFY(!std::get<chip::RomCatalogue>(chip::loadCatalogue(path)).fromIndex);
        writeFile(path + ".indice", QByteArray(64, '\x07'));
        QVERIFY(!std::get<chip::RomCatalogue>(chip::loadCatalogue(path)).fromIndex);
        // In a zip, as catalogues are handed about.
        writeZip(folder_.filePath("a.zip"), QStringLiteral("dentro/a.dat"), xml);
        QCOMPARE(std::get<chip::RomCatalogue>(chip::loadCatalogue(folder_.filePath("a.zip"))).entries.size(),
                 std::size_t{1});
        QCOMPARE(chip::cataloguesIn(folder_.path()).size(), 2);
        // A blank image is not sought, even where a catalogue has a blank entry.
        const Bytes blank(1024, 0xFF);
        const auto blankCatalogue = chip::parseCatalogue(
            QStringLiteral("<datafile><game name=\"b\">%1</game></datafile>").arg(romLine("b", blank)).toUtf8(),
            QStringLiteral("b.dat"));
        const chip::Identification nothing =
            chip::identify(blank, {std::get<chip::RomCatalogue>(blankCatalogue)});
        QVERIFY(nothing.matches.empty());
        QCOMPARE(nothing.lines(), QStringList{QStringLiteral(
                                      "La imagen vale FF en todos sus bytes: no hay nada que identificar")});

        const std::pair<QByteArray, const char*> refused[] = {
            {"<datafile><game name=\"a\"><rom name=\"x\" size=\"1\" crc=\"zz\"/></game></datafile>",
             "prueba.dat, línea 1: la ROM x no tiene un CRC válido"},
            {"<datafile><game name=\"a\"><rom name=\"x\" size=\"-1\"/></game></datafile>",
             "la ROM x no tiene un tamaño válido"},
            {"<softwarelist/>", "su raíz es <softwarelist>, y se espera <datafile> (Logiqx) o <mame>"},
            {"<datafile><game>", "prueba.dat no es un XML válido: falla en la línea 1"},
            {"<datafile></datafile>", "prueba.dat está vacío: no tiene ninguna ROM"},
        };
        for (const auto& [bytes, why] : refused) {
            const auto result = chip::parseCatalogue(bytes, QStringLiteral("prueba.dat"));
            QVERIFY2(std::holds_alternative<QString>(result), why);
            QVERIFY2(std::get<QString>(result).contains(QString::fromUtf8(why)),
                     qPrintable(std::get<QString>(result)));
        }
        writeZip(folder_.filePath("vacio.zip"), QStringLiteral("leeme.txt"), "hola");
        QCOMPARE(std::get<QString>(chip::loadCatalogue(folder_.filePath("vacio.zip"))),
                 QStringLiteral("vacio.zip no tiene ningún .dat ni .xml dentro"));
        QCOMPARE(std::get<QString>(chip::loadCatalogue(folder_.path())),
                 QStringLiteral("El catálogo %1 no es un archivo normal").arg(folder_.path()));
        writeFile(folder_.filePath("roto.zip"), "no soy un zip");
        QVERIFY(std::get<QString>(chip::loadCatalogue(folder_.filePath("roto.zip")))
                    == QStringLiteral("roto.zip no es un zip"));
    }
};

QTEST_GUILESS_MAIN(IdentifyTest)
#include "test_identify.moc"
