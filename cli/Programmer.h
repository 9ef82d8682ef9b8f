#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "chip/Loops.h"
#include "device/ApplicationWindow.h"

class CommandSet;
class HidLibrary;
class Link;
class Platform;

namespace cli {

// The programmer a run opens, through its library: presence, the link and
// the command set of the chosen type. It is opened only under its lock and
// gets no greeting; the start run goes out once it is open, and the exit
// run when it is closed, unless a failed report left it in the middle of a
// command.
class Programmer {
  public:
    Programmer(Platform& platform, std::uint8_t tipo);
    ~Programmer();
    Programmer(const Programmer&) = delete;
    Programmer& operator=(const Programmer&) = delete;

    // What the library tells of a programmer that may not be opened.
    std::function<void(const QString&)> teller();
    // Why there is no programmer to use (none, no permission, another
    // program holds it), or nothing once it is open.
    std::optional<QString> open(HidLibrary& hid);
    void close();

    chip::Access& access() { return *access_; }
    const Link& link() const { return *link_; }
    // A report sent to it past the link failed.
    void halt();

  private:
    Platform& platform_;
    std::uint8_t tipo_;
    HidLibrary* hid_ = nullptr;
    ApplicationWindow applicationWindow_;
    std::unique_ptr<QObject> hook_;
    std::unique_ptr<Link> link_;
    std::unique_ptr<CommandSet> comandos_;
    std::unique_ptr<chip::Access> access_;
    QString permissionText_;
    QString busyText_;
    bool opened_ = false;
};

}  // namespace cli
