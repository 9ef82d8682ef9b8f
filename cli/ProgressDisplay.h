#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "chip/Progress.h"

class QIODevice;

namespace cli {

// The progress of a run on stderr: on a terminal one line rewritten in
// place about ten times a second, in a log a plain line every tenth of the
// way, nothing with -q. A gang's worker hands its percent and state to the
// board instead.
class ProgressDisplay : public QObject {
    Q_OBJECT
  public:
    using Report = std::function<void(int percent, const QString& state)>;
    ProgressDisplay(QIODevice& err, bool terminal, bool quiet,
                    std::function<QString(std::uint64_t)> address, Report report = {});

    void start(std::vector<Progress::Pass> passes, std::int64_t nowNs);
    void nextPass(std::int64_t nowNs);
    void at(std::uint32_t address, std::int64_t nowNs);
    // The operation completed; false while another pass follows.
    bool complete(std::int64_t nowNs);
    void finish(Progress::Outcome outcome, std::int64_t nowNs);
    // Ends the line being rewritten, before any other line is written.
    void endLine();

  private:
    void show();
    void log();
    void report();
    QString place() const;
    int percent() const;

    QIODevice& err_;
    bool terminal_;
    bool quiet_;
    std::function<QString(std::uint64_t)> address_;
    Report report_;
    QString reported_;
    Progress progress_;
    int shownDecile_ = -1;
    bool lineOpen_ = false;
};

}  // namespace cli
