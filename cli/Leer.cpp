#include <QFileInfo>

#include "chip/Loops.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Session.h"

namespace cli {

namespace {
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
        if (s.mapsAddresses()) return readMapped(s, path, format);
        chip::Access& chip = s.open();
        image::Bytes memory(s.memorySize(), image::kBlank);
        s.startProgress({{Progress::Activity::Leyendo, s.first(), s.last()}});
        s.conclude(chip::readRange(chip, s.first(), s.last(),
                                   {s.atHook(), [&](std::uint32_t address, std::uint8_t byte) {
                                        memory[address] = byte;
                                    }}));
        s.setImageCrc(memory, s.first(), s.last());
        s.writeOutput(path, saveImage(format, memory, s.first(), s.last()));
        s.setVerdict(QStringLiteral("Correcto: %1 direcciones leídas en %2")
                         .arg(s.rangeSize())
                         .arg(spokenDuration(s.elapsedNs())));
        return kCorrecto;
    }

  private:
    // With a lane, an offset or a swap: the chip's bytes go to the file's
    // addresses, and a lane read into an image file keeps its other lanes.
    static int readMapped(Session& s, const QString& path, FileFormat format) {
        const QString name = pathShown(path, QStringLiteral("la salida estándar"));
        const QFileInfo existing(path);
        image::Map file;
        if (s.options().carril && path != QLatin1String("-") && existing.isFile() &&
            existing.size() > 0)
            file = s.moved(s.readImageMap(path), name);
        chip::Access& chip = s.open();
        image::Map read;
        image::Bytes memory(s.memorySize(), image::kBlank);
        s.startProgress({{Progress::Activity::Leyendo, s.first(), s.last()}});
        s.conclude(chip::readRange(chip, s.first(), s.last(),
                                   {s.atHook(), [&](std::uint32_t address, std::uint8_t byte) {
                                        memory[address] = byte;
                                        read.put(address, byte);
                                    }}));
        s.setImageCrc(memory, s.first(), s.last());
        if (const auto lane = s.options().carril)
            image::putLane(file, read, lane->k, lane->n);
        else
            file = std::move(read);
        s.writeOutput(path, saveMap(format, s.unmoved(std::move(file), name), s.memorySize()));
        s.setVerdict(QStringLiteral("Correcto: %1 leídas en %2")
                         .arg(counted(s.rangeSize(), "dirección", "direcciones"),
                              spokenDuration(s.elapsedNs())));
        return kCorrecto;
    }
};
}  // namespace

std::unique_ptr<Command> makeLeer() {
    return std::make_unique<Leer>();
}

}  // namespace cli
