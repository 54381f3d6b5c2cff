#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace scanora::cli {

// Where the terminal puts retrieved images, read from the path given with "get -o" or
// "scan --retrieve": an existing folder; a folder to create (with its parents) when the path
// ends in a slash or more than one image comes; otherwise, for a single image, the file itself,
// with the extension of its kind added when the name has none of the accepted ones.
class RetrievalTarget {
public:
    // `oneImage`: exactly one image is retrieved; `dng`: it is written as DNG. Nothing, with the
    // usage error in `error`, when the path cannot take the images.
    static std::optional<RetrievalTarget> Resolve(const std::string& path, bool oneImage, bool dng,
                                                  std::string& error);

    [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }
    // The file's name with its extension; empty when the images keep their own names.
    [[nodiscard]] const std::string& FileName() const { return fileName_; }

    // Makes the folder, with its parents, when it is not there; the failure's text, or empty.
    [[nodiscard]] std::string CreateFolder() const;

private:
    RetrievalTarget(std::filesystem::path folder, std::string fileName);

    std::filesystem::path folder_;
    std::string fileName_;
};

}  // namespace scanora::cli
