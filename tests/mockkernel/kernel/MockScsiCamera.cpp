#include "MockScsiCamera.h"

#include <scsi/sg.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>

#include "camsim/SimCamera.h"

namespace scanora::mockkernel {

namespace {

constexpr unsigned kSgMajor = 21;
constexpr int kSgVersion = 30536;  // what current kernels report

// The simulated camera's failure codes (see its SCSI link).
constexpr int kCameraRefused = 31;
constexpr int kCameraNotConnected = 1167;

constexpr unsigned char kCheckCondition = 0x02;  // SAM status, as in sg_io_hdr_t::status
constexpr unsigned short kDriverSense = 0x08;
constexpr std::uint8_t kSenseHardwareError = 0x04;
constexpr std::uint8_t kSenseIllegalRequest = 0x05;

}  // namespace

MockScsiCamera::MockScsiCamera(UMockdevTestbed* testbed, camsim::SimCamera& camera)
    : MockDevice(testbed), camera_(camera)
{
}

MockScsiCamera::~MockScsiCamera() = default;

std::string MockScsiCamera::AddSysfsEntry(UMockdevTestbed* testbed, int plugging,
                                          std::string& devNode)
{
    const int number = plugging - 1;
    const std::string name = "sg" + std::to_string(number);
    devNode = "/dev/" + name;
    const std::string minor = std::to_string(number);
    const std::string dev = std::to_string(kSgMajor) + ":" + minor;
    gchar* path = umockdev_testbed_add_device(
        testbed, "scsi_generic", name.c_str(), nullptr, "dev", (dev + "\n").c_str(), nullptr,
        "DEVNAME", devNode.c_str(), "MAJOR", std::to_string(kSgMajor).c_str(), "MINOR",
        minor.c_str(), nullptr);
    if (path == nullptr)
        return {};
    std::string sysfs = path;
    g_free(path);
    return sysfs;
}

void MockScsiCamera::HandleIoctl(UMockdevIoctlClient* client)
{
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    switch (umockdev_ioctl_client_get_request(client)) {
    case SG_GET_VERSION_NUM:
        if (auto* version = Resolve(arg, 0, sizeof(int))) {
            *reinterpret_cast<int*>(version->data) = kSgVersion;
            Complete(client);
        } else {
            Fail(client, EFAULT);
        }
        return;
    case SG_IO: RunCommand(client, arg); return;
    default: Fail(client, ENOTTY); return;
    }
}

void MockScsiCamera::RunCommand(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    UMockdevIoctlData* headerData = Resolve(arg, 0, sizeof(sg_io_hdr_t));
    if (headerData == nullptr) {
        Fail(client, EFAULT);
        return;
    }
    auto& header = *reinterpret_cast<sg_io_hdr_t*>(headerData->data);
    const bool dataIn = header.dxfer_direction == SG_DXFER_FROM_DEV;
    const bool dataOut = header.dxfer_direction == SG_DXFER_TO_DEV;
    if (header.interface_id != 'S' || header.cmd_len == 0 || header.cmdp == nullptr ||
        (!dataIn && !dataOut && header.dxfer_direction != SG_DXFER_NONE)) {
        Fail(client, EINVAL);  // the sg driver's answer to a malformed header
        return;
    }
    UMockdevIoctlData* cdb = Resolve(headerData, offsetof(sg_io_hdr_t, cmdp), header.cmd_len);
    std::uint8_t* data = nullptr;
    std::size_t length = 0;
    if ((dataIn || dataOut) && header.dxfer_len > 0) {
        UMockdevIoctlData* buffer =
            Resolve(headerData, offsetof(sg_io_hdr_t, dxferp), header.dxfer_len);
        if (buffer == nullptr) {
            Fail(client, EFAULT);
            return;
        }
        data = buffer->data;
        length = header.dxfer_len;
    }
    UMockdevIoctlData* sense =
        header.mx_sb_len > 0 ? Resolve(headerData, offsetof(sg_io_hdr_t, sbp), header.mx_sb_len)
                             : nullptr;
    if (cdb == nullptr) {
        Fail(client, EFAULT);
        return;
    }

    std::size_t transferred = 0;
    const int failure =
        camera_.ScsiCommand(cdb->data, header.cmd_len, dataIn, data, length, transferred);
    if (failure == kCameraNotConnected || camera_.LinkDead()) {
        VanishAfterThisCall();
        Fail(client, ENODEV);
        return;
    }
    header.status = 0;
    header.masked_status = 0;
    header.host_status = 0;
    header.driver_status = 0;
    header.sb_len_wr = 0;
    header.resid = static_cast<int>(length - std::min(transferred, length));
    header.duration = 1;
    header.info = 0;
    if (failure != 0) {
        header.status = kCheckCondition;
        header.masked_status = kCheckCondition >> 1;
        header.driver_status = kDriverSense;
        header.info = SG_INFO_CHECK;
        if (sense != nullptr) {
            std::array<std::uint8_t, 18> fixed{};
            fixed[0] = 0x70;  // current error, fixed format
            fixed[2] = failure == kCameraRefused ? kSenseIllegalRequest : kSenseHardwareError;
            fixed[7] = static_cast<std::uint8_t>(fixed.size() - 8);
            const std::size_t count = std::min<std::size_t>(fixed.size(), header.mx_sb_len);
            std::copy_n(fixed.begin(), count, sense->data);
            header.sb_len_wr = static_cast<unsigned char>(count);
        }
    }
    Complete(client);
}

}  // namespace scanora::mockkernel
