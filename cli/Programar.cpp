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
    QStringList inputs(const QStringList& arguments) const override { return arguments; }

    int execute(Session& s, const QStringList& arguments) override {
        // Read and checked before anything goes to the programmer.
        const image::Bytes image = s.loadImageFile(arguments.constFirst());
        s.setImageCrc(image, s.first(), s.last());
        return programWanted(
            s, [&](std::uint32_t address) { return image[address]; },
            Programming::RangeWithVerifyPass, QStringLiteral("archivo"));
    }
};
}  // namespace

std::unique_ptr<Command> makeProgramar() {
    return std::make_unique<Programar>();
}

}  // namespace cli
