#include "cameradisk/NotesExport.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "cameradisk/DiskListText.h"
#include "cameradisk/HexFieldReader.h"
#include "cameradisk/ImageNotes.h"
#include "platform/AtomicFile.h"

namespace scanora {

namespace {

// The labels of the capture notes fields after the date, in their order.
constexpr std::array<std::string_view, 10> kFieldLabels{
    "\r\n\tTime Taken: ",   "\r\n\tCapture Mode: ", "\r\n\tImage Size: ",
    "\r\n\tCrop Offsets: ", "\r\n\tResolution: ",   "\r\n\tColor Balance Setting: ",
    "\r\n\tLine Time: ",    "\r\n\tRed GAIN: ",     "\r\n\tGreen GAIN: ",
    "\r\n\tBlue GAIN: "};

// A date written with a comma ("Dec 8, 2026") is split over two fields. It is told apart from a
// date with slashes ("12/8/2026") by where the first "/" of the line from the date on lies: a
// date with slashes has one within its first characters, while in the other case the first
// "/" is far behind, in the line time.
bool DateHasComma(std::string_view fromDate)
{
    const std::size_t slash = fromDate.find('/');
    return slash != std::string_view::npos && slash > 4;
}

// The text of the capture notes line from field `index` (0-based) on.
std::string_view FromField(std::string_view line, std::size_t index)
{
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos)
            return {};
        line.remove_prefix(comma + 1);
        if (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
    }
    return line;
}

}  // namespace

std::string NotesExport::Build(std::span<const DiskEntry> selected, const std::tm& createdAt,
                               bool curvePoints)
{
    std::string text = "Scanora Image Notes Created at " + DiskListText::Time(createdAt) + " on " +
                       DiskListText::Date(createdAt);
    for (auto entry = selected.rbegin(); entry != selected.rend(); ++entry)
        AppendImage(text, *entry, curvePoints);
    return text;
}

void NotesExport::AppendImage(std::string& text, const DiskEntry& entry, bool curvePoints)
{
    const ImageNotes notes = ImageNotes::FromHeader(entry.header);
    const std::vector<std::string> fields = notes.CaptureFields();
    std::size_t next = 0;
    auto field = [&]() -> std::string_view {
        return next < fields.size() ? std::string_view(fields[next++]) : std::string_view();
    };

    text += "\r\n\r\n**************************";
    text += "\r\nFilename: ";
    text += field();
    text += "\r\nCamera Notes";
    text += "\r\n\tDate Taken: ";
    const bool dateHasComma = DateHasComma(FromField(notes.CaptureNotes(), next));
    text += field();
    if (dateHasComma) {
        text += ", ";
        text += field();
    }
    for (const std::string_view label : kFieldLabels) {
        text += label;
        text += field();
    }

    if (curvePoints) {
        const std::string_view area(
            reinterpret_cast<const char*>(entry.header.data()) + kCurveOffset,
            ImageNotes::kLengthOffset - kCurveOffset);
        // Handle count, then up to seven handles packed as x × 256 + y.
        HexFieldReader reader(area.substr(0, area.find('\0')));
        std::array<std::uint32_t, 1 + kMaxCurveHandles> values{};
        std::size_t read = 0;
        while (read < values.size()) {
            const std::optional<std::uint32_t> value = reader.Next();
            if (!value)
                break;
            values[read++] = *value;
        }
        // Only handles that were there to read are listed.
        const std::size_t handles = read == 0 ? 0 : std::min<std::size_t>(values[0], read - 1);
        text += "\r\n\tCurve Points: ";
        for (std::size_t i = 1; i <= handles; ++i) {
            const std::uint32_t packed = values[i] & 0xFFFFu;
            text += std::to_string(packed >> 8) + ", " + std::to_string(packed & 0xFFu) + "  ";
        }
    }

    text += "\r\n\r\n";
    text += "User Notes\r\n\t";
    text += notes.UserNotes();
}

bool NotesExport::Write(const std::filesystem::path& path, std::string_view text,
                        std::string& error)
{
    AtomicFile file(path);
    if (!file.Open()) {
        error = file.Error();
        return false;
    }
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    if (!file.Write(bytes) || !file.Commit()) {
        error = file.Error();
        return false;
    }
    return true;
}

}  // namespace scanora
