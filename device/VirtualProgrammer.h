#pragma once

#include <QPointer>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "device/Firmware.h"
#include "device/HidLibrary.h"

class Platform;

// The programmer emulated behind the HID library's calls: presence with
// notifications, the firmware, a record of every report, and faults on demand.
class VirtualProgrammer : public HidLibrary {
  public:
    static constexpr HidHandle kProgrammerHandle = 0x1001;

    struct Report {
        enum Direction { Out, In } direction;
        std::uint8_t byte;
        std::int64_t timeNs;
    };

    explicit VirtualProgrammer(Platform& platform, bool attached = true);

    int Connect(QObject* window) override;
    HidHandle GetHandle(int vendorId, int productId) override;
    bool Write(HidHandle handle, const std::uint8_t* report) override;
    bool Read(HidHandle handle, std::uint8_t* report) override;
    int GetVendorID(HidHandle handle) override;
    int GetProductID(HidHandle handle) override;

    // Presence. Plugging in powers the firmware up afresh.
    void plug();
    void unplug();
    bool attached() const { return attached_; }
    // Whether Connect reports an already attached programmer.
    void setAnnounceAtConnect(bool announce) { announceAtConnect_ = announce; }
    HidHandle plugOther(int vendorId, int productId);
    void unplugOther(HidHandle handle);

    Firmware& firmware() { return firmware_; }

    // Faults.
    // The programmer goes away when the report with this index (counted from
    // 0 over both directions) is attempted; that report is lost.
    void unplugAtReport(std::int64_t index) { unplugAt_ = index; }
    void setNoAnswer(bool silent) { noAnswer_ = silent; }
    void setLatencyUs(int microseconds) { latencyNs_ = std::int64_t{microseconds} * 1000; }
    // A full-speed USB link: each report waits for the next free 1 ms frame
    // of a running frame clock.
    void setFullSpeedFrames(bool on) { fullSpeedFrames_ = on; }

    // Off, reports are not kept: a long session does not grow without end.
    void setRecording(bool on) { recording_ = on; }
    const std::vector<Report>& record() const { return record_; }
    std::vector<std::uint8_t> sentBytes() const;
    void clearRecord() { record_.clear(); }
    std::int64_t reportsAttempted() const { return attempts_; }

  private:
    bool deliverable(HidHandle handle);
    void waitForFrame();

    Platform& platform_;
    Firmware firmware_;
    // The window of the run that connected last; a batch outlives each chip's.
    QPointer<QObject> window_;
    bool attached_;
    bool announceAtConnect_ = true;
    bool noAnswer_ = false;
    std::int64_t latencyNs_ = 0;
    bool fullSpeedFrames_ = false;
    bool recording_ = true;
    std::int64_t lastFrameNs_ = -1;
    std::int64_t unplugAt_ = -1;
    std::int64_t attempts_ = 0;
    HidHandle nextOther_ = 0x2001;
    std::map<HidHandle, std::pair<int, int>> others_;
    std::vector<Report> record_;
};
