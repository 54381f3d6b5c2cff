#include "camsim/ParameterBlock.h"

#include "camsim/HexText.h"

namespace camsim {

std::optional<std::size_t> ParameterBlock::Number(std::string_view command)
{
    if (command.size() < kNameLength || command[0] != 'H' || command[1] != '0' ||
        command[2] < '0' || command[2] >= static_cast<char>('0' + kCount))
        return std::nullopt;
    return static_cast<std::size_t>(command[2] - '0');
}

std::uint8_t ParameterBlock::Checksum(std::string_view text)
{
    unsigned sum = 0;
    for (const char c : text) sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(sum);
}

std::optional<std::string_view> ParameterBlock::Body(std::string_view block)
{
    if (block.size() != kFrameLength || !Number(block))
        return std::nullopt;
    const std::optional<unsigned> checksum =
        HexText::Parse(block.substr(kTextLength), 2, HexText::Case::Upper);
    if (!checksum || *checksum != Checksum(block.substr(0, kTextLength)))
        return std::nullopt;
    return block.substr(kNameLength, kBodyLength);
}

}  // namespace camsim
