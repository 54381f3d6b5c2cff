#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "output/TIFFDescription.h"
#include "output/TiffWriter.h"
#include "platform/OutputStream.h"

namespace scanora::test {

using Bytes = std::vector<std::uint8_t>;

// A small ICC profile of odd length (161 bytes) that profile readers take without complaint: a
// display profile whose only tag is a copyright text.
inline std::vector<std::uint8_t> TestIccProfile()
{
    std::vector<std::uint8_t> profile(128, 0);
    const auto put = [&](std::size_t at, std::string_view bytes) {
        if (profile.size() < at + bytes.size())
            profile.resize(at + bytes.size());
        std::copy(bytes.begin(), bytes.end(), profile.begin() + static_cast<std::ptrdiff_t>(at));
    };
    put(0, std::string_view("\0\0\0\xA1", 4));  // its size
    put(12, "mntrRGB XYZ ");
    put(36, "acsp");
    put(128, std::string_view("\0\0\0\1cprt\0\0\0\x90\0\0\0\x11", 16));
    put(144, std::string_view("text\0\0\0\0Qorvane!\0", 17));
    return profile;
}

// A prescan-like RGB image with every piece of metadata a retrieved scan carries: description,
// make, model, software, date, an ICC profile of odd length, and the EXIF directory with exposure,
// ISO, a 512-byte maker note and a user comment.
inline TIFFDescription FullDescription()
{
    TIFFDescription d;
    d.width = 5;
    d.height = 3;
    d.bitsPerSample = 16;
    d.samplesPerPixel = 3;
    d.photometric = 2;
    d.description = "Untitled_pre";
    d.xResolution = d.yResolution = 300.0;
    d.resolutionUnit = 2;
    d.orientation = 1;
    d.iccProfile = TestIccProfile();
    d.make = "Qorvane";
    d.model = "QV-612";
    d.software = "Scanora Version 0.1.0";
    d.dateTime = "2024:05:06 07:08:09";
    d.hasExif = true;
    d.exposureDenominator = 125;
    d.isoSpeed = 200;
    d.makerNote.assign(512, 0);
    const std::string_view header = "Header block of scan 12";
    std::copy(header.begin(), header.end(), d.makerNote.begin() + 192);
    d.userComment = "Window light, f/11";
    return d;
}

// What a retrieval in DNG mode writes (the built-in colour calibration of the camera).
inline TIFFDescription DngDescription(std::uint32_t width = 4, std::uint32_t height = 2)
{
    TIFFDescription d = FullDescription();
    d.width = width;
    d.height = height;
    d.photometric = 34892;
    d.iccProfile.clear();
    d.isDng = true;
    d.uniqueCameraModel = "Qorvane QV-612";
    d.cameraSerialNumber = "40213";
    d.illuminant1 = 17;
    d.colorMatrix1 = {2.6424003, -1.69872426, 0.05632396,  -0.67864439, 1.61305119,
                      0.0655932, 0.01284711,  -0.02909086, 1.01624374};
    d.illuminant2 = 22;
    d.colorMatrix2 = {2.63392709, -1.40353546, -0.23039163, -0.39232448, 1.32167892,
                      0.07064556, 0.02304837,  0.14210851,  0.83484312};
    d.analogBalance = {1.25f, 1.0f, 1.5f};
    d.asShotNeutral = {1.0f, 1.0f, 1.0f};
    return d;
}

// A plain one-channel 8-bit image without any optional metadata.
inline TIFFDescription GrayDescription(std::uint32_t width = 6, std::uint32_t height = 4)
{
    TIFFDescription d;
    d.width = width;
    d.height = height;
    d.bitsPerSample = 8;
    d.samplesPerPixel = 1;
    d.photometric = 1;
    return d;
}

// Pixels in which every byte of every row differs from its neighbours and from the other rows.
inline Bytes TestPixels(const TIFFDescription& d)
{
    Bytes pixels(d.ImageBytes());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 251 + 3);
    return pixels;
}

// The file the writer makes of `d` and `pixels`, written one row at a time.
inline Bytes WriteTiff(const TIFFDescription& d, const Bytes& pixels)
{
    MemoryOutputStream stream;
    TiffWriter writer(stream);
    EXPECT_TRUE(writer.Open(d));
    const std::size_t row = d.RowBytes();
    for (std::size_t at = 0; at < pixels.size(); at += row)
        EXPECT_TRUE(writer.WriteData(std::span(pixels).subspan(at, row)));
    EXPECT_TRUE(writer.Close());
    return stream.Bytes();
}

inline std::uint16_t Le16(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}

inline std::uint32_t Le32(const Bytes& b, std::size_t at)
{
    return std::uint32_t{Le16(b, at)} | std::uint32_t{Le16(b, at + 2)} << 16;
}

// One entry of a classic little-endian directory, read straight from the bytes.
struct DirectoryEntry {
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint32_t value = 0;  // the value field as a 32-bit number
    std::size_t fieldAt = 0;  // where the value field is in the file
};

// The entries of the directory at `offset`, by tag, and their order.
struct Directory {
    std::map<std::uint16_t, DirectoryEntry> entries;
    std::vector<std::uint16_t> tags;
    std::uint32_t next = 0;
    std::size_t end = 0;
};

inline Directory ReadDirectoryAt(const Bytes& file, std::size_t offset)
{
    Directory directory;
    const std::uint16_t count = Le16(file, offset);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = offset + 2 + 12 * i;
        const std::uint16_t tag = Le16(file, at);
        directory.tags.push_back(tag);
        directory.entries[tag] = {Le16(file, at + 2), Le32(file, at + 4), Le32(file, at + 8),
                                  at + 8};
    }
    directory.end = offset + 2 + 12u * count + 4;
    directory.next = Le32(file, directory.end - 4);
    return directory;
}

inline std::string TextAt(const Bytes& file, std::size_t offset, std::size_t length)
{
    return std::string(file.begin() + static_cast<std::ptrdiff_t>(offset),
                       file.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

// The full path of the program of that name on the PATH, or an empty text.
inline std::string FindProgram(std::string_view name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

// Compares a written file with a golden file in tests/data/output. After an intended change of
// the layout, regenerate the files by running scanora_tests_output with SCANORA_UPDATE_GOLDEN=1
// set, check them with tiffdump and exiftool, and review the difference before committing it.
inline void ExpectMatchesGolden(const Bytes& actual, std::string_view fileName)
{
    const std::filesystem::path path =
        std::filesystem::path(SCANORA_TEST_DATA_DIR) / "output" / fileName;
    if (std::getenv("SCANORA_UPDATE_GOLDEN") != nullptr) {
        std::filesystem::create_directories(path.parent_path());
        WriteFile(path, actual);
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << "missing golden file " << path;
    EXPECT_EQ(actual, ReadFile(path)) << "differs from " << path;
}

}  // namespace scanora::test
