#include "camsim/CameraModel.h"

#include <array>

namespace camsim {

const CameraModel& CameraModel::ForCode(int code)
{
    static constexpr std::array<CameraModel, 8> kModels{{
        {0, "No Camera", "Scan Back", 6000, 8000, 1200},
        {1, "Model Dogwood Plus", "Dogwood Plus", 10200, 13600, 700},
        {2, "Orbiscan", "Orbiscan", 6000, 8000, 1200},
        {3, "Model Arden", "Arden", 6000, 8000, 1200},
        {4, "Model Birch Plus", "Birch Plus", 6000, 8000, 1200},
        {5, "Model Birch", "Birch", 6000, 8000, 1200},
        {6, "Model Cedar", "Cedar", 8000, 10660, 900},
        {7, "Model Cedar Plus", "Cedar Plus", 8000, 10660, 900},
    }};
    const bool known = code >= 1 && code < static_cast<int>(kModels.size());
    return kModels[known ? static_cast<std::size_t>(code) : 0];
}

}  // namespace camsim
