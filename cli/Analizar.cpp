#include <QJsonDocument>
#include <QJsonObject>

#include "chip/DumpAnalysis.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "cli/Session.h"

namespace cli {

namespace {
const char* kindKey(chip::Finding::Kind kind) {
    switch (kind) {
        case chip::Finding::Kind::StuckBit:
            return "bits-fijos";
        case chip::Finding::Kind::AddressLine:
            return "linea-de-direccion";
        case chip::Finding::Kind::Smaller:
            return "repeticion";
        case chip::Finding::Kind::Blank:
            return "vacia";
        case chip::Finding::Kind::Zero:
            return "cero";
        case chip::Finding::Kind::Constant:
            return "constante";
        case chip::Finding::Kind::Unstable:
            break;
    }
    return "lecturas";
}

// The memory the image fills: the type's with -t, else the smallest power
// of two that holds the file's last address.
std::size_t analysedSize(Session& s, const image::Map& map) {
    if (s.typeGiven()) return s.memorySize();
    std::size_t size = 1;
    while (size <= map.highest()) size <<= 1;
    return size;
}

// analizar ARCHIVO [-t TIPO]: what the dump's bytes say about how it was
// read, with no programmer. Findings are warnings: the exit code is 0.
class Analizar : public Command {
  public:
    QString name() const override { return QStringLiteral("analizar"); }
    int arguments() const override { return 1; }
    bool needsType() const override { return false; }
    bool touchesProgrammer() const override { return false; }
    QStringList inputs(const QStringList& arguments) const override { return arguments; }

    int execute(Session& s, const QStringList& arguments) override {
        const image::Map map = s.readImageMap(arguments.value(0));
        const image::Bytes bytes = s.memoryBytes(arguments.value(0), map, analysedSize(s, map));
        const std::vector<chip::Finding> findings = chip::analyzeDump(bytes);
        for (const chip::Finding& finding : findings) show(s, finding);
        if (!s.options().json) s.print(chip::analysisSummary(findings));
        return kCorrecto;
    }

  private:
    static void show(Session& s, const chip::Finding& finding) {
        if (!s.options().json) return s.print(QStringLiteral("Aviso: ") + finding.text);
        const QJsonObject line{{"esquema", 1},
                               {"evento", "hallazgo"},
                               {"tipo", kindKey(finding.kind)},
                               {"texto", finding.text}};
        s.print(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
    }
};
}  // namespace

std::unique_ptr<Command> makeAnalizar() {
    return std::make_unique<Analizar>();
}

}  // namespace cli
