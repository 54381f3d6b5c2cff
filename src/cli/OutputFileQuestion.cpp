#include "cli/OutputFileQuestion.h"

#include "platform/ReplaceConfirmation.h"

namespace scanora::cli {

bool OutputFileQuestion::MayWrite(UiPort& ui, const std::filesystem::path& path, std::FILE* err)
{
    if (ReplaceConfirmation::Confirm(ui, path))
        return true;
    std::fprintf(err, "scanora-cli: %s was not replaced (--yes replaces it)\n", path.c_str());
    return false;
}

}  // namespace scanora::cli
