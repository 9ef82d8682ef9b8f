#include "device/HidapiLibrary.h"

#include <hidapi/hidapi.h>
#include <libudev.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <mutex>

namespace {
constexpr int kMaxInputReport = 64;

// hidapi is started once for all the libraries of a bench, each in its own
// thread, and ended by the last.
std::mutex hidapiUsers;
int hidapiUserCount = 0;

void startHidapi() {
    const std::lock_guard lock(hidapiUsers);
    if (hidapiUserCount++ == 0) hid_init();
}

void endHidapi() {
    const std::lock_guard lock(hidapiUsers);
    if (--hidapiUserCount == 0) hid_exit();
}
// A device that never stops sending must not hold the program here.
constexpr int kMaxDiscardedReports = 256;
}  // namespace

std::optional<HidIds> parseHidId(const char* text) {
    if (!text) return std::nullopt;
    unsigned bus = 0, vendor = 0, product = 0;
    char extra = 0;
    if (std::sscanf(text, "%x:%x:%x%c", &bus, &vendor, &product, &extra) != 3) return std::nullopt;
    if (vendor > 0xFFFF || product > 0xFFFF) return std::nullopt;
    return HidIds{static_cast<int>(vendor), static_cast<int>(product)};
}

HidapiLibrary::HidapiLibrary(std::function<void(const QString&)> tell, QString lockFolder)
    : tell_(std::move(tell)), lockFolder_(std::move(lockFolder)) {
    startHidapi();
    connect(&pollTimer_, &QTimer::timeout, this, &HidapiLibrary::rescan);
    lockTimer_.setInterval(kLockRetryMs);
    connect(&lockTimer_, &QTimer::timeout, this, &HidapiLibrary::retryBusyLock);
}

HidapiLibrary::~HidapiLibrary() {
    closeCached();
    notifier_.reset();
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
    endHidapi();
}

HidHandle HidapiLibrary::handleFor(const std::string& path, HidIds ids) {
    for (auto& [handle, known] : known_) {
        if (known.path == path) {
            known.ids = ids;
            return handle;
        }
    }
    const HidHandle handle = nextHandle_++;
    known_[handle] = {path, ids};
    return handle;
}

void HidapiLibrary::closeCached() {
    if (open_) hid_close(open_);
    open_ = nullptr;
    openHandle_ = 0;
}

int HidapiLibrary::Connect(QObject* window) {
    window_ = window;
    // Connected again for the next chip of a batch: the watch goes on.
    if (!notifier_ && !pollTimer_.isActive() && !startUdevMonitor())
        pollTimer_.start(kPollIntervalMs);
    announcePresentProgrammers();
    return 1;
}

void HidapiLibrary::announcePresentProgrammers() {
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* info = list; info; info = info->next) {
        const HidIds ids{info->vendor_id, info->product_id};
        const bool programmer =
            ids.vendorId == kProgrammerVendorId && ids.productId == kProgrammerProductId;
        arrived(info->path, ids, programmer, true);
    }
    hid_free_enumeration(list);
}

HidHandle HidapiLibrary::GetHandle(int vendorId, int productId) {
    if (open_) {
        const Known& known = known_[openHandle_];
        if (known.ids.vendorId == vendorId && known.ids.productId == productId) return openHandle_;
        closeCached();
    }
    hid_device_info* list = hid_enumerate(static_cast<unsigned short>(vendorId),
                                          static_cast<unsigned short>(productId));
    for (const hid_device_info* info = list; info; info = info->next) {
        if (otherProgrammer(info->path, {vendorId, productId})) continue;
        openCached(info->path, {vendorId, productId});
        break;
    }
    hid_free_enumeration(list);
    return openHandle_;
}

void HidapiLibrary::setNoteHandler(std::function<void(const QString&)> note) {
    note_ = std::move(note);
}

void HidapiLibrary::setNote(const QString& note) {
    if (note == noteShown_) return;
    noteShown_ = note;
    if (note_) note_(note);
}

bool HidapiLibrary::lockProgrammer(const std::string& path) {
    ExclusiveLock& lock = locks_[path];
    const QString lockPath = programmerLockPath(lockFolder_, path);
    switch (lock.take(lockPath)) {
        case ExclusiveLock::State::Taken:
            if (busyPath_ == path) busyPath_.clear();
            if (busyPath_.empty()) {
                lockTimer_.stop();
                setNote({});
            }
            return true;
        case ExclusiveLock::State::Busy:
            busyPath_ = path;
            setNote(enUsoText(lockHolderOf(lockPath)));
            lockTimer_.start();
            return false;
        case ExclusiveLock::State::Failed:
            break;
    }
    // Without its lock nobody may tell whether another program uses it.
    busyPath_ = path;
    setNote(lockFailureText(lockPath, lock.error()));
    lockTimer_.start();
    return false;
}

void HidapiLibrary::retryBusyLock() {
    if (busyPath_.empty() || !present_.count(busyPath_)) {
        busyPath_.clear();
        lockTimer_.stop();
        setNote({});
        return;
    }
    lockProgrammer(busyPath_);
}

void HidapiLibrary::openCached(const std::string& path, HidIds ids) {
    if (!lockProgrammer(path)) return;
    errno = 0;
    open_ = hid_open_path(path.c_str());
    if (open_) {
        openHandle_ = handleFor(path, ids);
        return;
    }
    if (errno == EACCES || errno == EPERM) accessDenied(path);
}

void HidapiLibrary::accessDenied(const std::string& path) {
    // Once per plug-in: departed() forgets it.
    if (!tell_ || !deniedTold_.insert(path).second) return;
    // Not from inside a transfer: the box waits for the event loop.
    QTimer::singleShot(0, this, [this] { tell_(kSinPermiso); });
}

bool HidapiLibrary::discardWaitingInput() {
    unsigned char stale[kMaxInputReport];
    for (int i = 0; i < kMaxDiscardedReports; ++i) {
        const int count = hid_read_timeout(open_, stale, sizeof stale, 0);
        if (count <= 0) return count == 0;
    }
    return false;
}

bool HidapiLibrary::Write(HidHandle handle, const std::uint8_t* report) {
    if (!open_ || handle != openHandle_) return false;
    // An answer that came after its read timed out must not be taken for the
    // answer to the next request.
    if (!discardWaitingInput() || hid_write(open_, report, kReportSize) < 0) {
        closeCached();
        return false;
    }
    return true;
}

bool HidapiLibrary::Read(HidHandle handle, std::uint8_t* report) {
    if (!open_ || handle != openHandle_) return false;
    // Unnumbered reports arrive without their id: the first byte is the payload.
    unsigned char incoming[kMaxInputReport];
    const int count = hid_read_timeout(open_, incoming, sizeof incoming, kReadTimeoutMs);
    if (count <= 0) {
        // Closing drops whatever the device may still send for this request.
        closeCached();
        return false;
    }
    report[0] = 0;
    report[1] = incoming[0];
    return true;
}

int HidapiLibrary::GetVendorID(HidHandle handle) {
    const auto it = known_.find(handle);
    return it == known_.end() ? 0 : it->second.ids.vendorId;
}

int HidapiLibrary::GetProductID(HidHandle handle) {
    const auto it = known_.find(handle);
    return it == known_.end() ? 0 : it->second.ids.productId;
}

bool HidapiLibrary::isProgrammer(HidIds ids) {
    return ids.vendorId == kProgrammerVendorId && ids.productId == kProgrammerProductId;
}

bool HidapiLibrary::otherProgrammer(const std::string& path, HidIds ids) const {
    return !chosenPath_.empty() && path != chosenPath_ && isProgrammer(ids);
}

void HidapiLibrary::announce(const std::string& path, std::intptr_t wParam, bool alreadyAttached) {
    for (const auto& [handle, known] : known_)
        if (known.path == path) postDeviceNotification(window_, wParam, handle, alreadyAttached);
}

void HidapiLibrary::tellProgrammersChanged() {
    if (!programmersChanged_) return;
    // From the event loop: the window may rebuild its menu there.
    QTimer::singleShot(0, this, [this] {
        if (programmersChanged_) programmersChanged_();
    });
}

void HidapiLibrary::setProgrammersHandler(std::function<void()> changed) {
    programmersChanged_ = std::move(changed);
}

void HidapiLibrary::letGo(const std::string& path) {
    for (const auto& [handle, known] : known_)
        if (known.path == path && handle == openHandle_) closeCached();
    locks_.erase(path);
    if (busyPath_ == path) {
        busyPath_.clear();
        lockTimer_.stop();
        setNote({});
    }
}

void HidapiLibrary::followFirstPresent() {
    if (fixedChoice_ || present_.count(chosenPath_)) return;
    std::string first;
    for (const auto& [handle, known] : known_)
        if (present_.count(known.path) && isProgrammer(known.ids) &&
            (first.empty() || known.path < first))
            first = known.path;
    if (first.empty() || first == chosenPath_) return;
    chosenPath_ = first;
    announce(first, kDevicePlugged, true);
}

void HidapiLibrary::choose(const QString& text) {
    const std::string path = text.toStdString();
    if (path == chosenPath_) return;
    const std::string old = chosenPath_;
    chosenPath_ = path;
    letGo(old);
    if (present_.count(old)) announce(old, kDeviceUnplugged, false);
    if (present_.count(path)) announce(path, kDevicePlugged, true);
    tellProgrammersChanged();
}

std::vector<FoundProgrammer> HidapiLibrary::programmers() {
    std::vector<FoundProgrammer> found;
    hid_device_info* list = hid_enumerate(kProgrammerVendorId, kProgrammerProductId);
    for (const hid_device_info* info = list; info; info = info->next) {
        FoundProgrammer programmer;
        programmer.path = QString::fromLocal8Bit(info->path);
        if (info->serial_number)
            programmer.serial = QString::fromWCharArray(info->serial_number).trimmed();
        programmer.port = usbPortOf(QStringLiteral("/sys"), programmer.path);
        programmer.opens = true;
        found.push_back(programmer);
    }
    hid_free_enumeration(list);
    std::sort(found.begin(), found.end(), [](const FoundProgrammer& a, const FoundProgrammer& b) {
        return a.path.size() != b.path.size() ? a.path.size() < b.path.size() : a.path < b.path;
    });
    return found;
}

void HidapiLibrary::arrived(const std::string& path, HidIds ids, bool announce,
                            bool alreadyAttached) {
    // The first programmer found is the one used until another is chosen.
    if (isProgrammer(ids) && chosenPath_.empty()) chosenPath_ = path;
    // Another programmer of the bench is another run's: its comings and
    // goings are no news to this one.
    if (otherProgrammer(path, ids)) announce = false;
    present_.insert(path);
    const HidHandle handle = handleFor(path, ids);
    if (announce) postDeviceNotification(window_, kDevicePlugged, handle, alreadyAttached);
    if (isProgrammer(ids)) tellProgrammersChanged();
}

void HidapiLibrary::departed(const std::string& path) {
    present_.erase(path);
    deniedTold_.erase(path);
    locks_.erase(path);
    if (busyPath_ == path) retryBusyLock();
    for (const auto& [handle, known] : known_) {
        if (known.path != path) continue;
        if (handle == openHandle_) closeCached();
        if (!otherProgrammer(path, known.ids))
            postDeviceNotification(window_, kDeviceUnplugged, handle);
        if (isProgrammer(known.ids)) {
            followFirstPresent();
            tellProgrammersChanged();
        }
        return;
    }
}

bool HidapiLibrary::startUdevMonitor() {
    udev_ = udev_new();
    if (!udev_) return false;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0)
        return false;
    notifier_ =
        std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &HidapiLibrary::readUdevMonitor);
    return true;
}

void HidapiLibrary::readUdevMonitor() {
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device) return;
    const char* action = udev_device_get_action(device);
    const char* node = udev_device_get_devnode(device);
    if (action && node) {
        const std::string path = node;
        if (std::string(action) == "add") {
            udev_device* hid =
                udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
            const auto ids =
                hid ? parseHidId(udev_device_get_property_value(hid, "HID_ID")) : std::nullopt;
            if (ids) arrived(path, *ids, true);
        } else if (std::string(action) == "remove") {
            departed(path);
        }
    }
    udev_device_unref(device);
}

void HidapiLibrary::rescan() {
    std::set<std::string> now;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* info = list; info; info = info->next) {
        now.insert(info->path);
        if (!present_.count(info->path))
            arrived(info->path, {info->vendor_id, info->product_id}, true);
    }
    hid_free_enumeration(list);
    const std::set<std::string> before = present_;
    for (const std::string& path : before)
        if (!now.count(path)) departed(path);
}
