#include "platform/SimulatorLink.h"

#include "camsim/SimCamera.h"
#include "platform/LinkError.h"

namespace scanora {

namespace {

constexpr const char* kSimulatorName = "simulator";

class SimulatorBulkDevice final : public BulkDevice {
public:
    explicit SimulatorBulkDevice(camsim::SimCamera& camera) : camera_(camera) {}

    int BulkWrite(std::span<const std::uint8_t> data) override
    {
        return camera_.UsbBulkOut(data.data(), data.size());
    }
    int BulkRead(std::span<std::uint8_t> buffer) override
    {
        return camera_.UsbBulkIn(buffer.data(), buffer.size());
    }
    [[nodiscard]] bool IsGone() const override { return camera_.Unplugged(); }

private:
    camsim::SimCamera& camera_;
};

class SimulatorUsbFinder final : public BulkDeviceFinder {
public:
    explicit SimulatorUsbFinder(camsim::SimCamera& camera) : camera_(camera) {}

    std::unique_ptr<BulkDevice> Open(DeviceError& why) override
    {
        why = {};
        if (camera_.Unplugged()) {
            why = {DeviceError::Kind::NotPresent, "the simulated camera is unplugged"};
            return nullptr;
        }
        return std::make_unique<SimulatorBulkDevice>(camera_);
    }

private:
    camsim::SimCamera& camera_;
};

class SimulatorScsiDevice final : public ScsiDevice {
public:
    explicit SimulatorScsiDevice(camsim::SimCamera& camera) : camera_(camera) {}

    ScsiResult Execute(const ScsiRequest& request) override
    {
        std::size_t transferred = 0;
        const int failure =
            camera_.ScsiCommand(request.cdb.data(), request.cdb.size(), request.dataIn,
                                request.data, request.length, transferred);
        return {failure == 0 ? LinkError::kSuccess : LinkError::kIoDevice,
                static_cast<std::uint32_t>(transferred)};
    }

private:
    camsim::SimCamera& camera_;
};

class SimulatorScsiFinder final : public ScsiDeviceFinder {
public:
    explicit SimulatorScsiFinder(camsim::SimCamera& camera) : camera_(camera) {}

    std::vector<std::string> Candidates() override { return {kSimulatorName}; }
    std::unique_ptr<ScsiDevice> Open(const std::string& /*name*/, DeviceError& why) override
    {
        why = {};
        if (camera_.Unplugged()) {
            why = {DeviceError::Kind::NotPresent, "the simulated camera is unplugged"};
            return nullptr;
        }
        return std::make_unique<SimulatorScsiDevice>(camera_);
    }

private:
    camsim::SimCamera& camera_;
};

}  // namespace

std::unique_ptr<BulkDeviceFinder> MakeSimulatorUsbFinder(camsim::SimCamera& camera)
{
    return std::make_unique<SimulatorUsbFinder>(camera);
}

std::unique_ptr<ScsiDeviceFinder> MakeSimulatorScsiFinder(camsim::SimCamera& camera)
{
    return std::make_unique<SimulatorScsiFinder>(camera);
}

}  // namespace scanora
