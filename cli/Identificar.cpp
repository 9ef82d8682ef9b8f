#include "cli/Catalogues.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Session.h"

namespace cli {

namespace {
// identificar ARCHIVO [--dat CATALOGO]... [--roms CARPETA]: what the image
// is, by the catalogues of known ROMs, with no programmer. Exit 0 with a
// match, 1 with none.
class Identificar : public Command {
  public:
    QString name() const override { return QStringLiteral("identificar"); }
    int arguments() const override { return 1; }
    bool needsType() const override { return false; }
    bool touchesProgrammer() const override { return false; }
    QStringList inputs(const QStringList& arguments) const override { return arguments; }

    int execute(Session& s, const QStringList& arguments) override {
        const image::Map map = s.readImageMap(arguments.value(0));
        // With -t, the chip's whole size (gaps FF); else the file's own bytes.
        const std::size_t size = s.typeGiven() ? s.memorySize() : std::size_t(map.highest()) + 1;
        const image::Bytes bytes = s.memoryBytes(arguments.value(0), map, size);
        const std::vector<chip::RomCatalogue> catalogues = loadCatalogues(s);
        const chip::Identification found = chip::identify(bytes, catalogues, s.options().roms);
        tellIdentification(s, found, QString(), true);
        return found.matches.empty() ? kDifiere : kCorrecto;
    }
};
}  // namespace

std::unique_ptr<Command> makeIdentificar() {
    return std::make_unique<Identificar>();
}

}  // namespace cli
