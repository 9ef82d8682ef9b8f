#include "device/VirtualProgrammer.h"

#include <algorithm>

#include "device/Platform.h"

VirtualProgrammer::VirtualProgrammer(Platform& platform, bool attached)
    : platform_(platform), attached_(attached) {}

int VirtualProgrammer::Connect(QObject* window) {
    window_ = window;
    if (attached_ && announceAtConnect_)
        postDeviceNotification(window_, kDevicePlugged, kProgrammerHandle, true);
    return 1;
}

HidHandle VirtualProgrammer::GetHandle(int vendorId, int productId) {
    if (attached_ && vendorId == kProgrammerVendorId && productId == kProgrammerProductId)
        return kProgrammerHandle;
    return 0;
}

namespace {
constexpr std::int64_t kFrameNs = 1'000'000;
}

void VirtualProgrammer::waitForFrame() {
    const std::int64_t nextBoundary = (platform_.nowNs() / kFrameNs + 1) * kFrameNs;
    const std::int64_t frame =
        lastFrameNs_ < 0 ? nextBoundary : std::max(nextBoundary, lastFrameNs_ + kFrameNs);
    platform_.waitUntil(frame);
    lastFrameNs_ = frame;
}

bool VirtualProgrammer::deliverable(HidHandle handle) {
    if (latencyNs_ > 0) platform_.waitUntil(platform_.nowNs() + latencyNs_);
    if (fullSpeedFrames_) waitForFrame();
    if (attempts_++ == unplugAt_) unplug();
    return attached_ && handle == kProgrammerHandle;
}

bool VirtualProgrammer::Write(HidHandle handle, const std::uint8_t* report) {
    if (!deliverable(handle)) return false;
    const std::int64_t now = platform_.nowNs();
    if (recording_) record_.push_back({Report::Out, report[1], now});
    firmware_.receive(report[1], now);
    return true;
}

bool VirtualProgrammer::Read(HidHandle handle, std::uint8_t* report) {
    if (!deliverable(handle) || noAnswer_) return false;
    const auto answer = firmware_.takeAnswer();
    if (!answer) return false;
    report[0] = 0;
    report[1] = *answer;
    if (recording_) record_.push_back({Report::In, *answer, platform_.nowNs()});
    return true;
}

int VirtualProgrammer::GetVendorID(HidHandle handle) {
    if (handle == kProgrammerHandle) return kProgrammerVendorId;
    const auto it = others_.find(handle);
    return it == others_.end() ? 0 : it->second.first;
}

int VirtualProgrammer::GetProductID(HidHandle handle) {
    if (handle == kProgrammerHandle) return kProgrammerProductId;
    const auto it = others_.find(handle);
    return it == others_.end() ? 0 : it->second.second;
}

void VirtualProgrammer::plug() {
    attached_ = true;
    firmware_.powerUp();
    postDeviceNotification(window_, kDevicePlugged, kProgrammerHandle);
}

void VirtualProgrammer::unplug() {
    if (!attached_) return;
    attached_ = false;
    postDeviceNotification(window_, kDeviceUnplugged, kProgrammerHandle);
}

HidHandle VirtualProgrammer::plugOther(int vendorId, int productId) {
    const HidHandle handle = nextOther_++;
    others_[handle] = {vendorId, productId};
    postDeviceNotification(window_, kDevicePlugged, handle);
    return handle;
}

void VirtualProgrammer::unplugOther(HidHandle handle) {
    postDeviceNotification(window_, kDeviceUnplugged, handle);
}

std::vector<std::uint8_t> VirtualProgrammer::sentBytes() const {
    std::vector<std::uint8_t> bytes;
    for (const Report& report : record_)
        if (report.direction == Report::Out) bytes.push_back(report.byte);
    return bytes;
}
