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
    bool takesJobImage() const override { return true; }
    QStringList inputs(const QStringList& arguments) const override { return arguments; }

    int execute(Session& s, const QStringList& arguments) override {
        const Wanted image = s.loadWanted(arguments.constFirst());
        s.setImageCrc(image.bytes, s.first(), s.last());
        s.checkSocket({});
        chip::Access& chip = s.open();
        std::vector<chip::Mismatch> mismatches;
        const auto wanted = [&](std::uint32_t address) { return image.bytes[address]; };
        s.startProgress({{Progress::Activity::Leyendo, s.first(), s.last()}});
        // Only what the image gives is compared, and the gaps with --rellenar.
        s.conclude(
            chip::verifyRange(chip, s.first(), s.last(), wanted,
                              {s.atHook(), s.comparing(wanted),
                               [&](std::uint32_t address) { return bool(image.given[address]); }},
                              mismatches));
        const std::size_t runs = image.filled ? 1 : image.map.runs().size();
        s.setVerdict(QStringLiteral("Correcto: %1 comparadas (%2) en %3")
                         .arg(counted(image.addresses, "dirección", "direcciones"),
                              counted(runs, "tramo", "tramos"), spokenDuration(s.elapsedNs())));
        return s.reportMismatches(mismatches, QStringLiteral("archivo"));
    }
};
}  // namespace

std::unique_ptr<Command> makeVerificar() {
    return std::make_unique<Verificar>();
}

}  // namespace cli
