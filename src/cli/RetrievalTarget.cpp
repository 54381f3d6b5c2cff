#include "cli/RetrievalTarget.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace scanora::cli {

namespace {

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

RetrievalTarget::RetrievalTarget(std::filesystem::path folder, std::string fileName)
    : folder_(std::move(folder)), fileName_(std::move(fileName))
{
}

std::optional<RetrievalTarget> RetrievalTarget::Resolve(const std::string& path, bool oneImage,
                                                        bool dng, std::string& error)
{
    std::error_code ignored;
    const std::filesystem::path given(path);
    const std::string name = given.filename().string();
    const bool namesFolder = path.empty() || path.back() == '/' || name == "." || name == ".." ||
                             std::filesystem::is_directory(given, ignored);
    if (namesFolder || !oneImage) {
        if (!namesFolder &&
            std::filesystem::exists(std::filesystem::symlink_status(given, ignored))) {
            error = path + " is not a folder";
            return std::nullopt;
        }
        return RetrievalTarget(given.empty() ? std::filesystem::path(".") : given, {});
    }

    const std::string extension = Lowered(given.extension().string());
    const bool tiffName = extension == ".tif" || extension == ".tiff";
    const bool dngName = extension == ".dng";
    std::string fileName = name;
    if ((dng && tiffName) || (!dng && dngName)) {
        error = path + (dng ? " names a TIFF file, but the image is retrieved as DNG"
                            : " names a DNG file, but the image is retrieved as TIFF");
        return std::nullopt;
    }
    if (!tiffName && !dngName)
        fileName += dng ? ".dng" : ".tif";
    const std::filesystem::path folder =
        given.has_parent_path() ? given.parent_path() : std::filesystem::path(".");
    return RetrievalTarget(folder, std::move(fileName));
}

std::string RetrievalTarget::CreateFolder() const
{
    std::error_code error;
    if (std::filesystem::is_directory(folder_, error))
        return {};
    std::filesystem::create_directories(folder_, error);
    // create_directories reports no error for a path that stands there already as a file.
    if (!error && !std::filesystem::is_directory(folder_, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    if (error)
        return "cannot create the folder " + folder_.string() + ": " + error.message();
    return {};
}

}  // namespace scanora::cli
