#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Session.h"

namespace cli {

namespace {
// dispositivos: every programmer found, and whether each may be used now.
class Dispositivos : public Command {
  public:
    QString name() const override { return QStringLiteral("dispositivos"); }
    bool needsType() const override { return false; }
    bool touchesProgrammer() const override { return false; }

    int execute(Session& s, const QStringList&) override {
        const std::vector<FoundProgrammer> found = s.station().programmers();
        if (found.empty()) s.fail(kSinProgramador, kNoHayProgramador);
        s.print(QStringLiteral("%1:").arg(
            counted(found.size(), "programador encontrado", "programadores encontrados")));
        for (const FoundProgrammer& programmer : found) s.print(describeProgrammer(programmer));
        return kCorrecto;
    }
};
}  // namespace

std::unique_ptr<Command> makeDispositivos() {
    return std::make_unique<Dispositivos>();
}

}  // namespace cli
