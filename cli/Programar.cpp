#include "cli/Command.h"
#include "cli/Programming.h"
#include "cli/Session.h"

namespace cli {

namespace {
// programar ARCHIVO: the range from a file, each byte verified.
class Programar : public Command {
  public:
    QString name() const override { return QStringLiteral("programar"); }
    int arguments() const override { return 1; }
    bool takesJobImage() const override { return true; }
    QStringList inputs(const QStringList& arguments) const override { return arguments; }

    int execute(Session& s, const QStringList& arguments) override {
        // Read and checked before anything goes to the programmer.
        Wanted image = s.loadWanted(arguments.constFirst());
        s.setImageCrc(image.bytes, s.first(), s.last());
        s.checkSocket({true, [&](std::uint32_t address) { return bool(image.given[address]); },
                       [&](std::uint32_t address) -> std::optional<std::uint8_t> {
                           return image.bytes[address];
                       }});
        // The chip's own number over the image: the check and the verify see it too.
        s.placeSerial(image);
        // Only the addresses the image gives: a gap keeps what the chip holds.
        return programWanted(
            s, [&](std::uint32_t address) { return image.bytes[address]; },
            Programming::RangeWithVerifyPass, QStringLiteral("archivo"),
            [&](std::uint32_t address) { return bool(image.given[address]); }, image.addresses,
            s.options().comprobar);
    }
};
}  // namespace

std::unique_ptr<Command> makeProgramar() {
    return std::make_unique<Programar>();
}

}  // namespace cli
