#include "chip/Loops.h"
#include "cli/Command.h"
#include "cli/Session.h"

namespace cli {

namespace {
// leer ARCHIVO: the range into a file, or to standard output.
class Leer : public Command {
  public:
    QString name() const override { return QStringLiteral("leer"); }
    int arguments() const override { return 1; }

    int execute(Session& s, const QStringList& arguments) override {
        const QString& path = arguments.constFirst();
        const FileFormat format = s.formatOf(path);
        chip::Access& chip = s.open();
        image::Bytes memory(s.memorySize(), image::kBlank);
        s.startProgress({{Progress::Activity::Leyendo, s.first(), s.last()}});
        s.conclude(chip::readRange(chip, s.first(), s.last(),
                                   {s.atHook(), [&](std::uint32_t address, std::uint8_t byte) {
                                        memory[address] = byte;
                                    }}));
        s.setImageCrc(memory, s.first(), s.last());
        s.writeOutput(path, saveImage(format, memory, s.first(), s.last()));
        return kCorrecto;
    }
};
}  // namespace

std::unique_ptr<Command> makeLeer() {
    return std::make_unique<Leer>();
}

}  // namespace cli
