#include <QIODevice>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Session.h"

namespace cli {

namespace {
// tipos: the memory types, with their names for -t and sizes.
class Tipos : public Command {
  public:
    QString name() const override { return QStringLiteral("tipos"); }
    bool needsType() const override { return false; }
    bool touchesProgrammer() const override { return false; }

    int execute(Session& s, const QStringList&) override {
        for (const MemoryType& type : kMemoryTypes)
            s.print(QStringLiteral("%1  %2  %3 bytes")
                        .arg(typeName(type.tipo).leftJustified(7),
                             QString::fromLatin1(type.caption).leftJustified(14))
                        .arg(type.maxdir + 1));
        return kCorrecto;
    }
};
}  // namespace

std::unique_ptr<Command> makeTipos() {
    return std::make_unique<Tipos>();
}

}  // namespace cli
