#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "camsim/CaptureRecipe.h"
#include "camsim/CaptureRenderer.h"
#include "camsim/SimClock.h"

namespace camsim {

// One capture from its start ("CLT") on: its raw lines come off the sensor one per line period
// (scaled by the clock's speed), the status counts them, a prescan streams them to the host, and
// once it is over the capture owes the host its closing reply.
//
// The closing reply never races a reply the host asked for. A prescan whose host did not ask for
// the status owes it as soon as it has ended (all lines exposed, or aborted). A capture whose
// host asks for the status owes it only after the host has taken a status reply that counted
// every image line, and only once the trailing lines are exposed too; an aborted scan owes none
// ("CLA" has its own reply).
class CaptureSession {
public:
    // `linePeriod` in 1/3000 s; the capture starts now.
    CaptureSession(CaptureKind kind, CaptureRecipe recipe, std::uint16_t linePeriod,
                   const SimClock& clock);

    [[nodiscard]] CaptureKind Kind() const { return kind_; }
    [[nodiscard]] const CaptureRecipe& Recipe() const { return renderer_.Recipe(); }
    [[nodiscard]] std::uint32_t ImageLines() const { return Recipe().geometry.lines; }
    [[nodiscard]] std::uint64_t SensorLines() const { return sensorLines_; }
    // The moment raw line `line` (0-based) has been exposed.
    [[nodiscard]] SimTimePoint LineDone(std::uint64_t line) const;

    [[nodiscard]] bool IsRunning(SimTimePoint now) const { return !aborted_ && now < end_; }
    [[nodiscard]] bool IsCompleted(SimTimePoint now) const { return !aborted_ && now >= end_; }
    [[nodiscard]] bool IsAborted() const { return aborted_; }
    // Image lines scanned so far (all of them once the capture has completed).
    [[nodiscard]] std::uint16_t LinesScanned(SimTimePoint now) const;
    void Abort(SimTimePoint now);
    // The carriage stops after `lines` image lines: the count stays there and the capture never
    // completes by itself.
    void StallAfter(std::uint16_t lines);

    // The next out.size() bytes of the raw line stream, waiting until their lines are exposed.
    // Lines the capture never exposes (past its end, or after an abort) read as zeros.
    void ReadStream(std::span<std::uint8_t> out);

    void NoteStatusQuery() { statusAsked_ = true; }
    void NoteLastLineReported() { lastLineReported_ = true; }
    [[nodiscard]] bool OwesClosingReply() const { return !closingReplyPosted_; }
    [[nodiscard]] bool ClosingReplyDue(SimTimePoint now) const;
    void MarkClosingReplyPosted() { closingReplyPosted_ = true; }
    // A command came before the host read the closing reply: it is still owed.
    void MarkClosingReplyOwed() { closingReplyPosted_ = false; }
    [[nodiscard]] const std::string& ClosingReply() const { return closingReply_; }
    void SetClosingReply(std::string text) { closingReply_ = std::move(text); }

    // A scan is recorded on the disk once, when it has completed.
    [[nodiscard]] bool AwaitsRecording(SimTimePoint now) const
    {
        return kind_ == CaptureKind::Scan && !recorded_ && IsCompleted(now);
    }
    void MarkRecorded() { recorded_ = true; }

private:
    // Raw lines exposed by `moment`.
    [[nodiscard]] std::uint64_t LinesExposed(SimTimePoint moment) const;

    CaptureKind kind_;
    const SimClock& clock_;
    CaptureRenderer renderer_;
    std::uint64_t sensorLines_;
    double secondsPerLine_;  // simulated
    SimTimePoint start_;
    SimTimePoint end_;
    SimTimePoint abortedAt_{};
    bool aborted_ = false;
    std::uint64_t streamed_ = 0;  // bytes of the stream delivered so far
    bool statusAsked_ = false;
    bool lastLineReported_ = false;
    bool closingReplyPosted_ = false;
    bool recorded_ = false;
    std::optional<std::uint64_t> stallLines_;
    std::string closingReply_ = "#OK";
};

}  // namespace camsim
