#include "camsim/TableMemory.h"

#include "camsim/CommandOutcome.h"

namespace camsim {

namespace {

constexpr unsigned kFirstNarrowSlot = 0x04;
constexpr unsigned kLastNarrowSlot = 0x06;
constexpr unsigned kFirstWideSlot = 0x08;
constexpr unsigned kLastWideSlot = 0x0B;
constexpr unsigned kLastSensorSlot = 0x03;
constexpr unsigned kScratchSensorSlot = 0x0C;

}  // namespace

unsigned TableMemory::SelectFrame(unsigned frame)
{
    if (frame >= kFrames)
        return CameraErrorCode::kValueError;
    frame_ = frame;
    return CameraErrorCode::kNone;
}

void TableMemory::LoadDefaults()
{
    calibrated_ = true;
    tables_ = LookupTables();
}

unsigned TableMemory::Load(unsigned slot)
{
    if (slot <= kLastSensorSlot || slot == kScratchSensorSlot)
        return frame_ ? CameraErrorCode::kNone : CameraErrorCode::kNotReady;
    const bool narrow = slot >= kFirstNarrowSlot && slot <= kLastNarrowSlot;
    const bool wide = slot >= kFirstWideSlot && slot <= kLastWideSlot;
    if (!narrow && !wide)
        return CameraErrorCode::kValueError;
    if (plane_.size() != LookupTables::kPlaneSize)
        return CameraErrorCode::kNotReady;
    const std::span<const std::uint8_t, LookupTables::kPlaneSize> plane(plane_.data(),
                                                                        plane_.size());
    if (narrow)
        tables_.LoadNarrow(slot - kFirstNarrowSlot, plane);
    else
        tables_.LoadWidePart(slot - kFirstWideSlot, plane);
    return CameraErrorCode::kNone;
}

bool TableMemory::ReceivePlane(std::span<const std::uint8_t> plane)
{
    if (plane.size() != LookupTables::kPlaneSize)
        return false;
    plane_.assign(plane.begin(), plane.end());
    return true;
}

}  // namespace camsim
