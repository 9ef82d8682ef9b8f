#pragma once

#include <QString>
#include <QStringList>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "cli/ChipRun.h"

namespace cli {

class Command;

// The gang's lines on stderr: one per programmer (its name, percent and
// state), rewritten in place on a terminal; what a worker says goes above
// them, with the programmer's name in front.
class GangBoard {
  public:
    GangBoard(Streams& streams, const std::vector<QString>& names, bool quiet);

    // From any worker.
    // settled: a row's state between chips, not logged.
    void progress(std::size_t row, int percent, const QString& state, bool settled = false);
    void line(std::size_t row, const QString& text);
    // From the bench's thread, about ten times a second.
    void draw();
    // Takes the board off the screen before the bench writes its own lines.
    void clear();

  private:
    struct Row {
        QString name;
        int percent = 0;
        QString state;
    };
    void eraseLocked();
    void drawLocked();

    Streams& streams_;
    bool live_;
    bool logged_;
    std::mutex mutex_;
    std::vector<Row> rows_;
    int drawnLines_ = 0;
};

// A thread of its own for one programmer of a gang, for the whole run: it
// opens its programmer there and runs each round's chip on it, with the
// same loops and the same bytes as a run of one.
class GangWorker : public QThread {
  public:
    GangWorker(std::size_t row, FoundProgrammer programmer, Options options, Streams& streams,
               const Backends& backends, std::unique_ptr<Command> command, GangBoard& board);
    ~GangWorker() override;

    // From the bench's thread: a round with its chip's options, context and
    // the order's arguments, and its outcome once done.
    void startRound(Options options, ChipContext context, QStringList arguments);
    bool roundDone();
    ChipOutcome outcome();
    QString name() const { return programmer_.name(); }
    const Command& command() const { return *command_; }
    // Ends the thread once the last round is over.
    void finish();

  protected:
    void run() override;

  private:
    std::size_t row_;
    FoundProgrammer programmer_;
    Options options_;
    Streams& streams_;
    const Backends& backends_;
    std::unique_ptr<Command> command_;
    GangBoard& board_;

    struct Round {
        Options options;
        ChipContext context;
        QStringList arguments;
    };

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Round> round_;
    std::optional<ChipOutcome> outcome_;
    bool finishing_ = false;
};

}  // namespace cli
