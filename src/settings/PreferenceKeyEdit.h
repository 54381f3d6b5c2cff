#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scanora {

class QVCameraSetting;

// The camera setting's preferences by the keys the preferences file gives them, read and changed
// one at a time as "prefs get" and "prefs set" do. A value is taken only when the file's own
// reading of it gives it back unchanged, and the preferences dialog's number fields keep their
// ranges, refused with the dialog's own messages.
class PreferenceKeyEdit {
public:
    enum class Result { Changed, UnknownKey, OutOfRange, NotAValue };
    struct Outcome {
        Result result = Result::Changed;
        std::string message;  // why it was refused, for the user
    };

    // The preferences as the file keeps them, one key and its value per line, without the
    // section's framing, its name and its comment.
    [[nodiscard]] static std::vector<std::pair<std::string, std::string>> Lines(
        const QVCameraSetting& camera);
    // The value of `key` as the file writes it; nothing for a key the section does not have.
    [[nodiscard]] static std::optional<std::string> Get(const QVCameraSetting& camera,
                                                        std::string_view key);
    // Sets `key` to `value` (a text without its quotes where the file quotes it). Nothing
    // changes unless the result is Changed.
    static Outcome Set(QVCameraSetting& camera, std::string_view key, std::string_view value);
};

}  // namespace scanora
