#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/OutputStream.h"
#include "settings/LineReader.h"
#include "settings/QVSetting.h"

namespace scanora::test {

// The bytes a record writes.
inline std::string Written(const QVSetting& record)
{
    MemoryOutputStream out;
    record.Write(out);
    return std::string(out.Text());
}

// Reads a section the way the file reader does: the Begin line is consumed by the caller.
template <typename Record>
Record ReadSection(std::string_view sectionText, Record record = {})
{
    LineReader in(sectionText);
    std::string_view beginLine;
    in.ReadLine(beginLine);
    record.Read(in);
    return record;
}

// Compares text with a golden file in tests/data/settings. After an intended change of the
// format, regenerate the files by running the tests with SCANORA_UPDATE_GOLDEN=1 set, and review
// the difference before committing it.
inline void ExpectMatchesGolden(std::string_view actual, std::string_view fileName)
{
    const std::filesystem::path path =
        std::filesystem::path(SCANORA_TEST_DATA_DIR) / "settings" / fileName;
    if (std::getenv("SCANORA_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << "missing golden file " << path;
    const std::string expected{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(actual, expected) << "differs from " << path;
}

}  // namespace scanora::test
