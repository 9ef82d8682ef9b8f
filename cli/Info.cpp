#include "cli/Command.h"
#include "cli/JobOptions.h"
#include "cli/Messages.h"
#include "cli/Session.h"
#include "image/ImageMap.h"

namespace cli {

namespace {
QString sums(const image::Bytes& bytes) {
    return QStringLiteral("CRC-32 %1, suma %2")
        .arg(image::crc32(bytes), 8, 16, QLatin1Char('0'))
        .arg(image::sum16(bytes), 4, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QStringLiteral("SUMA"), QStringLiteral("suma"));
}

image::Bytes givenBytes(const image::Map& map) {
    image::Bytes bytes;
    bytes.reserve(map.size());
    map.forEach([&](std::uint64_t, std::uint8_t byte) { bytes.push_back(byte); });
    return bytes;
}

// What a job file holds, key by key.
int describeJobFile(Session& s, const QString& path) {
    auto read = job::read(path);
    if (auto* refusal = std::get_if<QString>(&read)) s.fail(kUsoInvalido, *refusal);
    for (const QString& line : describeJob(std::get<job::Job>(read))) s.print(line);
    return kCorrecto;
}

// info ARCHIVO: what an image gives, without a programmer.
class Info : public Command {
  public:
    QString name() const override { return QStringLiteral("info"); }
    int arguments() const override { return 1; }
    bool needsType() const override { return false; }
    bool touchesProgrammer() const override { return false; }
    QStringList inputs(const QStringList& arguments) const override { return arguments; }

    int execute(Session& s, const QStringList& arguments) override {
        const QString& path = arguments.constFirst();
        if (path.endsWith(QLatin1String(".trabajo"))) return describeJobFile(s, path);
        // The offset and the swap move the file's addresses; each lane is shown apart.
        image::Placement moving = s.options().placement();
        moving.lane.reset();
        const image::Map image = image::toChip(s.readImageMap(path), moving);
        s.print(s.lastFormatText());
        describe(s, image, QString());
        if (const auto lane = s.options().carril)
            for (unsigned k = 0; k < lane->n; ++k)
                describe(s, image::lane(image, k, lane->n),
                         QStringLiteral("Carril %1/%2: ").arg(k).arg(lane->n));
        return kCorrecto;
    }

  private:
    static void describe(Session& s, const image::Map& map, const QString& lane) {
        s.print(lane + map.text());
        if (map.empty()) return;
        s.print(lane + QStringLiteral("Direcciones de %1 a %2; bytes dados: %3")
                           .arg(image::hexAddressText(map.lowest()),
                                image::hexAddressText(map.highest()), sums(givenBytes(map))));
        if (!s.typeGiven()) return;
        const QString type = QString::fromLatin1(s.type().caption);
        if (map.highest() > s.type().maxdir) {
            s.print(lane + QStringLiteral("No cabe en %1: llega a %2 y su última dirección es %3")
                               .arg(type, image::hexAddressText(map.highest()),
                                    image::hexAddressText(s.type().maxdir)));
            return;
        }
        image::Bytes whole(s.memorySize(), image::kBlank);
        map.forEach([&](std::uint64_t address, std::uint8_t byte) { whole[address] = byte; });
        s.print(lane + QStringLiteral("Cabe en %1; la memoria entera, con FF en los huecos: %2")
                           .arg(type, sums(whole)));
    }
};
}  // namespace

std::unique_ptr<Command> makeInfo() {
    return std::make_unique<Info>();
}

}  // namespace cli
