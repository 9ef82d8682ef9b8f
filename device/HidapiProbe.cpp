#include "device/HidapiProbe.h"

#include <hidapi/hidapi.h>

#include <cerrno>

#include "device/HidapiLibrary.h"

namespace {
constexpr int kLargestInputReport = 64;

class HidapiProbe : public HidProbe {
  public:
    explicit HidapiProbe(QString path) : path_(std::move(path)) {}

    std::vector<Found> find() override {
        std::vector<Found> found;
        hid_device_info* list = hid_enumerate(kProgrammerVendorId, kProgrammerProductId);
        for (hid_device_info* info = list; info; info = info->next) {
            Found device{QString::fromLocal8Bit(info->path), false, QString()};
            errno = 0;
            if (hid_device* opened = hid_open_path(info->path)) {
                device.opens = true;
                hid_close(opened);
            } else {
                device.why = errno == EACCES || errno == EPERM ? QStringLiteral("sin permiso")
                             : errno == EBUSY                  ? QStringLiteral("está en uso")
                             : errno == ENOENT || errno == ENODEV
                                 ? QStringLiteral("ya no está")
                                 : QStringLiteral("error del sistema %1").arg(errno);
            }
            found.push_back(device);
        }
        hid_free_enumeration(list);
        return found;
    }

    Exchange exchange(const std::vector<std::uint8_t>& bytes, int answers) override {
        Exchange got;
        hid_device* device = openChosen();
        if (!device) return got;
        for (std::uint8_t byte : bytes) {
            const unsigned char report[HidLibrary::kReportSize] = {0, byte};
            if (hid_write(device, report, sizeof report) < 0) {
                hid_close(device);
                got.allSent = false;
                return got;
            }
        }
        for (int i = 0; i < answers; ++i) {
            unsigned char incoming[kLargestInputReport];
            const int count =
                hid_read_timeout(device, incoming, sizeof incoming, HidapiLibrary::kReadTimeoutMs);
            if (count <= 0) break;
            got.answers.push_back(incoming[0]);
        }
        hid_close(device);
        return got;
    }

  private:
    hid_device* openChosen() const {
        if (!path_.isEmpty()) return hid_open_path(path_.toLocal8Bit().constData());
        hid_device_info* list = hid_enumerate(kProgrammerVendorId, kProgrammerProductId);
        hid_device* device = list ? hid_open_path(list->path) : nullptr;
        hid_free_enumeration(list);
        return device;
    }

    QString path_;
};
}  // namespace

std::unique_ptr<HidProbe> makeHidapiProbe(const QString& path) {
    return std::make_unique<HidapiProbe>(path);
}
