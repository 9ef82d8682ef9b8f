#include "cli/Gang.h"

#include <QIODevice>

#include "cli/Command.h"
#include "cli/Messages.h"

namespace cli {

namespace {
constexpr int kNameWidth = 14;
constexpr int kTenth = 10;
}  // namespace

GangBoard::GangBoard(Streams& streams, const std::vector<QString>& names, bool quiet)
    : streams_(streams),
      live_(streams.errIsTerminal && !quiet),
      logged_(!streams.errIsTerminal && !quiet) {
    for (const QString& name : names)
        rows_.push_back({shown(name), 0, QStringLiteral("esperando")});
}

void GangBoard::progress(std::size_t row, int percent, const QString& state, bool settled) {
    const std::lock_guard lock(mutex_);
    Row& r = rows_[row];
    // Off a terminal, a line each tenth of the way, as a run of one logs.
    const bool newTenth = percent / kTenth != r.percent / kTenth || state != r.state;
    r.percent = percent;
    r.state = state;
    if (logged_ && newTenth && !settled)
        streams_.err.write(
            QStringLiteral("%1: %2 %3 %\n").arg(r.name, state).arg(percent).toUtf8());
}

void GangBoard::line(std::size_t row, const QString& text) {
    const std::lock_guard lock(mutex_);
    eraseLocked();
    QString lines;
    for (const QString& part : text.split(u'\n'))
        lines += rows_[row].name + QStringLiteral(": ") + part + u'\n';
    streams_.err.write(lines.toUtf8());
    drawLocked();
}

void GangBoard::draw() {
    const std::lock_guard lock(mutex_);
    eraseLocked();
    drawLocked();
}

void GangBoard::clear() {
    const std::lock_guard lock(mutex_);
    eraseLocked();
}

void GangBoard::eraseLocked() {
    if (drawnLines_ == 0) return;
    // Up to the board's first line, and everything below it cleared.
    streams_.err.write(QStringLiteral("\x1b[%1F\x1b[J").arg(drawnLines_).toUtf8());
    drawnLines_ = 0;
}

void GangBoard::drawLocked() {
    if (!live_) return;
    QString text;
    for (const Row& row : rows_)
        text += QStringLiteral("%1 %2 %  %3\n")
                    .arg(row.name.leftJustified(kNameWidth))
                    .arg(row.percent, 3)
                    .arg(row.state);
    streams_.err.write(text.toUtf8());
    drawnLines_ = static_cast<int>(rows_.size());
}

GangWorker::GangWorker(std::size_t row, FoundProgrammer programmer, Options options,
                       Streams& streams, const Backends& backends, std::unique_ptr<Command> command,
                       GangBoard& board)
    : row_(row),
      programmer_(std::move(programmer)),
      options_(std::move(options)),
      streams_(streams),
      backends_(backends),
      command_(std::move(command)),
      board_(board) {}

GangWorker::~GangWorker() {
    finish();
    wait();
}

void GangWorker::startRound(Options options, ChipContext context, QStringList arguments) {
    context.line = [this](const QString& text) { board_.line(row_, text); };
    context.progress = [this, json = context.progress](int percent, const QString& state) {
        if (json) json(percent, state);
        board_.progress(row_, percent, state);
    };
    context.verdictApart = true;
    board_.progress(row_, 0, QStringLiteral("esperando"), true);
    {
        const std::lock_guard lock(mutex_);
        outcome_.reset();
        round_ = Round{std::move(options), std::move(context), std::move(arguments)};
    }
    wake_.notify_one();
}

bool GangWorker::roundDone() {
    const std::lock_guard lock(mutex_);
    return outcome_.has_value();
}

ChipOutcome GangWorker::outcome() {
    const std::lock_guard lock(mutex_);
    return outcome_.value_or(ChipOutcome{});
}

void GangWorker::finish() {
    {
        const std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    wake_.notify_one();
}

void GangWorker::run() {
    // Made in this thread: the library's timers and notifications live here.
    Station station(programmer_, options_, backends_);
    for (;;) {
        Round round;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return round_.has_value() || finishing_; });
            if (!round_) return;
            round = std::move(*round_);
            round_.reset();
        }
        const ChipOutcome outcome = runChip(round.options, streams_, station,
                                            std::move(round.context), *command_, round.arguments);
        board_.progress(row_, outcome.correct() ? 100 : 0,
                        outcome.correct() ? QStringLiteral("correcta")
                                          : QStringLiteral("fallida (%1)").arg(outcome.result),
                        true);
        const std::lock_guard lock(mutex_);
        outcome_ = outcome;
    }
}

}  // namespace cli
