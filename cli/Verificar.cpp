#include "chip/Loops.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Session.h"

namespace cli {

namespace {
// verificar ARCHIVO: the range read and compared with a file.
class Verificar : public Command {
  public:
    QString name() const override { return QStringLiteral("verificar"); }
    int arguments() const override { return 1; }
    QStringList inputs(const QStringList& arguments) const override { return arguments; }

    int execute(Session& s, const QStringList& arguments) override {
        const image::Bytes wanted = s.loadImageFile(arguments.constFirst());
        s.setImageCrc(wanted, s.first(), s.last());
        chip::Access& chip = s.open();
        std::vector<chip::Mismatch> mismatches;
        s.startProgress({{Progress::Activity::Leyendo, s.first(), s.last()}});
        s.conclude(chip::verifyRange(
            chip, s.first(), s.last(), [&](std::uint32_t address) { return wanted[address]; },
            {s.atHook(), s.comparing([&](std::uint32_t address) { return wanted[address]; })},
            mismatches));
        s.setVerdict(QStringLiteral("Correcto: %1 direcciones comparadas en %2")
                         .arg(s.rangeSize())
                         .arg(spokenDuration(s.elapsedNs())));
        return s.reportMismatches(mismatches, QStringLiteral("archivo"));
    }
};
}  // namespace

std::unique_ptr<Command> makeVerificar() {
    return std::make_unique<Verificar>();
}

}  // namespace cli
