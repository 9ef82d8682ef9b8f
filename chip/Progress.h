#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// How far a long operation has come and how long it has left. Fed at every
// poll of the operation frame, it decides from the clock when the line is
// worth repainting (about ten times a second) and estimates the time left
// from the rate measured so far.
// mm:ss, or h:mm:ss from an hour up.
QString formatDuration(std::int64_t nanoseconds);

class Progress : public QObject {
    Q_OBJECT
  public:
    static constexpr std::int64_t kRepaintNs = 100'000'000;

    enum class Activity { Programando, Verificando, Leyendo, VerificandoBorrado, Comprobando };
    // CompletedWithErrors: every address done, and the chip differs.
    enum class Outcome {
        Running,
        Completed,
        CompletedWithErrors,
        Interrupted,
        DeviceLost,
        Stopped
    };

    // One pass over an address range; weight is what an address costs
    // against the other passes (its reports on the link).
    struct Pass {
        Activity activity;
        std::int64_t first;
        std::int64_t last;
        double weight = 1;
    };

    // A new operation with its passes, the first one current.
    void start(std::vector<Pass> passes, std::int64_t nowNs);
    void nextPass(std::int64_t nowNs);
    // The poll at the start of an address of the current pass.
    void at(std::int64_t address, std::int64_t nowNs);
    void finish(Outcome outcome, std::int64_t nowNs);
    // Nothing to show: the operation was refused before it began its work.
    void clear();

    bool shown() const { return !passes_.empty(); }
    bool running() const { return shown() && outcome_ == Outcome::Running; }
    bool onLastPass() const { return currentPass_ + 1 >= passes_.size(); }
    Outcome outcome() const { return outcome_; }
    Activity activity() const { return pass().activity; }
    std::int64_t first() const { return pass().first; }
    std::int64_t last() const { return pass().last; }
    std::int64_t current() const { return current_; }
    // Addresses of the range, whatever the number of passes.
    std::int64_t addresses() const { return last() - first() + 1; }
    // Share of the whole operation done, 0 to 1.
    double fraction() const;
    std::int64_t elapsedNs() const { return lastNs_ - startNs_; }
    std::optional<std::int64_t> remainingNs() const;

  signals:
    void changed();

  private:
    const Pass& pass() const { return passes_[currentPass_]; }
    double doneWeight() const;
    double totalWeight() const;
    void show(std::int64_t nowNs);

    std::vector<Pass> passes_;
    std::size_t currentPass_ = 0;
    std::int64_t current_ = 0;
    std::int64_t startNs_ = 0;
    std::int64_t lastNs_ = 0;
    std::int64_t shownNs_ = 0;
    Outcome outcome_ = Outcome::Running;
};

// "Programando", "Verificando", "Leyendo".
QString activityName(Progress::Activity activity);
