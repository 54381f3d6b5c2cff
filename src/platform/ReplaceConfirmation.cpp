#include "platform/ReplaceConfirmation.h"

#include "platform/AtomicFile.h"
#include "platform/UiPort.h"

namespace scanora {

std::string ReplaceConfirmation::Question(const std::filesystem::path& path)
{
    return path.string() + " already exists.\nDo you want to replace it?";
}

bool ReplaceConfirmation::Confirm(UiPort& ui, const std::filesystem::path& path)
{
    return !AtomicFile::WouldReplace(path) ||
           ui.ShowMessage(Question(path), MessageIcon::Exclamation, MessageButtons::YesNo) ==
               MessageResult::Yes;
}

}  // namespace scanora
