#include "camsim/CaptureRecipe.h"

#include "camsim/CameraModel.h"

namespace camsim {

bool CaptureRecipe::IsKnownFormat(std::uint16_t format)
{
    const unsigned colour = format & 0x0F;
    switch (format & 0xF0) {
    case kColour16 & 0xF0:
    case kColour8 & 0xF0: return colour == 0x0C;
    case kSingle16:
    case kSingle8: return colour >= 1 && colour <= 3;
    default: return false;
    }
}

int CaptureRecipe::ColourOffset() const
{
    const CameraModel& model = CameraModel::ForCode(geometry.model);
    return (model.maxSizeStep - geometry.sizeStep) * model.rowSpacing;
}

std::uint64_t CaptureRecipe::SensorLines(CaptureKind kind) const
{
    const std::uint64_t offsets = kind == CaptureKind::Prescan ? 2 : 4;
    return geometry.lines + offsets * static_cast<std::uint64_t>(ColourOffset());
}

}  // namespace camsim
