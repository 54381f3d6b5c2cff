#include "camsim/CameraModel.h"

#include <array>

namespace camsim {

const CameraModel& CameraModel::ForCode(int code)
{
    static constexpr std::array<CameraModel, 8> kModels{{
        {0, "No Camera", "Scan Back", 6000, 8000, 1200, 8, -4, 1},
        {1, "Model Dogwood Plus", "Dogwood Plus", 10200, 13600, 700, 11, 0, 2},
        {2, "Orbiscan", "Orbiscan", 6000, 8000, 1200, 8, -4, 1},
        {3, "Model Arden", "Arden", 6000, 8000, 1200, 8, 3, 1},
        {4, "Model Birch Plus", "Birch Plus", 6000, 8000, 1200, 8, -4, 1},
        {5, "Model Birch", "Birch", 6000, 8000, 1200, 8, 0, 1},
        {6, "Model Cedar", "Cedar", 8000, 10660, 900, 12, 0, 1},
        {7, "Model Cedar Plus", "Cedar Plus", 8000, 10660, 900, 12, -6, 1},
    }};
    const bool known = code >= 1 && code < static_cast<int>(kModels.size());
    return kModels[known ? static_cast<std::size_t>(code) : 0];
}

}  // namespace camsim
