#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/FileDialogs.h"

class QWidget;

namespace scanora::ui {

// Asks for a file through one of the program's file dialogs; nothing when the user cancelled.
// Windows take FileDialogs::Ask; tests answer in its place.
using FileChooser =
    std::function<std::optional<std::string>(QWidget* parent, const FileDialogRequest& request)>;

}  // namespace scanora::ui
