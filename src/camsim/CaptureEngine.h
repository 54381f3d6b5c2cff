#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "camsim/CameraModel.h"
#include "camsim/CaptureSession.h"
#include "camsim/CaptureSetup.h"
#include "camsim/RecordedImage.h"
#include "camsim/SimClock.h"
#include "camsim/SimDisk.h"
#include "camsim/TableMemory.h"

namespace camsim {

// The camera's capture side: the set-up the host uploads, the table memory, the capture that
// runs after "CLT" and the recording of a scan on the disk (16-bit scans are recorded through the
// linear wide table, whatever wide table was loaded: see Start). The set-up steps return a
// CameraErrorCode and are refused (kBusy) while a capture runs. Time moves on its own: Advance
// brings the camera up to the clock (a scan that has completed is recorded), and every link
// operation calls it first.
class CaptureEngine {
public:
    CaptureEngine(const CameraModel& model, const SimClock& clock, SimDisk& disk);

    // "H00".."H03": a parameter block as the command text brought it. An accepted H00 starts a
    // new set-up and forgets the last capture.
    [[nodiscard]] unsigned ReceiveBlock(std::string_view block);
    [[nodiscard]] unsigned SelectFrame(unsigned frame);  // "CFR"
    [[nodiscard]] unsigned LoadDefaults();               // "CLD"
    [[nodiscard]] unsigned LoadTable(unsigned slot);     // "CLL"
    // The data of a table write; false when the camera refuses it.
    [[nodiscard]] bool ReceivePlane(std::span<const std::uint8_t> plane);
    [[nodiscard]] unsigned Begin();                              // "CLB"
    [[nodiscard]] unsigned SetExposureTime(std::uint16_t time);  // "EE"
    // "CLP": a scan must find room on the disk (kDiskFull otherwise).
    [[nodiscard]] unsigned Prepare();
    // "CLT": starts the capture that the set-up describes.
    [[nodiscard]] unsigned Start();
    // "CLA": stops a running capture.
    void Abort();
    // The stall:LINES fault: every scan from now on stops counting after `lines` lines and
    // never ends by itself.
    void StallScansAfter(std::uint16_t lines) { stallAfter_ = lines; }

    void Advance();
    [[nodiscard]] bool IsBusy() const;
    [[nodiscard]] std::uint16_t LinesScanned() const;
    // The data of a line read: the running prescan's stream, zeros when none runs.
    void ReadLines(std::span<std::uint8_t> out);

    // The status query during a capture: it makes the closing reply wait for a status reply
    // that counts the last line. Returns true when this reply counts it.
    bool NoteStatusQuery();
    void NoteLastLineReported();
    // The closing reply when it is due now; taking it marks it posted.
    // The closing reply was posted but a new command emptied the slot before the host read
    // it: it is posted again when the slot is free.
    void ClosingReplyCleared();
    std::optional<std::string> TakeDueClosingReply();

    // The last capture started since the last set-up, if any.
    [[nodiscard]] const CaptureSession* LastCapture() const
    {
        return session_ ? &*session_ : nullptr;
    }
    [[nodiscard]] const TableMemory& Tables() const { return tables_; }

private:
    [[nodiscard]] CaptureRecipe RecipeOfSetup() const;

    const SimClock& clock_;
    SimDisk& disk_;
    CaptureSetup setup_;
    TableMemory tables_;
    std::optional<CaptureSession> session_;
    std::optional<RecordedImage> recording_;  // what a running scan will record
    std::optional<std::uint16_t> stallAfter_;
};

}  // namespace camsim
