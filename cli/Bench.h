#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <vector>

#include "cli/ChipRun.h"
#include "cli/JsonEvents.h"
#include "cli/LineDatabase.h"
#include "cli/SerialCounter.h"
#include "cli/TerminalPrompt.h"

namespace cli {

class Command;
class GangBoard;
class GangWorker;

// An order on the chosen programmers: one in this thread, or a gang with a
// worker thread each; once, or chip after chip in a batch; each chip with
// its serial number and its line in the record.
class Bench {
  public:
    Bench(const Options& options, Streams& streams, const Backends& backends);
    ~Bench();
    int run(Command& command, const QStringList& arguments);

  private:
    struct Chip {
        ChipOutcome outcome;
        QString programmer;
        std::optional<std::uint64_t> serial;
    };
    std::optional<int> refuse(const Command& command, const QStringList& arguments);
    std::vector<Chip> single(Command& command, const QStringList& arguments, int sequence);
    std::vector<Chip> gangRound(const QStringList& arguments, int sequence);
    void startGang(const Command& command);
    ChipContext contextFor(int sequence, const QString& programmer);
    int runChips(Command& command, const QStringList& arguments);
    std::optional<QString> outputOverChipFile(const Command& command,
                                              const QStringList& arguments) const;
    std::optional<QString> counterClash(const Command& command, const QStringList& arguments) const;
    void tellSettled();
    std::optional<QString> reserve(std::size_t chips,
                                   std::vector<std::optional<std::uint64_t>>& serials);
    std::optional<QString> commitChip(const RecordEntry& entry, std::optional<std::uint64_t> serial,
                                      bool correct);
    Options optionsFor(const QString& programmer, int sequence) const;
    QStringList argumentsFor(const Command& command, const QStringList& arguments,
                             const QString& programmer, int sequence) const;
    void tellRound(const std::vector<Chip>& chips, int sequence);
    void tell(const QString& line);

    const Options& options_;
    Streams& streams_;
    const Backends& backends_;
    std::vector<FoundProgrammer> chosen_;
    std::unique_ptr<Station> station_;
    std::unique_ptr<GangBoard> board_;
    std::vector<std::unique_ptr<GangWorker>> workers_;
    SerialCounter counter_;
    std::unique_ptr<LineDatabase> base_;
    std::unique_ptr<JsonEvents> json_;
    // The database could not take a chip's line: the batch stops.
    std::atomic<bool> baseLost_{false};
    TerminalPrompt prompt_;
    QString batch_;
    int correct_ = 0;
    int failed_ = 0;
};

}  // namespace cli
