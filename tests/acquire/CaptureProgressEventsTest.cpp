#include "acquire/CaptureProgressEvents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/JsonEvents.h"

namespace scanora {
namespace {

// The lines of the events, kept.
struct Events {
    std::vector<std::string> lines;
    JsonEvents sink{[this](const std::string& line) { lines.push_back(line); }, "scan"};
};

class ShownProgress final : public CaptureView {
public:
    void ShowScanProgress(int done, int) override { shown.push_back(done); }
    std::vector<int> shown;
};

TEST(CaptureProgressEventsTest, ReportsAtMostTenTimesASecondAndAlwaysTheLastLineAndANewCapture)
{
    Events events;
    ShownProgress shown;
    CaptureProgressEvents progress(events.sink, shown);
    // A fast capture: everything but its first and last counts falls within the gap.
    for (int done = 1; done <= 100; ++done) progress.ShowScanProgress(done, 100);
    // The series' next image counts from the start again.
    progress.ShowScanProgress(0, 100);
    progress.ShowScanProgress(0, 100);

    EXPECT_EQ(shown.shown.size(), 102u) << "the person's view sees every count";
    const std::vector<std::string>& lines = events.lines;
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
}  // namespace scanora
