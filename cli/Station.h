#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <variant>
#include <vector>

#include "cli/Options.h"
#include "device/ProgrammerList.h"

class HidLibrary;
class HidProbe;
class Platform;
class VirtualProgrammer;

namespace cli {

// The programmer libraries a run may use. The real one is made on demand;
// tests may lend their own clock and emulation.
struct Backends {
    // The library of the programmer at a node (empty: the first found); tell
    // is where it says why a programmer may not be opened.
    std::function<std::unique_ptr<HidLibrary>(std::function<void(const QString&)> tell,
                                              const QString& path)>
        real;
    std::function<std::unique_ptr<HidProbe>(const QString& path)> probe;
    // The programmers attached; without it, the library finds the one there is.
    std::function<std::vector<FoundProgrammer>()> list;
    Platform* platform = nullptr;
    VirtualProgrammer* emulated = nullptr;
};

// One programmer a run works on: a real one at its node, or an emulation
// with its own chip file, serial, pace and faults. It lives for a whole
// batch, so that the programmer's lock stays with the run between chips.
class Station {
  public:
    Station(FoundProgrammer found, const Options& options, const Backends& backends);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    const FoundProgrammer& found() const { return found_; }
    QString name() const { return found_.name(); }
    bool emulated() const { return options_.emulated; }
    // The emulated chip's file (--virtual=ARCHIVO), or empty.
    QString chipFile() const { return chipFile_; }
    Platform& platform() { return *platform_; }

    // The library below the link, made once; what it tells of a programmer
    // that may not be opened goes to the teller set last.
    HidLibrary& library();
    void setTeller(std::function<void(const QString&)> tell) { tell_ = std::move(tell); }
    VirtualProgrammer& emulation();
    // The next chip of a batch on an emulation without a file: a new one, as
    // it comes, with the programmer's faults as they were.
    void freshChip();
    // A chip's run left the programmer in the middle of a command: nothing
    // more goes to it in this run, whichever chip comes next.
    void setHalted() { halted_ = true; }
    bool halted() const { return halted_; }
    std::unique_ptr<HidProbe> probe();
    // Every programmer the options name, this one among them.
    std::vector<FoundProgrammer> programmers() const;

  private:
    void applyFaults(VirtualProgrammer& emulation) const;

    FoundProgrammer found_;
    const Options& options_;
    const Backends& backends_;
    int index_ = 1;
    QString chipFile_;
    std::unique_ptr<Platform> ownPlatform_;
    Platform* platform_ = nullptr;
    std::unique_ptr<HidLibrary> ownLibrary_;
    HidLibrary* library_ = nullptr;
    VirtualProgrammer* emulation_ = nullptr;
    std::function<void(const QString&)> tell_;
    bool halted_ = false;
};

// The programmers the options name: the emulated ones, or those attached.
std::vector<FoundProgrammer> programmersFor(const Options& options, const Backends& backends);
// One line of the list of programmers.
QString describeProgrammer(const FoundProgrammer& programmer);

struct Choice {
    std::vector<FoundProgrammer> chosen;
    int refusalCode = 0;
    QString refusal;
};
// The programmers a run works on: -d's, every one with --todos, else the
// only one there is (or the library's first, when none was listed).
Choice chooseProgrammers(const Options& options, const std::vector<FoundProgrammer>& found);

}  // namespace cli
