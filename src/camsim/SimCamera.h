#pragma once

// The simulated camera back, seen from the camera's side of the cable. It decodes the USB
// command blocks and SCSI command descriptor blocks itself and keeps no code in common with the
// host program, so that a mistake in the host's encoding cannot hide behind the same mistake here.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "camsim/CaptureRecipe.h"
#include "camsim/RecordedImage.h"
#include "camsim/SimClock.h"
#include "camsim/SimConfig.h"

namespace camsim {

class SimCameraImpl;

//
// It serves the link that `config.link` names; calls on the other link fail as they would with
// no camera there.
class SimCamera {
public:
    explicit SimCamera(SimConfig config);
    // The same, reading the time from `timeSource` instead of the steady clock (for tests that
    // drive the time by hand); `waiter` is how the camera waits for a moment of that time (a
    // line read waits for its lines), by default a sleep.
    SimCamera(SimConfig config, SimTimeSource timeSource, SimWaiter waiter = {});
    ~SimCamera();
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    // USB link: one bulk OUT transfer from the host. Returns the bytes taken, or -1 when the
    // transfer fails (a dead link, an injected fault).
    int UsbBulkOut(const std::uint8_t* data, std::size_t size);
    // USB link: one bulk IN transfer to the host of at most `capacity` bytes. Returns the bytes
    // delivered, or -1 when the transfer fails.
    int UsbBulkIn(std::uint8_t* buffer, std::size_t capacity);

    // SCSI link: one command descriptor block with its data phase. Returns 0 when the request
    // succeeded, otherwise a non-zero failure code; `transferred` receives the data bytes moved.
    int ScsiCommand(const std::uint8_t* cdb, std::size_t cdbLength, bool dataIn, std::uint8_t* data,
                    std::size_t length, std::size_t& transferred);

    [[nodiscard]] const SimConfig& Config() const;
    // True once the link has died (a `drop` fault): every later transfer fails, as with a cable
    // pulled out. A transfer that failed on a live link (an `xfer` fault) leaves it false.
    [[nodiscard]] bool LinkDead() const;
    // The cable pulled out and plugged back in (and the `unplug` fault's doing). While it is out
    // the host finds no camera and every transfer fails; the camera goes on with what it was
    // doing and keeps its disk. Plugged back in, the link starts afresh.
    void Unplug();
    void Plug();
    [[nodiscard]] bool Unplugged() const;
    // Why the camera cannot keep its disk in the `disk=` folder (a file of that name, a
    // read-only folder), in words; empty when it can or keeps it in memory. Such a camera should
    // not be used: what it records would be lost.
    [[nodiscard]] std::string DiskError() const;
    // Every command text received so far, without its carriage return, oldest first.
    [[nodiscard]] std::vector<std::string> ReceivedCommands() const;
    // What the last capture (since the last parameter set-up) was made of: pass it to
    // RenderPreview or RenderCapture (SceneRendering.h) for the image a correct host
    // reconstructs from it. Nothing before the first "CLT". It holds the tables as they were
    // loaded; a 16-bit scan's data on the disk is made with the linear wide table (see
    // DiskImage).
    [[nodiscard]] std::optional<CaptureRecipe> LastCaptureRecipe() const;
    // The image on the camera's disk at header block address `block`: its header block, capture
    // time and the recipe its data is made from (pass it to RenderCapture for the image a correct
    // host retrieves). Nothing when the block holds no image.
    [[nodiscard]] std::optional<RecordedImage> DiskImage(std::uint8_t block) const;

private:
    std::unique_ptr<SimCameraImpl> impl_;
};

}  // namespace camsim
