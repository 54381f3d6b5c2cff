#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "camsim/CameraCommands.h"
#include "camsim/CameraState.h"
#include "camsim/CaptureCommands.h"
#include "camsim/CommandSet.h"
#include "camsim/DiskCommands.h"
#include "camsim/FocusCommands.h"
#include "camsim/LinkRequest.h"
#include "camsim/ReplySlot.h"
#include "camsim/SimClock.h"
#include "camsim/SimConfig.h"
#include "camsim/SimFaultPlan.h"
#include "camsim/StageCommands.h"

namespace camsim {

// The camera's control unit as both links see it: it takes command texts, keeps the one reply
// slot behind the reply-ready bit, runs the commands against the camera state, injects the
// configured faults and serves the data phases. A capture's closing reply (the late reply of
// "CLT") goes into the slot only when the slot is empty and the capture owes it (see
// CaptureSession), so it never takes the place of a reply the host asked for. Not thread-safe:
// SimCamera serialises the calls.
class CameraController {
public:
    static constexpr std::uint8_t kReplyReadyFlag = 0x10;

    CameraController(SimConfig config, SimTimeSource timeSource, SimWaiter waiter = {});
    CameraController(const CameraController&) = delete;
    CameraController& operator=(const CameraController&) = delete;

    [[nodiscard]] const SimConfig& Config() const { return config_; }
    [[nodiscard]] const CameraState& State() const { return state_; }
    // True while the link is dead: for good once a drop fault has killed it, and while the cable
    // is out (Unplug, the unplug fault). Every transfer fails meanwhile.
    [[nodiscard]] bool IsLinkDead() const;
    // True while the cable is out: the host finds no camera on the bus.
    [[nodiscard]] bool IsUnplugged() const;
    // Pulls the cable out: the command or reply under way is lost; the camera itself goes on (a
    // capture runs to its end onto the disk). With `away`, it is plugged back in that much
    // real time later.
    void Unplug(std::optional<SimDuration> away = std::nullopt);
    // Plugs the cable back in: the link starts afresh, with no reply waiting.
    void Plug();

    // One command text as it arrived, carriage return included. False when the link dies as it
    // arrives (the command is then lost).
    bool ReceiveText(std::span<const std::uint8_t> text);
    // The 6-byte reply-ready answer: bit 0x10 of the first byte while a reply waits.
    void AnswerReplyReady(std::span<std::uint8_t> out);
    // Moves the waiting reply into `out` as its text, "\r", then NULs, emptying the slot (with
    // no reply ready `out` is all NULs). Returns the bytes of text and carriage return, or
    // nothing when the transfer of this reply fails.
    std::optional<std::size_t> TakeReply(std::span<std::uint8_t> out);
    // The data phase of a read request into `out`; a line read waits for lines not yet exposed.
    // False when the camera cannot deliver it, or when the link dies during it (dropdata).
    bool ReadData(const LinkRequest& request, std::span<std::uint8_t> out);
    // The data phase of a write request. False when the camera refuses it.
    bool WriteData(const LinkRequest& request, std::span<const std::uint8_t> data);

    [[nodiscard]] const std::vector<std::string>& ReceivedCommands() const { return received_; }

private:
    [[nodiscard]] CommandOutcome Run(const std::string& command, bool wellFormed);
    // Brings the capture up to the time, then posts a due closing reply into an empty slot.
    void Service();

    SimConfig config_;
    SimClock clock_;
    CameraState state_;
    CameraCommands cameraCommands_;
    CaptureCommands captureCommands_;
    DiskCommands diskCommands_;
    FocusCommands focusCommands_;
    StageCommands stageCommands_;
    CommandSet commands_;
    SimFaultPlan faults_;
    ReplySlot reply_;
    std::vector<std::string> received_;
    std::uint64_t diskBytesRead_ = 0;  // image data the host has read from the disk in all
    bool linkDead_ = false;            // for good (drop faults)
    bool unplugged_ = false;           // until Plug, or until pluggedBackAt_
    std::optional<SimTimePoint> pluggedBackAt_;
    bool unplugFaultDone_ = false;  // the unplug fault pulls the cable once
};

}  // namespace camsim
