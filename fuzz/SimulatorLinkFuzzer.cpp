// Feeds arbitrary transfers to the simulated camera from the host's side of both links: the
// camera's block and CDB decoders must refuse what they do not understand without reading or
// writing outside the buffers they were given.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "camsim/SimCamera.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    camsim::SimConfig config;
    config.speed = 0;
    config.link = (data[0] & 1) ? camsim::SimLink::Scsi : camsim::SimLink::Usb;
    camsim::SimCamera camera(config);

    // Each step: an operation byte, a length byte, then that many bytes of payload.
    std::size_t at = 1;
    std::vector<std::uint8_t> buffer;
    while (at + 2 <= size) {
        const std::uint8_t op = data[at];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const std::uint8_t* payload = data + at + 2;
        at += 2 + length;
        const std::size_t room = (op >> 2) * 64u;  // a read of up to 4 KiB
        buffer.assign(room, 0);
        std::size_t transferred = 0;
        switch (op & 3) {
        case 0: camera.UsbBulkOut(payload, length); break;
        case 1: camera.UsbBulkIn(buffer.data(), buffer.size()); break;
        case 2:
            camera.ScsiCommand(payload, std::min<std::size_t>(length, 16), true, buffer.data(),
                               buffer.size(), transferred);
            break;
        default: {
            std::vector<std::uint8_t> out(payload, payload + length);
            camera.ScsiCommand(payload, std::min<std::size_t>(length, 10), false, out.data(),
                               out.size(), transferred);
        }
        }
    }
    return 0;
}
