#include "cameradisk/ImageNotes.h"

#include <algorithm>

namespace scanora {

ImageNotes::ImageNotes(std::string captureNotes, std::string userNotes)
    : capture_(std::move(captureNotes)), user_(std::move(userNotes))
{
}

ImageNotes ImageNotes::FromHeader(std::span<const std::uint8_t, DiskEntry::kHeaderBytes> header)
{
    const std::size_t length = std::min<std::size_t>(header[kLengthOffset], kTextArea);
    const auto text = header.subspan(kTextOffset, length);
    // Without a separator the whole text is capture notes.
    const auto separator = std::find(text.begin(), text.end(), '\r');
    ImageNotes notes;
    notes.capture_.assign(text.begin(), separator);
    if (separator != text.end())
        notes.user_.assign(separator + 1, text.end());
    return notes;
}

std::size_t ImageNotes::UserNotesLimit() const
{
    return capture_.size() >= kMaxNotes ? 0 : kMaxNotes - capture_.size();
}

bool ImageNotes::SetUserNotes(std::string_view notes)
{
    const std::size_t kept = std::min(notes.size(), UserNotesLimit());
    user_.assign(notes.substr(0, kept));
    return kept == notes.size();
}

void ImageNotes::WriteTo(std::span<std::uint8_t, DiskEntry::kHeaderBytes> header) const
{
    std::string text = capture_;
    text.push_back('\r');
    text += user_;
    text.resize(std::min(text.size(), kTextArea));
    const auto area = header.subspan<kTextOffset>();
    std::fill(area.begin(), area.end(), std::uint8_t{' '});
    std::copy(text.begin(), text.end(), area.begin());
    header[kLengthOffset] =
        static_cast<std::uint8_t>(std::min(kMaxLength, capture_.size() + user_.size() + 1));
}

std::vector<std::string> ImageNotes::CaptureFields() const
{
    std::vector<std::string> fields;
    std::string_view rest = capture_;
    for (;;) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            fields.emplace_back(rest);
            return fields;
        }
        fields.emplace_back(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
        if (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
    }
}

}  // namespace scanora
