#include "cli/NextCaptureNotes.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/Logger.h"
#include "platform/UserFolders.h"

namespace scanora::cli {

NextCaptureNotes NextCaptureNotes::ForUser()
{
    return NextCaptureNotes(Logger::Folder(UserFolders()));
}

std::string NextCaptureNotes::Load() const
{
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool NextCaptureNotes::Save(const std::string& notes, std::string& error) const
{
    std::error_code ec;
    if (notes.empty()) {
        std::filesystem::remove(path_, ec);
        if (ec)
            error = "cannot remove " + path_.string() + ": " + ec.message();
        return !ec;
    }
    std::filesystem::create_directories(path_.parent_path(), ec);
    AtomicFile file(path_);
    if (!file.Open() || !file.Write(notes) || !file.Commit()) {
        error = file.Error();
        return false;
    }
    return true;
}

}  // namespace scanora::cli
