#include <QStringList>
#include <algorithm>

#include "chip/Loops.h"
#include "cli/Command.h"
#include "cli/Session.h"
#include "device/CommandSet.h"
#include "device/HidLibrary.h"
#include "device/HidProbe.h"

namespace cli {

namespace {
constexpr int kRoundTrips = 200;
constexpr double kNsPerMs = 1e6;

QString ms(double nanoseconds) {
    return QStringLiteral("%1 ms").arg(nanoseconds / kNsPerMs, 0, 'f', 2);
}

QString duration(double nanoseconds) {
    return formatDuration(static_cast<std::int64_t>(nanoseconds));
}

// sondeo: what a user can learn of a real programmer without changing a chip.
class Sondeo : public Command {
  public:
    QString name() const override { return QStringLiteral("sondeo"); }
    bool needsType() const override { return false; }

    int execute(Session& s, const QStringList&) override {
        session_ = &s;
        try {
            std::unique_ptr<HidProbe> probe = s.probe();
            if (!listDevices(*probe)) return finish(s, kSinProgramador);
            chip::Access& chip = s.open();
            const std::vector<std::int64_t> trips = roundTrips(s, chip);
            const double median = double(trips[trips.size() / 2]);
            const double perReport = median / chip.comandos().readReports();
            timesPerAddress(perReport);
            backToBack(s, chip, *probe);
        } catch (const Exit& exit) {
            // What was measured before the fault is evidence too.
            finish(s, exit.code);
            throw;
        }
        return finish(s, kCorrecto);
    }

  private:
    bool listDevices(HidProbe& probe) {
        const std::vector<HidProbe::Found> found = probe.find();
        add(QStringLiteral("Programadores USB 1234:0001 encontrados: %1").arg(found.size()));
        bool opens = false;
        for (const HidProbe::Found& device : found) {
            add(QStringLiteral("  %1: %2")
                    .arg(device.path, device.opens
                                          ? QStringLiteral("se abre")
                                          : QStringLiteral("no se abre (%1)").arg(device.why)));
            opens |= device.opens;
        }
        if (found.empty()) add(QStringLiteral("Conecte el programador y vuelva a probar."));
        if (!found.empty() && !opens) add(kSinPermiso);
        return opens;
    }

    std::vector<std::int64_t> roundTrips(Session& s, chip::Access& chip) {
        std::vector<std::int64_t> trips;
        for (int i = 0; i < kRoundTrips; ++i) {
            const std::int64_t start = s.nowNs();
            chip.read(0);
            if (chip.lost()) s.conclude({chip::Outcome::End::Lost, 0});
            trips.push_back(s.nowNs() - start);
        }
        std::sort(trips.begin(), trips.end());
        add(QStringLiteral("Lectura de la dirección 0 de %1, %2 veces: mínimo %3, mediana %4, "
                           "máximo %5")
                .arg(QString::fromLatin1(s.type().caption))
                .arg(kRoundTrips)
                .arg(ms(double(trips.front())), ms(double(trips[trips.size() / 2])),
                     ms(double(trips.back()))));
        return trips;
    }

    void timesPerAddress(double perReport) {
        add(QStringLiteral("Tiempo por dirección y de la memoria completa, con %1 por informe:")
                .arg(ms(perReport)));
        for (const MemoryType& type : kMemoryTypes) {
            const double reports = type.threeAddressBytes ? 5 : 4;
            const double read = reports * perReport;
            const double write = 2 * reports * perReport + type.pauseAfterWriteMs * kNsPerMs;
            const double size = type.maxdir + 1.0;
            add(QStringLiteral("  %1  lectura %2, escritura verificada %3; memoria completa: "
                               "lectura %4, programación verificada %5")
                    .arg(QString::fromLatin1(type.caption).leftJustified(14), ms(read), ms(write),
                         duration(read * size), duration((write + read) * size)));
        }
    }

    void backToBack(Session& s, chip::Access& chip, HidProbe& probe) {
        const std::uint8_t first = chip.read(0);
        const std::uint8_t second = chip.read(1);
        if (chip.lost()) s.conclude({chip::Outcome::End::Lost, 1});
        std::vector<std::uint8_t> requests = chip.comandos().readSequence(0);
        const std::vector<std::uint8_t> next = chip.comandos().readSequence(1);
        requests.insert(requests.end(), next.begin(), next.end());
        const HidProbe::Exchange exchanged = probe.exchange(requests, 2);
        if (!exchanged.allSent) {
            // Sent past the link: the link must learn that a report failed.
            s.haltProgrammer();
            s.conclude({chip::Outcome::End::Lost, 1});
        }
        const std::vector<std::uint8_t>& answers = exchanged.answers;
        const bool both = answers == std::vector<std::uint8_t>{first, second};
        add(both ? QStringLiteral("Dos lecturas pedidas seguidas, sin esperar la primera "
                                  "respuesta: responde a las dos, en orden (guarda los pedidos).")
                 : QStringLiteral("Dos lecturas pedidas seguidas, sin esperar la primera "
                                  "respuesta: no responde a las dos (%1 respuestas); las "
                                  "transferencias no deben solaparse.")
                       .arg(answers.size()));
    }

    // Each line as it is measured, so that a fault later leaves it shown.
    void add(const QString& line) {
        report_ << line;
        session_->print(line);
    }

    int finish(Session& s, int code) {
        if (!s.options().informe.isEmpty() && !report_.isEmpty())
            s.writeOutput(s.options().informe, (report_.join(u'\n') + u'\n').toUtf8());
        return code;
    }

    Session* session_ = nullptr;
    QStringList report_;
};
}  // namespace

std::unique_ptr<Command> makeSondeo() {
    return std::make_unique<Sondeo>();
}

}  // namespace cli
