#pragma once

#include <optional>
#include <string>

class QWidget;

namespace scanora {

// Asks for a saved prescan to load (the Prescan command with Alt, when "PreviewPic.TIF" is not
// there); nothing when the user cancelled.
[[nodiscard]] std::optional<std::string> ChooseSavedPreview(QWidget* parent);

}  // namespace scanora
