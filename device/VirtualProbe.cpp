#include "device/HidProbe.h"
#include "device/VirtualProgrammer.h"

namespace {
class VirtualProbe : public HidProbe {
  public:
    explicit VirtualProbe(VirtualProgrammer& programmer) : programmer_(programmer) {}

    std::vector<Found> find() override {
        if (!programmer_.attached()) return {};
        return {{QStringLiteral("programador emulado"), true, QString()}};
    }

    Exchange exchange(const std::vector<std::uint8_t>& bytes, int answers) override {
        const HidHandle handle = VirtualProgrammer::kProgrammerHandle;
        Exchange got;
        for (std::uint8_t byte : bytes) {
            const std::uint8_t report[HidLibrary::kReportSize] = {0, byte};
            if (!programmer_.Write(handle, report)) {
                got.allSent = false;
                return got;
            }
        }
        for (int i = 0; i < answers; ++i) {
            std::uint8_t report[HidLibrary::kReportSize] = {0, 0};
            if (!programmer_.Read(handle, report)) break;
            got.answers.push_back(report[1]);
        }
        return got;
    }

  private:
    VirtualProgrammer& programmer_;
};
}  // namespace

std::unique_ptr<HidProbe> makeVirtualProbe(VirtualProgrammer& programmer) {
    return std::make_unique<VirtualProbe>(programmer);
}
