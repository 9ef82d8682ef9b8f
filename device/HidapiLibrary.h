#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

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
class HidapiLibrary : public QObject, public HidLibrary {
    Q_OBJECT
  public:
    // How long Read waits for the programmer's answer.
    static constexpr int kReadTimeoutMs = 1000;
    static constexpr int kPollIntervalMs = 500;

    HidapiLibrary();
    ~HidapiLibrary() override;

    int Connect(QObject* window) override;
    HidHandle GetHandle(int vendorId, int productId) override;
    bool Write(HidHandle handle, const std::uint8_t* report) override;
    bool Read(HidHandle handle, std::uint8_t* report) override;
    int GetVendorID(HidHandle handle) override;
    int GetProductID(HidHandle handle) override;

  private:
    struct Known {
        std::string path;
        HidIds ids;
    };

    HidHandle handleFor(const std::string& path, HidIds ids);
    void closeCached();
    void arrived(const std::string& path, HidIds ids, bool announce);
    void departed(const std::string& path);
    bool startUdevMonitor();
    void readUdevMonitor();
    void announcePresentProgrammers();
    void pollEnumeration();

    QObject* window_ = nullptr;
    hid_device_* open_ = nullptr;
    HidHandle openHandle_ = 0;
    HidHandle nextHandle_ = 1;
    std::map<HidHandle, Known> known_;
    std::set<std::string> present_;
    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer pollTimer_;
};
