#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cameradisk/DiskEntry.h"

namespace scanora {

// The notes an image carries in its header block: the capture notes line the program generated
// when the image was taken, and the user's own notes after it. The header keeps them as a length
// byte at 256 and the text from 257: capture notes, "\r", user notes.
class ImageNotes {
public:
    static constexpr std::size_t kLengthOffset = 256;
    static constexpr std::size_t kTextOffset = 257;
    static constexpr std::size_t kTextArea = DiskEntry::kHeaderBytes - kTextOffset;  // 255
    static constexpr std::size_t kMaxLength = 255;
    // Capture notes, separator and user notes together never exceed 255.
    static constexpr std::size_t kMaxNotes = 254;

    ImageNotes() = default;
    ImageNotes(std::string captureNotes, std::string userNotes);

    // Splits the notes of a header block: the capture notes run to the first "\r", the user
    // notes from there to the length byte. Without a "\r" everything is capture notes.
    [[nodiscard]] static ImageNotes FromHeader(
        std::span<const std::uint8_t, DiskEntry::kHeaderBytes> header);

    [[nodiscard]] const std::string& CaptureNotes() const { return capture_; }
    [[nodiscard]] const std::string& UserNotes() const { return user_; }
    // How many characters of user notes the capture notes leave room for.
    [[nodiscard]] std::size_t UserNotesLimit() const;
    // Replaces the user notes, cut to UserNotesLimit(). False when they had to be cut.
    bool SetUserNotes(std::string_view notes);

    // Rebuilds the notes area of `header`: capture notes, "\r", user notes, blanks to the end
    // of the block, and the length byte min(255, capture + user + 1). Nothing else is touched.
    void WriteTo(std::span<std::uint8_t, DiskEntry::kHeaderBytes> header) const;

    // The fields of the capture notes line: the text up to each "," (the blank after it
    // skipped), the last one to the end of the line.
    [[nodiscard]] std::vector<std::string> CaptureFields() const;

private:
    std::string capture_;
    std::string user_;
};

}  // namespace scanora
