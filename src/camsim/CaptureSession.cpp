#include "camsim/CaptureSession.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace camsim {

namespace {

constexpr double kLineTimeUnitsPerSecond = 3000.0;

}  // namespace

CaptureSession::CaptureSession(CaptureKind kind, CaptureRecipe recipe, std::uint16_t linePeriod,
                               const SimClock& clock)
    : kind_(kind),
      clock_(clock),
      renderer_(std::move(recipe)),
      sensorLines_(renderer_.Recipe().SensorLines(kind)),
      // The sensor reads a line per line period, however much of it the line integrates.
      secondsPerLine_(linePeriod / kLineTimeUnitsPerSecond),
      start_(clock.Now()),
      end_(start_)
{
    end_ = LineDone(sensorLines_ - 1);
}

SimTimePoint CaptureSession::LineDone(std::uint64_t line) const
{
    return start_ + clock_.Scaled(std::chrono::duration<double>(static_cast<double>(line + 1) *
                                                                secondsPerLine_));
}

void CaptureSession::StallAfter(std::uint16_t lines)
{
    stallLines_ = std::min<std::uint64_t>(lines, sensorLines_ > 0 ? sensorLines_ - 1 : 0);
    end_ = SimTimePoint::max();
}

std::uint64_t CaptureSession::LinesExposed(SimTimePoint moment) const
{
    if (stallLines_ && (*stallLines_ == 0 || moment >= LineDone(*stallLines_ - 1)))
        return *stallLines_;
    if (moment >= end_)
        return sensorLines_;
    // An estimate from the rate, corrected against LineDone so that both always agree.
    const double elapsed = std::chrono::duration<double>(moment - start_).count();
    const double realPerLine = secondsPerLine_ * clock_.Speed();
    auto lines = static_cast<std::uint64_t>(
        std::clamp(realPerLine > 0.0 ? std::floor(elapsed / realPerLine) : 0.0, 0.0,
                   static_cast<double>(sensorLines_)));
    while (lines < sensorLines_ && LineDone(lines) <= moment) ++lines;
    while (lines > 0 && LineDone(lines - 1) > moment) --lines;
    return lines;
}

std::uint16_t CaptureSession::LinesScanned(SimTimePoint now) const
{
    const std::uint64_t exposed = LinesExposed(aborted_ ? std::min(now, abortedAt_) : now);
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(exposed, ImageLines()));
}

void CaptureSession::Abort(SimTimePoint now)
{
    if (aborted_ || now >= end_)
        return;
    aborted_ = true;
    abortedAt_ = now;
}

void CaptureSession::ReadStream(std::span<std::uint8_t> out)
{
    const std::uint64_t lineBytes = renderer_.LineBytes();
    std::uint64_t available = sensorLines_;
    if (aborted_) {
        available = LinesExposed(abortedAt_);
    } else if (!out.empty() && lineBytes != 0) {
        const std::uint64_t lastWanted = (streamed_ + out.size() - 1) / lineBytes;
        clock_.WaitUntil(LineDone(std::min(lastWanted, sensorLines_ - 1)));
    }
    renderer_.Read(streamed_, available, out);
    streamed_ += out.size();
}

bool CaptureSession::ClosingReplyDue(SimTimePoint now) const
{
    if (closingReplyPosted_)
        return false;
    if (aborted_)
        return kind_ == CaptureKind::Prescan && !statusAsked_;
    if (now < end_)
        return false;
    return kind_ == CaptureKind::Prescan ? !statusAsked_ || lastLineReported_ : lastLineReported_;
}

}  // namespace camsim
