#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Programming.h"
#include "cli/Session.h"

namespace cli {

namespace {
constexpr std::uint32_t kLargestByte = 255;

// llenar DATO: one value into the range; without a range, the whole memory
// as "LLENAR CON" fills it.
class Llenar : public Command {
  public:
    QString name() const override { return QStringLiteral("llenar"); }
    int arguments() const override { return 1; }

    int execute(Session& s, const QStringList& arguments) override {
        const auto value = parseNumber(arguments.constFirst());
        if (!value || *value > kLargestByte)
            s.fail(kUsoInvalido, QStringLiteral("llenar: %1 no es un byte (0–255 o 0x00–0xFF)")
                                     .arg(shown(arguments.constFirst())));
        const auto dato = static_cast<std::uint8_t>(*value);
        s.setImageCrc(image::Bytes(s.memorySize(), dato), s.first(), s.last());
        s.checkSocket(
            {true, {}, [dato](std::uint32_t) -> std::optional<std::uint8_t> { return dato; }});
        return programWanted(
            s, [dato](std::uint32_t) { return dato; },
            s.rangeGiven() ? Programming::RangeWithVerifyPass : Programming::WholeFill,
            QStringLiteral("dato"));
    }
};
}  // namespace

std::unique_ptr<Command> makeLlenar() {
    return std::make_unique<Llenar>();
}

}  // namespace cli
