#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "device/ExclusiveLock.h"
#include "device/HidLibrary.h"

struct hid_device_;
class QSocketNotifier;

struct HidIds {
    int vendorId;
    int productId;
};
// Reads udev's HID_ID property, "bus:vendor:product" in hexadecimal.
std::optional<HidIds> parseHidId(const char* text);

// The HID library over hidapi (hidraw). Plug and unplug come from a udev
// monitor on Linux, or from a timer that compares enumerations elsewhere.
// A read returns only the answer to its own request: input left waiting is
// dropped before each report goes out, and a handle whose read timed out or
// failed is closed. A programmer is opened only under its lock, which is kept
// until the library ends or the programmer goes: while another program holds
// it, nothing is opened and the library says so, and looks again each second.
class HidapiLibrary : public QObject, public HidLibrary {
    Q_OBJECT
  public:
    // How long Read waits for the programmer's answer.
    static constexpr int kReadTimeoutMs = 1000;
    static constexpr int kPollIntervalMs = 500;
    static constexpr int kLockRetryMs = 1000;

    // tell shows a text to the user; it is called from the event loop, once
    // per plug-in of a programmer that may not be opened. The locks live in
    // lockFolder.
    explicit HidapiLibrary(std::function<void(const QString&)> tell = {},
                           QString lockFolder = defaultLockFolder());
    ~HidapiLibrary() override;

    int Connect(QObject* window) override;
    HidHandle GetHandle(int vendorId, int productId) override;
    bool Write(HidHandle handle, const std::uint8_t* report) override;
    bool Read(HidHandle handle, std::uint8_t* report) override;
    int GetVendorID(HidHandle handle) override;
    int GetProductID(HidHandle handle) override;
    void setNoteHandler(std::function<void(const QString&)> note) override;

    // With several programmers attached, the one at this node is the
    // programmer and the others are left alone, whatever comes and goes.
    // Without it, the first found is used, and the next one when it goes.
    void setChosenPath(const std::string& path) {
        chosenPath_ = path;
        fixedChoice_ = !path.empty();
    }
    std::vector<FoundProgrammer> programmers() override;
    QString chosen() const override { return QString::fromStdString(chosenPath_); }
    // Another programmer, chosen by the user: the one in use is let go (its
    // lock too) as if unplugged, and the new one comes as already attached.
    void choose(const QString& path) override;
    void setProgrammersHandler(std::function<void()> changed) override;

    // Compares the attached devices with the last look and announces what
    // came and went (the fallback when udev cannot be watched).
    void rescan();

  private:
    struct Known {
        std::string path;
        HidIds ids;
    };

    HidHandle handleFor(const std::string& path, HidIds ids);
    void openCached(const std::string& path, HidIds ids);
    bool lockProgrammer(const std::string& path);
    void retryBusyLock();
    void setNote(const QString& note);
    void closeCached();
    bool discardWaitingInput();
    void accessDenied(const std::string& path);
    bool otherProgrammer(const std::string& path, HidIds ids) const;
    static bool isProgrammer(HidIds ids);
    // The first programmer present, when the chosen one is not.
    void followFirstPresent();
    void letGo(const std::string& path);
    void announce(const std::string& path, std::intptr_t wParam, bool alreadyAttached);
    void tellProgrammersChanged();
    void arrived(const std::string& path, HidIds ids, bool announce, bool alreadyAttached = false);
    void departed(const std::string& path);
    bool startUdevMonitor();
    void readUdevMonitor();
    void announcePresentProgrammers();

    // The window of the run that connected last; a batch outlives each chip's.
    QPointer<QObject> window_;
    hid_device_* open_ = nullptr;
    HidHandle openHandle_ = 0;
    HidHandle nextHandle_ = 1;
    std::map<HidHandle, Known> known_;
    std::set<std::string> present_;
    std::set<std::string> deniedTold_;
    std::function<void(const QString&)> tell_;
    std::function<void(const QString&)> note_;
    QString lockFolder_;
    std::map<std::string, ExclusiveLock> locks_;
    std::string busyPath_;
    std::string chosenPath_;
    bool fixedChoice_ = false;
    std::function<void()> programmersChanged_;
    QString noteShown_;
    QTimer lockTimer_;
    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer pollTimer_;
};
