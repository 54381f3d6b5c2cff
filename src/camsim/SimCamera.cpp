#include "camsim/SimCamera.h"

#include <chrono>
#include <mutex>
#include <span>
#include <utility>

#include "camsim/CameraController.h"
#include "camsim/ScsiLink.h"
#include "camsim/ScsiStatus.h"
#include "camsim/UsbLink.h"

namespace camsim {

// The camera behind the facade: the controller, its two link ends and the lock that lets one
// caller at a time reach them.
class SimCameraImpl {
public:
    SimCameraImpl(SimConfig config, SimTimeSource timeSource, SimWaiter waiter)
        : controller(std::move(config), std::move(timeSource), std::move(waiter)),
          usb(controller),
          scsi(controller)
    {
    }

    [[nodiscard]] bool Serves(SimLink link) const { return controller.Config().link == link; }

    mutable std::mutex mutex;
    CameraController controller;
    UsbLink usb;
    ScsiLink scsi;
};

SimCamera::SimCamera(SimConfig config)
    : SimCamera(std::move(config), &std::chrono::steady_clock::now)
{
}

SimCamera::SimCamera(SimConfig config, SimTimeSource timeSource, SimWaiter waiter)
    : impl_(std::make_unique<SimCameraImpl>(std::move(config), std::move(timeSource),
                                            std::move(waiter)))
{
}

SimCamera::~SimCamera() = default;

int SimCamera::UsbBulkOut(const std::uint8_t* data, std::size_t size)
{
    const std::lock_guard lock(impl_->mutex);
    if (!impl_->Serves(SimLink::Usb) || (data == nullptr && size != 0))
        return -1;
    return impl_->usb.BulkOut(std::span(data, size));
}

int SimCamera::UsbBulkIn(std::uint8_t* buffer, std::size_t capacity)
{
    const std::lock_guard lock(impl_->mutex);
    if (!impl_->Serves(SimLink::Usb) || (buffer == nullptr && capacity != 0))
        return -1;
    return impl_->usb.BulkIn(std::span(buffer, capacity));
}

int SimCamera::ScsiCommand(const std::uint8_t* cdb, std::size_t cdbLength, bool dataIn,
                           std::uint8_t* data, std::size_t length, std::size_t& transferred)
{
    transferred = 0;
    const std::lock_guard lock(impl_->mutex);
    if (!impl_->Serves(SimLink::Scsi))
        return ScsiStatus::kDeviceNotConnected;
    if (cdb == nullptr)
        return ScsiStatus::kGeneralFailure;
    return impl_->scsi.Execute(std::span(cdb, cdbLength), dataIn, data, length, transferred);
}

const SimConfig& SimCamera::Config() const
{
    return impl_->controller.Config();
}

bool SimCamera::LinkDead() const
{
    const std::lock_guard lock(impl_->mutex);
    return impl_->controller.IsLinkDead();
}

void SimCamera::Unplug()
{
    const std::lock_guard lock(impl_->mutex);
    impl_->controller.Unplug();
}

void SimCamera::Plug()
{
    const std::lock_guard lock(impl_->mutex);
    impl_->controller.Plug();
}

bool SimCamera::Unplugged() const
{
    const std::lock_guard lock(impl_->mutex);
    return impl_->controller.IsUnplugged();
}

std::string SimCamera::DiskError() const
{
    const std::lock_guard lock(impl_->mutex);
    return impl_->controller.State().Disk().StoreError();
}

std::vector<std::string> SimCamera::ReceivedCommands() const
{
    const std::lock_guard lock(impl_->mutex);
    return impl_->controller.ReceivedCommands();
}

std::optional<CaptureRecipe> SimCamera::LastCaptureRecipe() const
{
    const std::lock_guard lock(impl_->mutex);
    const CaptureSession* capture = impl_->controller.State().Capture().LastCapture();
    return capture ? std::optional<CaptureRecipe>(capture->Recipe()) : std::nullopt;
}

std::optional<RecordedImage> SimCamera::DiskImage(std::uint8_t block) const
{
    const std::lock_guard lock(impl_->mutex);
    const RecordedImage* image = impl_->controller.State().Disk().Image(block);
    return image ? std::optional<RecordedImage>(*image) : std::nullopt;
}

}  // namespace camsim
