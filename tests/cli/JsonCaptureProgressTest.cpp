#include "cli/JsonCaptureProgress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli/JsonEvents.h"

namespace scanora::cli {
namespace {

// The progress events of a capture, written into memory.
class Events {
public:
    Events() : file_(open_memstream(&buffer_, &size_)), events_(file_, "scan") {}
    ~Events()
    {
        std::fclose(file_);
        std::free(buffer_);
    }
    Events(const Events&) = delete;
    Events& operator=(const Events&) = delete;

    JsonEvents& Sink() { return events_; }
    std::vector<std::string> Lines()
    {
        std::fflush(file_);
        std::vector<std::string> lines;
        std::istringstream text(std::string(buffer_, size_));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
    JsonEvents events_;
};

class ShownProgress final : public CaptureView {
public:
    void ShowScanProgress(int done, int) override { shown.push_back(done); }
    std::vector<int> shown;
};

TEST(JsonCaptureProgressTest, ReportsAtMostTenTimesASecondAndAlwaysTheLastLineAndANewCapture)
{
    Events events;
    ShownProgress shown;
    JsonCaptureProgress progress(events.Sink(), shown);
    // A fast capture: everything but its first and last counts falls within the gap.
    for (int done = 1; done <= 100; ++done) progress.ShowScanProgress(done, 100);
    // The series' next image counts from the start again.
    progress.ShowScanProgress(0, 100);
    progress.ShowScanProgress(0, 100);

    EXPECT_EQ(shown.shown.size(), 102u) << "the person's view sees every count";
    const std::vector<std::string> lines = events.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("\"done\": 1, \"total\": 100, \"unit\": \"lines\""), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find("\"done\": 100, \"total\": 100"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("\"secondsRemaining\": 0"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("\"done\": 0, \"total\": 100"), std::string::npos) << lines[2];
    EXPECT_NE(lines[2].find("\"secondsRemaining\": null"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[0].rfind(
                  "{\"event\": \"progress\", \"operation\": \"scan\", \"capture\": \"scan\"", 0),
              0u)
        << lines[0];
}

}  // namespace
}  // namespace scanora::cli
