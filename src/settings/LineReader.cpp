#include "settings/LineReader.h"

namespace scanora {

bool LineReader::ReadLine(std::string_view& line)
{
    if (AtEnd())
        return false;
    const std::size_t feed = text_.find('\n', position_);
    const std::size_t end = feed == std::string_view::npos ? text_.size() : feed;
    line = text_.substr(position_, end - position_);
    if (feed != std::string_view::npos && !line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    position_ = feed == std::string_view::npos ? text_.size() : feed + 1;
    return true;
}

}  // namespace scanora
