#include <QFileInfo>
#include <map>
#include <set>

#include "chip/DumpAnalysis.h"
#include "chip/Loops.h"
#include "cli/Catalogues.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Session.h"
#include "image/ImageIo.h"

namespace cli {

namespace {
constexpr int kListedAddresses = 20;

// leer ARCHIVO: the range into a file, or to standard output.
class Leer : public Command {
  public:
    QString name() const override { return QStringLiteral("leer"); }
    int arguments() const override { return 1; }
    QStringList outputs(const QStringList& arguments) const override { return arguments; }

    int execute(Session& s, const QStringList& arguments) override {
        const QString& path = arguments.constFirst();
        const FileFormat format = s.outputFormatOf(path);
        // Raw bytes on a terminal are no use to anyone, and can upset it.
        if (path == QLatin1String("-") && format == FileFormat::Binary && s.outputIsTerminal())
            s.fail(kUsoInvalido, QStringLiteral("leer -: la salida estándar es una terminal; use "
                                                "un archivo o --formato hex"));
        s.checkOutputPlacement(format);
        if (!s.options().identificar && (!s.options().dat.isEmpty() || !s.options().roms.isEmpty()))
            s.fail(kUsoInvalido,
                   QStringLiteral("--dat y --roms solo sirven con leer --identificar"));
        // Read before the chip is touched: a catalogue refused refuses the read.
        const std::vector<chip::RomCatalogue> catalogues =
            s.options().identificar ? loadCatalogues(s) : std::vector<chip::RomCatalogue>{};
        // The file's other addresses, read before anything goes to the programmer.
        const std::optional<image::Map> kept = keptAddresses(s, path);
        // The analysis below says what an all-FF read cannot tell.
        s.checkSocket({.sayCannotTell = false});
        chip::Access& chip = s.open();
        image::Map read;
        image::Bytes memory(s.memorySize(), image::kBlank);
        readEveryTime(s, chip, [&](std::uint32_t address, std::uint8_t byte) {
            memory[address] = byte;
            read.put(address, byte);
        });
        s.setImageCrc(memory, s.first(), s.last());
        // What the bytes say of the chip and its socket: warnings, never the
        // exit code; -q silences them as it does the verdict.
        const image::Bytes range(memory.begin() + s.first(), memory.begin() + s.last() + 1);
        if (!s.options().silencioso)
            for (const chip::Finding& finding :
                 chip::analyzeDump(range, QStringLiteral("0x"), s.first()))
                s.say(QStringLiteral("Aviso: ") + finding.text);
        s.writeOutput(path, image::save(read, format, s.options().placement(), s.memorySize(),
                                        kept ? &*kept : nullptr));
        // Asked for: said even with -q; with --json, as objects among the events.
        if (s.options().identificar)
            tellIdentification(s, chip::identify(range, catalogues, s.options().roms),
                               QStringLiteral("Identificación: "), s.options().json);
        s.setVerdict(QStringLiteral("Correcto: %1 leídas en %2")
                         .arg(counted(s.rangeSize(), "dirección", "direcciones"),
                              spokenDuration(s.elapsedNs())));
        return kCorrecto;
    }

  private:
    // The range read as many times as --lecturas says, each read after the
    // first compared with it: an address that gives another byte points to
    // a loose contact, and nothing of such a read is written (exit 1).
    static void readEveryTime(Session& s, chip::Access& chip,
                              const std::function<void(std::uint32_t, std::uint8_t)>& keep) {
        const std::uint32_t reads = s.options().lecturas;
        s.startProgress(std::vector<Progress::Pass>(
            reads, Progress::Pass{Progress::Activity::Leyendo, s.first(), s.last()}));
        image::Bytes first(s.memorySize(), 0);
        // Each read of the range, for the data lines that moved between them.
        std::vector<image::Bytes> passes(reads, image::Bytes(s.rangeSize(), 0));
        s.conclude(chip::readRange(chip, s.first(), s.last(),
                                   {s.atHook(), [&](std::uint32_t address, std::uint8_t byte) {
                                        first[address] = byte;
                                        passes[0][address - s.first()] = byte;
                                        keep(address, byte);
                                    }}));
        std::map<std::uint32_t, std::set<std::uint8_t>> unstable;
        for (std::uint32_t read = 2; read <= reads; ++read) {
            s.nextPass();
            s.conclude(chip::readRange(chip, s.first(), s.last(),
                                       {s.atHook(), [&](std::uint32_t address, std::uint8_t byte) {
                                            passes[read - 1][address - s.first()] = byte;
                                            if (byte != first[address])
                                                unstable[address].insert(byte);
                                        }}));
        }
        if (unstable.empty()) return;
        QStringList lines;
        for (const auto& [address, others] : unstable) {
            QStringList bytes{hexByte(first[address])};
            for (const std::uint8_t byte : others) bytes << hexByte(byte);
            lines << QStringLiteral("%1: %2").arg(s.addressText(address),
                                                  bytes.join(QStringLiteral(", ")));
        }
        s.setDifferences(unstable.size(), lines.constFirst(), QStringLiteral("lectura inestable"));
        for (const QString& line : lines.mid(0, kListedAddresses)) s.say(line);
        for (const chip::Finding& finding :
             chip::compareReads(passes, QStringLiteral("0x"), s.first()))
            s.say(QStringLiteral("Aviso: ") + finding.text);
        s.fail(kDifiere,
               QStringLiteral("Lectura inestable: %1 dieron bytes distintos en %2 lecturas; revise "
                              "el contacto de la memoria en el zócalo o la pinza. No se escribió "
                              "ningún archivo.")
                   .arg(counted(unstable.size(), "dirección", "direcciones"))
                   .arg(reads));
    }

    // --conservar: an existing file keeps the addresses the read does not
    // give, so that a board is built from its lanes one read at a time.
    static std::optional<image::Map> keptAddresses(Session& s, const QString& path) {
        if (!s.options().conservar) return std::nullopt;
        if (path == QLatin1String("-"))
            s.fail(kUsoInvalido, QStringLiteral("--conservar necesita un archivo: la salida "
                                                "estándar no tiene nada que conservar"));
        const QFileInfo existing(path);
        if (!existing.isFile() || existing.size() == 0) return std::nullopt;
        return s.readImageMap(path);
    }
};
}  // namespace

std::unique_ptr<Command> makeLeer() {
    return std::make_unique<Leer>();
}

}  // namespace cli
