#include "cli/ProgressDisplay.h"

#include <QIODevice>
#include <cmath>

namespace cli {

namespace {
constexpr int kDeciles = 10;
constexpr int kLineWidth = 72;
}  // namespace

ProgressDisplay::ProgressDisplay(QIODevice& err, bool terminal, bool quiet,
                                 std::function<QString(std::uint64_t)> address, Report report)
    : err_(err),
      terminal_(terminal),
      quiet_(quiet),
      address_(std::move(address)),
      report_(std::move(report)) {
    connect(&progress_, &Progress::changed, this, &ProgressDisplay::show);
}

void ProgressDisplay::start(std::vector<Progress::Pass> passes, std::int64_t nowNs) {
    shownDecile_ = -1;
    progress_.start(std::move(passes), nowNs);
}

void ProgressDisplay::nextPass(std::int64_t nowNs) {
    progress_.nextPass(nowNs);
}

void ProgressDisplay::at(std::uint32_t address, std::int64_t nowNs) {
    progress_.at(address, nowNs);
    if (report_)
        report();
    else if (!terminal_)
        log();
}

void ProgressDisplay::report() {
    // Only a new percent or a new pass: the board is drawn by another thread.
    const QString state =
        QStringLiteral("%1 %2").arg(percent()).arg(activityName(progress_.activity()));
    if (state == reported_) return;
    reported_ = state;
    report_(percent(), activityName(progress_.activity()));
}

bool ProgressDisplay::complete(std::int64_t nowNs) {
    // A verify pass may follow: the operation ends with its last pass.
    if (!progress_.onLastPass()) return false;
    progress_.finish(Progress::Outcome::Completed, nowNs);
    if (report_)
        report();
    else if (terminal_)
        show();
    else
        log();
    endLine();
    return true;
}

void ProgressDisplay::finish(Progress::Outcome outcome, std::int64_t nowNs) {
    progress_.finish(outcome, nowNs);
}

QString ProgressDisplay::place() const {
    return QStringLiteral("%1 dirección %2")
        .arg(activityName(progress_.activity()),
             address_(static_cast<std::uint64_t>(progress_.current())));
}

int ProgressDisplay::percent() const {
    return static_cast<int>(std::floor(progress_.fraction() * 100));
}

void ProgressDisplay::log() {
    if (quiet_) return;
    const int now = percent();
    if (now / kDeciles <= shownDecile_) return;
    shownDecile_ = now / kDeciles;
    err_.write(QStringLiteral("%1: %2 %\n").arg(place()).arg(now).toUtf8());
}

void ProgressDisplay::show() {
    if (quiet_ || !progress_.shown() || !terminal_ || report_) return;
    const auto remaining = progress_.remainingNs();
    const QString line = QStringLiteral("%1  %2 %  %3  quedan %4")
                             .arg(place())
                             .arg(percent(), 3)
                             .arg(formatDuration(progress_.elapsedNs()),
                                  remaining             ? formatDuration(*remaining)
                                  : progress_.running() ? QStringLiteral("--:--")
                                                        : formatDuration(0));
    err_.write((u'\r' + line.leftJustified(kLineWidth) + u' ').toUtf8());
    lineOpen_ = true;
}

void ProgressDisplay::endLine() {
    if (!lineOpen_) return;
    err_.write("\n");
    lineOpen_ = false;
}

}  // namespace cli
