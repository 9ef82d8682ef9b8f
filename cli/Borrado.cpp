#include "chip/Loops.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Session.h"

namespace cli {

namespace {
constexpr std::uint8_t kErased = 0xFF;

// borrado: whether every byte of the range holds FF.
class Borrado : public Command {
  public:
    QString name() const override { return QStringLiteral("borrado"); }

    int execute(Session& s, const QStringList&) override {
        if (!hasErasedState(s.type().tipo))
            s.fail(kUsoInvalido, QStringLiteral("borrado: la memoria %1 no tiene estado borrado")
                                     .arg(QString::fromLatin1(s.type().caption)));
        s.checkSocket({});
        chip::Access& chip = s.open();
        std::vector<chip::Mismatch> mismatches;
        s.startProgress({{Progress::Activity::VerificandoBorrado, s.first(), s.last()}});
        s.conclude(chip::verifyRange(
            chip, s.first(), s.last(), [](std::uint32_t) { return kErased; },
            {s.atHook(), s.comparing([](std::uint32_t) { return kErased; })}, mismatches));
        s.setVerdict(QStringLiteral("Memoria Borrada: %1 direcciones valen FF (%2)")
                         .arg(s.rangeSize())
                         .arg(spokenDuration(s.elapsedNs())));
        return s.reportMismatches(mismatches, QStringLiteral("borrado"));
    }
};
}  // namespace

std::unique_ptr<Command> makeBorrado() {
    return std::make_unique<Borrado>();
}

}  // namespace cli
