#include "settings/InsertRotation.h"

namespace scanora {

std::int32_t InsertRotation::Normalise(std::int32_t code)
{
    return code >= kFromLeft && code <= kFromBottom ? code : kFromTop;
}

bool InsertRotation::TravelIsAcross(std::int32_t code)
{
    const std::int32_t normal = Normalise(code);
    return normal == kFromLeft || normal == kFromRight;
}

}  // namespace scanora
