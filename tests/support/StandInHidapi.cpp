#include "tests/support/StandInHidapi.h"

#include <hidapi/hidapi.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <mutex>

#include "device/HidLibrary.h"

namespace stand_in {

namespace {
std::unique_ptr<Bus> theBus = std::make_unique<Bus>();
std::recursive_mutex busTurn;
std::int64_t clockNs = 0;
constexpr std::int64_t kReportNs = 1'000'000;
}  // namespace

Bus& bus() {
    return *theBus;
}

void resetBus() {
    theBus = std::make_unique<Bus>();
}

Device& Bus::add(const std::string& path, unsigned short vendorId, unsigned short productId) {
    Device& device = devices.emplace_back();
    device.path = path;
    device.vendorId = vendorId;
    device.productId = productId;
    return device;
}

Device& Bus::programmer() {
    for (Device& device : devices)
        if (device.vendorId == kProgrammerVendorId && device.productId == kProgrammerProductId)
            return device;
    return devices.front();
}

void Bus::unplug(Device& device) {
    device.present = false;
}

void Bus::plug(Device& device) {
    device.present = true;
    device.firmware.powerUp();
}

void Bus::clearRecord() {
    writes.clear();
    received.clear();
    readLengths.clear();
    readTimeouts.clear();
    opens = closes = 0;
}

namespace {
Handle* handleOf(hid_device* device) {
    return reinterpret_cast<Handle*>(device);
}

// A report from the device reaches every handle open at that moment.
void deliver(Device& device, std::uint8_t byte) {
    std::vector<unsigned char> report(static_cast<std::size_t>(bus().inputReportSize), 0);
    report[0] = byte;
    for (Handle& handle : bus().open)
        if (handle.device == &device) handle.input.push_back(report);
}
}  // namespace

void Bus::spontaneous(Device& device, std::uint8_t byte) {
    deliver(device, byte);
}

}  // namespace stand_in

using namespace stand_in;

extern "C" {

int hid_init(void) {
    return 0;
}

int hid_exit(void) {
    return 0;
}

hid_device_info* hid_enumerate(unsigned short vendorId, unsigned short productId) {
    const std::lock_guard turn(busTurn);
    hid_device_info* first = nullptr;
    hid_device_info** tail = &first;
    for (const Device& device : bus().devices) {
        if (!device.present) continue;
        if (vendorId && device.vendorId != vendorId) continue;
        if (productId && device.productId != productId) continue;
        auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
        info->path = strdup(device.path.c_str());
        info->vendor_id = device.vendorId;
        info->product_id = device.productId;
        if (!device.serial.empty()) info->serial_number = wcsdup(device.serial.c_str());
        *tail = info;
        tail = &info->next;
    }
    return first;
}

void hid_free_enumeration(hid_device_info* list) {
    while (list) {
        hid_device_info* next = list->next;
        std::free(list->path);
        std::free(list->serial_number);
        std::free(list);
        list = next;
    }
}

hid_device* hid_open_path(const char* path) {
    const std::lock_guard turn(busTurn);
    for (Device& device : bus().devices) {
        if (device.path != path || !device.present) continue;
        if (!device.permitted) {
            errno = EACCES;
            return nullptr;
        }
        ++bus().opens;
        bus().open.push_back(Handle{&device, {}});
        return reinterpret_cast<hid_device*>(&bus().open.back());
    }
    errno = ENOENT;
    return nullptr;
}

void hid_close(hid_device* device) {
    const std::lock_guard turn(busTurn);
    ++bus().closes;
    bus().open.remove_if([&](const Handle& handle) { return &handle == handleOf(device); });
}

int hid_write(hid_device* device, const unsigned char* data, size_t length) {
    // Outside the bus's turn: the programmers of a gang take their time together.
    if (const int delay = bus().writeDelayUs) ::usleep(static_cast<useconds_t>(delay));
    const std::lock_guard turn(busTurn);
    Handle* handle = handleOf(device);
    const int index = static_cast<int>(bus().writes.size());
    bus().writes.emplace_back(data, data + length);
    if (index == bus().unplugAtWrite) bus().unplug(*handle->device);
    if (!handle->device->present || index == bus().failWriteAt) return -1;
    if (length != 2 || data[0] != 0) return -1;
    bus().received.push_back(data[1]);
    handle->device->received.push_back(data[1]);
    clockNs += kReportNs;
    Firmware& firmware = handle->device->firmware;
    firmware.receive(data[1], clockNs);
    while (const auto answer = firmware.takeAnswer()) {
        if (bus().silent) continue;
        if (bus().lateAnswers > 0) {
            --bus().lateAnswers;
            bus().late.push_back(*answer);
        } else {
            if (!bus().buffersRequests)
                for (Handle& open : bus().open)
                    if (open.device == handle->device) open.input.clear();
            deliver(*handle->device, *answer);
        }
    }
    return static_cast<int>(length);
}

int hid_read_timeout(hid_device* device, unsigned char* data, size_t length, int milliseconds) {
    const std::lock_guard turn(busTurn);
    Handle* handle = handleOf(device);
    if (!handle->device->present) return -1;
    if (milliseconds != 0) {
        bus().readLengths.push_back(length);
        bus().readTimeouts.push_back(milliseconds);
        if (bus().readErrors > 0) {
            --bus().readErrors;
            return -1;
        }
    }
    if (handle->input.empty()) {
        // The wait ran out; a late answer comes in just after.
        if (milliseconds != 0)
            while (!bus().late.empty()) {
                deliver(*handle->device, bus().late.front());
                bus().late.pop_front();
            }
        return 0;
    }
    const std::vector<unsigned char> report = handle->input.front();
    handle->input.pop_front();
    const std::size_t count = std::min(length, report.size());
    std::memcpy(data, report.data(), count);
    return static_cast<int>(count);
}

}  // extern "C"
