#include "chip/Progress.h"

#include <algorithm>

namespace {
constexpr std::int64_t kNsPerSecond = 1'000'000'000;
}

QString formatDuration(std::int64_t nanoseconds) {
    const std::int64_t seconds =
        (std::max<std::int64_t>(nanoseconds, 0) + kNsPerSecond / 2) / kNsPerSecond;
    const auto two = [](std::int64_t value) {
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    };
    const QString minutesAndSeconds = two(seconds / 60 % 60) + u':' + two(seconds % 60);
    if (seconds < 3600) return minutesAndSeconds;
    return QString::number(seconds / 3600) + u':' + minutesAndSeconds;
}

QString activityName(Progress::Activity activity) {
    switch (activity) {
        case Progress::Activity::Programando:
            return QStringLiteral("Programando");
        case Progress::Activity::Verificando:
            return QStringLiteral("Verificando");
        case Progress::Activity::VerificandoBorrado:
            return QStringLiteral("Verificando borrado");
        case Progress::Activity::Comprobando:
            return QStringLiteral("Comprobando");
        case Progress::Activity::Leyendo:
            break;
    }
    return QStringLiteral("Leyendo");
}

#include <algorithm>

void Progress::start(std::vector<Pass> passes, std::int64_t nowNs) {
    passes_ = std::move(passes);
    currentPass_ = 0;
    current_ = passes_.empty() ? 0 : passes_.front().first;
    startNs_ = lastNs_ = nowNs;
    outcome_ = Outcome::Running;
    show(nowNs);
}

void Progress::nextPass(std::int64_t nowNs) {
    if (currentPass_ + 1 >= passes_.size()) return;
    ++currentPass_;
    current_ = pass().first;
    lastNs_ = nowNs;
    show(nowNs);
}

void Progress::at(std::int64_t address, std::int64_t nowNs) {
    if (!running()) return;
    current_ = address;
    lastNs_ = nowNs;
    if (nowNs - shownNs_ >= kRepaintNs) show(nowNs);
}

void Progress::finish(Outcome outcome, std::int64_t nowNs) {
    if (!running()) return;
    outcome_ = outcome;
    lastNs_ = nowNs;
    show(nowNs);
}

void Progress::clear() {
    passes_.clear();
    emit changed();
}

void Progress::show(std::int64_t nowNs) {
    shownNs_ = nowNs;
    emit changed();
}

double Progress::doneWeight() const {
    double done = 0;
    for (std::size_t i = 0; i < currentPass_; ++i)
        done += double(passes_[i].last - passes_[i].first + 1) * passes_[i].weight;
    const std::int64_t inPass = std::clamp<std::int64_t>(current_ - first(), 0, addresses());
    return done + double(inPass) * pass().weight;
}

double Progress::totalWeight() const {
    double total = 0;
    for (const Pass& each : passes_) total += double(each.last - each.first + 1) * each.weight;
    return total;
}

double Progress::fraction() const {
    if (!shown()) return 0;
    if (outcome_ == Outcome::Completed || outcome_ == Outcome::CompletedWithErrors) return 1;
    const double total = totalWeight();
    return total > 0 ? doneWeight() / total : 0;
}

std::optional<std::int64_t> Progress::remainingNs() const {
    if (!running()) return std::nullopt;
    const double done = doneWeight();
    if (done <= 0) return std::nullopt;
    // The average over everything done so far: steady, and exact on a link
    // that paces every report alike.
    const double perWeight = double(elapsedNs()) / done;
    return static_cast<std::int64_t>(perWeight * (totalWeight() - done));
}
