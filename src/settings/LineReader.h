#pragma once

#include <cstddef>
#include <string_view>

namespace scanora {

// Hands out the lines of a settings text held in memory, one at a time. A line ends at a line
// feed; a carriage return just before it belongs to the line end (files are written with CR LF),
// so the reader sees the same lines for CR LF and lone LF files. The text must outlive the reader
// and every line it hands out.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // The next line, without its line end. False at the end of the text; a last line without a
    // line end is still a line.
    bool ReadLine(std::string_view& line);

    [[nodiscard]] bool AtEnd() const { return position_ >= text_.size(); }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace scanora
