#include "platform/OutputStream.h"

#include <algorithm>

namespace scanora {

bool MemoryOutputStream::Write(std::span<const std::uint8_t> bytes)
{
    const std::size_t end = position_ + bytes.size();
    if (end > bytes_.size())
        bytes_.resize(end);
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ = end;
    return true;
}

bool MemoryOutputStream::Seek(std::uint64_t offset)
{
    if (offset > bytes_.size())
        return false;
    position_ = static_cast<std::size_t>(offset);
    return true;
}

}  // namespace scanora
