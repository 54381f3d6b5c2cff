#include "camera/CameraModel.h"

#include <array>

namespace scanora {

namespace {

constexpr CameraModel kNoCamera{0, "No Camera", 6000, 8000, 1200, 8, -4, 12};

constexpr std::array<CameraModel, 7> kModels{{
    {1, "Model Dogwood Plus", 10200, 13600, 700, 11, 0, 9},
    {2, "Orbiscan", 6000, 8000, 1200, 8, -4, 12},
    {3, "Model Arden", 6000, 8000, 1200, 8, 3, 12},
    {4, "Model Birch Plus", 6000, 8000, 1200, 8, -4, 12},
    {5, "Model Birch", 6000, 8000, 1200, 8, 0, 12},
    {6, "Model Cedar", 8000, 10660, 900, 12, 0, 10},
    {7, "Model Cedar Plus", 8000, 10660, 900, 12, -6, 10},
}};

}  // namespace

const CameraModel& LookUpCameraModel(int code)
{
    for (const CameraModel& model : kModels) {
        if (model.code == code)
            return model;
    }
    return kNoCamera;
}

}  // namespace scanora
