#include "output/TiffInput.h"

#include <algorithm>

namespace scanora {

bool MemoryTiffInput::Read(std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
        return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
}

}  // namespace scanora
