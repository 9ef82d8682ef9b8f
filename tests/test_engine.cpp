// The engine's joins as properties over random images, types, ranges,
// formats and placements: what one path writes, the other reads back. A few
// hundred cases each; PROPIEDADES_CASOS=N runs N.
#include <QTemporaryDir>
#include <QTest>
#include <random>

#include "cli/JobOptions.h"
#include "cli/Options.h"
#include "device/MemoryTypes.h"
#include "image/ImageIo.h"
#include "image/JobFile.h"
#include "tests/support/CliRig.h"

namespace {
using image::Format;
using image::Lane;
using image::Map;
using image::Placement;

int cases(int usual) {
    const int asked = qEnvironmentVariableIntValue("PROPIEDADES_CASOS");
    return asked > 0 ? asked : usual;
}

struct Random {
    std::mt19937_64 engine;
    explicit Random(std::uint64_t seed) : engine(seed) {}
    std::uint64_t below(std::uint64_t n) { return engine() % n; }
    bool coin() { return below(2) == 1; }
    template <typename T, std::size_t N>
    T pick(const T (&choices)[N]) {
        return choices[below(N)];
    }
};

constexpr Format kFormats[] = {Format::Binary, Format::IntelHex, Format::SRecord, Format::Memory};
const std::optional<Lane> kLanes[] = {std::nullopt, Lane{0, 2}, Lane{1, 2}, Lane{0, 4},
                                      Lane{1, 4},   Lane{2, 4}, Lane{3, 4}};

// A placement whose file addresses for first..last are none below 0.
Placement randomPlacement(Random& r, image::Range range) {
    Placement p;
    p.lane = r.pick(kLanes);
    p.swap = r.coin();
    const std::int64_t low = p.fileSpan(range.first, range.last).first;
    // None; one that moves the range towards the file's start; or one that
    // moves it far into the file, as -0xE000 does a board's ROM.
    const std::int64_t choices[] = {0, std::int64_t(r.below(std::uint64_t(low) + 1)),
                                    -std::int64_t(r.below(0x20000))};
    p.offset = choices[r.below(3)];
    if (p.fileSpan(range.first, range.last).first < 0) p.offset = low;
    return p;
}

image::Range randomRange(Random& r, std::uint64_t size) {
    const std::uint64_t a = r.below(size), b = r.below(size);
    return {std::min(a, b), std::max(a, b)};
}

QString describe(Format f, const Placement& p, image::Range range) {
    return QStringLiteral("%1 carril %2 intercambiar %3 desplazamiento %4 rango %5-%6")
        .arg(image::formatKey(f), p.lane ? image::laneKey(*p.lane) : QStringLiteral("-"))
        .arg(p.swap)
        .arg(p.offset)
        .arg(range.first)
        .arg(range.last);
}

QStringList placementWords(const Placement& p) {
    QStringList words;
    if (p.offset != 0) words << "--desplazamiento" << image::offsetKey(p.offset);
    if (p.lane) words << "--carril" << image::laneKey(*p.lane);
    if (p.swap) words << "--intercambiar";
    return words;
}
}  // namespace

class EngineTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString temp(const QString& name) const { return dir_.filePath(name); }

  private slots:
    // What save writes, load reads back with the same placement, in every format.
    void savedImagesLoadBackTheSame() {
        Random r(31);
        for (int n = 0; n < cases(400); ++n) {
            const std::uint64_t size =
                r.pick({std::uint64_t{1024}, std::uint64_t{8192}, std::uint64_t{65536}});
            const image::Range range = randomRange(r, std::min<std::uint64_t>(size, 4096));
            const Format format = r.pick(kFormats);
            const Placement placement = randomPlacement(r, range);
            Map chip;
            for (std::uint64_t a = range.first; a <= range.last; ++a)
                chip.put(a, std::uint8_t(r.below(256)));
            const QString what = describe(format, placement, range);
            if (image::saveRefusal(format, placement, range)) continue;
            const QByteArray file = image::save(chip, format, placement, size);
            const auto loaded = image::load(file, format, placement, range, size - 1);
            QVERIFY2(!image::refusalOf(loaded), qPrintable(what));
            const Map& back = std::get<image::Loaded>(loaded).map;
            QVERIFY2(back.runs() == chip.runs(), qPrintable(what));
        }
    }

    // The lanes of a board read into one file, in any order, keeping the
    // rest: the board again, as srec_cat -unsplit makes it.
    void lanesReadIntoOneFileRebuildTheBoard() {
        Random r(32);
        for (int n = 0; n < cases(200); ++n) {
            const unsigned ways = r.coin() ? 2 : 4;
            const std::uint64_t chipSize = 1 + r.below(300);
            const Format format = r.pick(kFormats);
            Map board;
            for (std::uint64_t a = 0; a < chipSize * ways; ++a)
                board.put(a, std::uint8_t(r.below(256)));
            std::vector<unsigned> order(ways);
            for (unsigned k = 0; k < ways; ++k) order[k] = k;
            std::shuffle(order.begin(), order.end(), r.engine);
            std::optional<Map> kept;
            for (const unsigned k : order) {
                const Placement p{0, Lane{k, ways}, false, std::nullopt};
                const QByteArray file = image::save(image::toChip(board, p), format, p, chipSize,
                                                    kept ? &*kept : nullptr);
                kept = std::get<image::MapRead>(image::readFileMap(format, file)).map;
            }
            QVERIFY2(kept->runs() == board.runs(), qPrintable(image::formatKey(format)));
        }
    }

    // A limit is checked after the placement: a lane's memory file is not
    // refused for lines its lane maps into the chip, and one past it is.
    void limitsAfterThePlacement() {
        Map board;
        for (std::uint64_t a = 0; a < 16384; ++a) board.put(a, std::uint8_t(a));
        const Placement odd{0, Lane{1, 2}, false, std::nullopt};
        const QByteArray mem = image::save(image::toChip(board, odd), Format::Memory, odd, 8192);
        const auto loaded = image::load(mem, Format::Memory, odd, {0, 8191}, 8191);
        QVERIFY(!image::refusalOf(loaded));
        QCOMPARE(std::get<image::Loaded>(loaded).map.size(), 8192u);
        const auto past = image::load(mem, Format::Memory, {}, {0, 8191}, 8191);
        QVERIFY(image::refusalOf(past));
        QCOMPARE(image::refusalOf(past)->wording(image::hexAddressText),
                 QStringLiteral("línea 8195: un dato más allá de la última dirección 0x1FFF"));
        // A negative offset drops what falls before the chip, and says so.
        const QByteArray bin = image::save(board, Format::Binary, {}, 16384);
        const auto moved =
            image::load(bin, Format::Binary, {-0x100, {}, false, {}}, {0, 0xFF}, 8191);
        QCOMPARE(std::get<image::Loaded>(moved).map.at(0), std::optional<std::uint8_t>(0x00));
        QCOMPARE(std::get<image::Loaded>(moved).outside, 16384u - 256u);
        // Before the file's start, and past the bound a reader takes: refused first.
        QVERIFY(image::saveRefusal(Format::Binary, {0x10, {}, false, {}}, {0, 0xFF}));
        QVERIFY(image::saveRefusal(Format::Binary, {0, Lane{3, 4}, false, {}}, {0, 0x1000000}));
        QVERIFY(!image::saveRefusal(Format::IntelHex, {0, Lane{3, 4}, false, {}}, {0, 0x1000000}));
        QVERIFY(image::saveRefusal(Format::Memory, {-0x20000, {}, false, {}}, {0, 0}));
    }

    // Options -> job -> options is the identity for every setting a job holds.
    void jobsKeepEverySetting() {
        Random r(33);
        for (int n = 0; n < cases(150); ++n) {
            cli::Options o;
            o.tipo = std::uint8_t(r.below(5));
            const std::uint32_t maxdir = memoryType(*o.tipo).maxdir;
            o.desde = std::uint32_t(r.below(maxdir / 2));
            o.hasta = *o.desde + std::uint32_t(r.below(maxdir - *o.desde));
            if (r.coin()) o.formato = r.pick(kFormats);
            o.desplazamiento = std::int64_t(r.below(0x20000)) - 0x10000;
            o.carril = r.pick(kLanes);
            o.intercambiar = r.coin();
            if (r.coin()) o.rellenar = std::uint8_t(r.below(256));
            o.verificar = r.coin();
            o.rapida = r.coin();
            o.comprobar = r.coin();
            o.reintentos = std::int32_t(r.below(10));
            o.contador = temp("contador");
            o.registro = temp("registro.csv");
            const QString path = temp(QStringLiteral("p%1.trabajo").arg(n));
            QVERIFY(!job::write(path, cli::jobFromOptions(o, temp("img.bin"))));
            const auto parsed =
                cli::parseArguments({"programador-cli", "--trabajo", path, "tipos"});
            if (const auto* refusal = std::get_if<QString>(&parsed)) QFAIL(qPrintable(*refusal));
            const cli::Options& b = std::get<cli::Parsed>(parsed).options;
            QCOMPARE(b.tipo, o.tipo);
            QCOMPARE(b.desde, o.desde);
            QCOMPARE(b.hasta, o.hasta);
            QCOMPARE(b.formato, o.formato);
            QCOMPARE(b.desplazamiento, o.desplazamiento);
            QCOMPARE(b.carril, o.carril);
            QCOMPARE(b.intercambiar, o.intercambiar);
            QCOMPARE(b.rellenar, o.rellenar);
            QCOMPARE(b.verificar, o.verificar);
            QCOMPARE(b.rapida, o.rapida);
            QCOMPARE(b.comprobar, o.comprobar);
            QCOMPARE(b.reintentos, o.reintentos);
            QCOMPARE(b.contador, o.contador);
            QCOMPARE(b.registro, o.registro);
        }
    }

    // leer with options O into a file, verificar with O: no difference;
    // programar a blank chip with O from it: the first chip's bytes.
    void whatLeerWritesTheSameOptionsReadBack() {
        Random r(34);
        const char* types[] = {"sram24", "sram28"};
        for (int n = 0; n < cases(60); ++n) {
            const QString type = QString::fromLatin1(r.pick(types));
            const std::uint64_t size = type == QLatin1String("sram24") ? 1024 : 8192;
            const image::Range range = randomRange(r, size);
            const Format format = r.pick(kFormats);
            const Placement p = randomPlacement(r, range);
            if (image::saveRefusal(format, p, range)) continue;
            const QString what = describe(format, p, range);
            const Chip chip = type == QLatin1String("sram24") ? Chip::Sram24 : Chip::Sram28;
            CliRig first, second;
            first.programmer.firmware().insert(chip);
            for (std::uint32_t a = 0; a < size; ++a)
                first.programmer.firmware().poke(chip, a, std::uint8_t(r.below(256)));
            const QString file = temp("ida." + image::formatKey(format));
            const QStringList options = QStringList{"-q",
                                                    "-t",
                                                    type,
                                                    "--formato",
                                                    image::formatKey(format),
                                                    "--desde",
                                                    QString::number(range.first),
                                                    "--hasta",
                                                    QString::number(range.last)} +
                                        placementWords(p);
            QFile::remove(file);
            QVERIFY2(first.emulated(options + QStringList{"leer", file}).code == 0,
                     qPrintable(what));
            const Result verify = first.emulated(options + QStringList{"verificar", file});
            QVERIFY2(verify.code == 0, qPrintable(what + ": " + verify.err));
            QVERIFY2(second.emulated(options + QStringList{"programar", file}).code == 0,
                     qPrintable(what));
            for (std::uint64_t a = range.first; a <= range.last; ++a)
                QVERIFY2(second.programmer.firmware().peek(chip, std::uint32_t(a)) ==
                             first.programmer.firmware().peek(chip, std::uint32_t(a)),
                         qPrintable(what));
        }
    }
};

QTEST_GUILESS_MAIN(EngineTest)
#include "test_engine.moc"
