// What a user port shows, as the event lines a script follows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/UiEvents.h"

namespace scanora {
namespace {

struct Recorded {
    std::vector<std::string> lines;
    JsonEvents events{[this](const std::string& line) { lines.push_back(line); }, "get"};
};

TEST(UiEventsTest, AMessageCarriesTheLastLoggedCauseOnce)
{
    UiEvents port;
    Recorded recorded;
    port.Attach(&recorded.events);
    port.Logged(LogLevel::Info, "not a cause");
    port.Logged(LogLevel::Error, "read of block 3 failed");
    port.MessageShown("Camera Reported Error: 3", MessageIcon::Error, MessageButtons::Ok,
                      MessageResult::Ok);
    port.MessageShown("Replace it?", MessageIcon::Question, MessageButtons::YesNo,
                      MessageResult::No);
    ASSERT_EQ(recorded.lines.size(), 2u);
    EXPECT_EQ(recorded.lines[0],
              "{\"event\": \"error\", \"operation\": \"get\", \"message\": \"Camera Reported "
              "Error: 3\", \"cause\": \"read of block 3 failed\"}");
    EXPECT_EQ(recorded.lines[1],
              "{\"event\": \"warning\", \"operation\": \"get\", \"message\": \"Replace it?\", "
              "\"cause\": null, \"answer\": \"no\"}");
}

// A retrieval's events are detached when it ends; whatever was attached since stays.
TEST(UiEventsTest, DetachingLeavesOtherEventsAttached)
{
    UiEvents port;
    Recorded retrieval;
    Recorded capture;
    port.Attach(&retrieval.events);
    port.Detach(&capture.events);
    port.StatusShown("Retrieving \"Scan\".");
    EXPECT_EQ(retrieval.lines.size(), 1u) << "detaching others leaves these";

    port.Attach(&capture.events);
    port.Detach(&retrieval.events);
    port.StatusShown("Scanning image 1 of 2");
    EXPECT_EQ(capture.lines.size(), 2u) << capture.lines.front();  // the status and the series
    EXPECT_EQ(retrieval.lines.size(), 1u);

    port.Detach(&capture.events);
    port.StatusShown("Ready");
    EXPECT_EQ(capture.lines.size(), 2u) << "detached, nothing more arrives";
}

}  // namespace
}  // namespace scanora
