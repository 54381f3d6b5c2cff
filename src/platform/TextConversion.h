#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scanora {

// Conversions between the character sets texts arrive in and the ones they leave in. The camera
// keeps names and notes in Windows-1252, as the Windows program that works it writes them; the
// program works in UTF-8. Text that reaches a terminal or a JSON document is made valid UTF-8
// first, whatever bytes it came as.
class TextConversion {
public:
    // What stands for a byte or sequence that names no character.
    static constexpr char32_t kReplacement = U'\uFFFD';
    // What stands for a character that Windows-1252 lacks, and for a control on a terminal.
    static constexpr char kStandIn = '?';

    // Windows-1252 bytes as UTF-8. The five bytes Windows-1252 leaves undefined (0x81, 0x8D,
    // 0x8F, 0x90, 0x9D) become U+FFFD.
    [[nodiscard]] static std::string FromWindows1252(std::string_view bytes);
    // Text the camera keeps (names, notes) as UTF-8: Windows-1252, unless the bytes are valid
    // UTF-8 with characters beyond ASCII. Those are names an earlier version of this program
    // stored as typed, before it wrote Windows-1252; Windows-1252 text is hardly ever valid
    // UTF-8 by chance (it would take an accented capital followed by a symbol, as in "Ã©").
    [[nodiscard]] static std::string FromCamera(std::string_view bytes);
    // UTF-8 text as Windows-1252 bytes, one per character: a character Windows-1252 lacks
    // becomes '?'. Bytes that are not UTF-8 are taken to be Windows-1252 already and kept.
    [[nodiscard]] static std::string ToWindows1252(std::string_view text);

    // `text` as valid UTF-8: each invalid sequence (a stray or missing continuation byte, an
    // overlong form, a surrogate, a value beyond U+10FFFF) becomes U+FFFD.
    [[nodiscard]] static std::string ValidUtf8(std::string_view text);
    // `text` fit for a terminal: valid UTF-8 in which every control character (C0, DEL and C1,
    // which a terminal would act on) is shown as '?'; line feeds are kept when `keepLineFeeds`.
    [[nodiscard]] static std::string ForTerminal(std::string_view text, bool keepLineFeeds = false);
    // The characters of `text` read as UTF-8 (an invalid sequence counts as one).
    [[nodiscard]] static std::size_t CharacterCount(std::string_view text);

    // True for C0 controls, DEL and C1 controls.
    [[nodiscard]] static bool IsControl(char32_t c);
    // Appends `c` to `out` in UTF-8 (U+FFFD for a value that is no character).
    static void AppendUtf8(std::string& out, char32_t c);
    // Reads the character that starts at `position` and moves `position` past it; an invalid
    // sequence reads as U+FFFD and is passed over as a whole (its maximal valid prefix, at least
    // one byte). `position` must be inside `text`.
    [[nodiscard]] static char32_t NextUtf8(std::string_view text, std::size_t& position);
};

}  // namespace scanora
