#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CaptureTestHelpers.h"
#include "camsim/SimCamera.h"

namespace camsim::test {
namespace {

// Sends the four blocks of `fields` and returns the replies, H00 first, then that of "CLB".
std::vector<std::string> SendSetUp(UsbHost& host, const CaptureFields& fields)
{
    std::vector<std::string> replies;
    for (const std::string& block : Blocks(fields)) replies.push_back(host.Send(block));
    replies.push_back(host.Send("CLB"));
    return replies;
}

TEST(ParameterBlocks, FourGoodBlocksAreTakenAndClbAcceptsThemTogether)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    const CaptureFields fields;
    for (const std::string& block : Blocks(fields)) {
        ASSERT_EQ(block.size(), 133u) << "131 characters and two checksum digits";
        EXPECT_EQ(host.Send(block), "#OK");
    }
    EXPECT_EQ(host.Send("CLB"), "#OK");
    EXPECT_EQ(host.Send("CLP"), "#OK");
    EXPECT_EQ(camera.ReceivedCommands().front().substr(0, 3), "H00");
}

TEST(ParameterBlocks, LengthAndChecksumFaultsAreConversionErrors)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    const std::string good = Block(0, H00Body(CaptureFields()));

    std::string wrongSum = good;
    wrongSum[132] = wrongSum[132] == '0' ? '1' : '0';
    EXPECT_EQ(host.Send(wrongSum), "#E01");

    // A block whose checksum has a letter, sent with it in lower case.
    CaptureFields named;
    std::string lowerCase;
    for (char c = 'a'; lowerCase.find_first_of("ABCDEF", 131) == std::string::npos; ++c) {
        named.name = std::string("Chart ") + c;
        lowerCase = Block(1, H01Body(named));
    }
    for (std::size_t i = 131; i < 133; ++i)
        lowerCase[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lowerCase[i])));
    EXPECT_EQ(host.Send(lowerCase), "#E01") << "checksum digits are upper case";

    // One character short, with the checksum of what was sent.
    EXPECT_EQ(host.Send(Block(0, H00Body(CaptureFields()).substr(1))), "#E01");
    EXPECT_EQ(host.Send(good.substr(0, 131)), "#E01") << "no checksum";

    // A well-framed block whose body is all zeros: the frame holds (131 zeros would sum to
    // 0x90), the fields do not.
    EXPECT_EQ(host.Send(Block(0, std::string(128, '0'))), "#E02");
    EXPECT_EQ(host.Send(good), "#OK");
}

TEST(ParameterBlocks, ValuesTheCameraCannotTakeAreValueErrors)
{
    const std::vector<std::pair<std::string, std::function<void(CaptureFields&)>>> faults = {
        {"size steps differ", [](CaptureFields& s) { s.stepAgain = 10; }},
        {"size step past the coarsest", [](CaptureFields& s) { s.step = s.stepAgain = 12; }},
        {"size step below the finest", [](CaptureFields& s) { s.step = s.stepAgain = -1; }},
        {"another model", [](CaptureFields& s) { s.model = 5; }},
        {"unknown format", [](CaptureFields& s) { s.format = 0x4C; }},
        {"single colour 4", [](CaptureFields& s) { s.format = 0x24; }},
        {"gain below unity", [](CaptureFields& s) { s.gains[1] = 259; }},
        {"gain above 13 dB", [](CaptureFields& s) { s.gains[2] = 3576; }},
        {"no pixels", [](CaptureFields& s) { s.width = 0; }},
        {"wider than the sensor", [](CaptureFields& s) { s.width = 667; }},
        {"longer than the travel", [](CaptureFields& s) { s.lines = 889; }},
        {"no line period", [](CaptureFields& s) { s.period = 0; }},
        {"focal length without a stage", [](CaptureFields& s) { s.focal = 999; }},
        {"unknown capture code", [](CaptureFields& s) { s.kind = 'S'; }},
        {"stage with a line offset", [](CaptureFields& s) { s.stage = 'P'; }},
        {"more than 7 curve points", [](CaptureFields& s) { s.points = 8; }},
    };
    for (const auto& [what, change] : faults) {
        SimCamera camera(SpeedZero());
        UsbHost host(camera);
        CaptureFields fields;
        change(fields);
        EXPECT_EQ(host.Send(Block(0, H00Body(fields))), "#E02") << what;
        EXPECT_EQ(host.Send("CLB"), "#E22") << what << ": the refused H00 is not kept";
    }
}

TEST(ParameterBlocks, EveryBlankAndDigitOfTheLayoutCounts)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    const std::string body = H00Body(CaptureFields());
    std::string lowerDigit = body;
    lowerDigit[lowerDigit.find("006C") + 3] = 'c';
    EXPECT_EQ(host.Send(Block(0, lowerDigit)), "#E02") << "numbers are upper case";
    std::string movedBlank = body;
    std::swap(movedBlank[29], movedBlank[30]);  // the model "0006 " becomes "000 6"
    EXPECT_EQ(host.Send(Block(0, movedBlank)), "#E02");
    std::string notTwo = body;
    notTwo.replace(notTwo.find(" 0002 "), 6, " 0003 ");
    EXPECT_EQ(host.Send(Block(0, notTwo)), "#E02");

    const std::string h01 = H01Body(CaptureFields());
    std::string zeros = h01;
    zeros[32] = '1';  // the literal zeros behind the output flags
    EXPECT_EQ(host.Send(Block(1, zeros)), "#E02");
    CaptureFields flags;
    flags.flags = 0x08;
    EXPECT_EQ(host.Send(Block(1, H01Body(flags))), "#E02") << "flag bit 3 means nothing";
    CaptureFields control;
    control.name = "Tab\there";
    EXPECT_EQ(host.Send(Block(1, H01Body(control))), "#E02");
}

TEST(ParameterBlocks, ALinePeriodTheCarriageCannotFollowIsAMathError)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    CaptureFields fields;
    fields.period = 1;  // the Cedar needs 2 even at its finest size step
    EXPECT_EQ(host.Send(Block(0, H00Body(fields))), "#E03");
    fields.period = 2;
    EXPECT_EQ(host.Send(Block(0, H00Body(fields))), "#OK");

    SimConfig plus = SpeedZero();
    plus.model = 7;  // size steps down to -6: a line time of 1 is fast enough there
    SimCamera cedarPlus(plus);
    UsbHost plusHost(cedarPlus);
    fields.model = 7;
    fields.period = 1;
    EXPECT_EQ(plusHost.Send(Block(0, H00Body(fields))), "#OK");
}

TEST(ParameterBlocks, ClbChecksTheCurveAndTheNotesAcrossBlocks)
{
    {
        SimCamera camera(SpeedZero());
        UsbHost host(camera);
        CaptureFields fields;
        fields.curve[5] = 0xF0F0;  // a sixth point on a five-point curve
        EXPECT_EQ(SendSetUp(host, fields),
                  (std::vector<std::string>{"#OK", "#OK", "#OK", "#OK", "#E02"}));
    }
    {
        SimCamera camera(SpeedZero());
        UsbHost host(camera);
        CaptureFields fields;
        std::vector<std::string> blocks = Blocks(fields);
        std::string h03 = H03Body(fields);
        h03[100] = 'x';  // text where only padding may be
        EXPECT_EQ(host.Send(blocks[0]), "#OK");
        EXPECT_EQ(host.Send(blocks[1]), "#OK");
        EXPECT_EQ(host.Send(blocks[2]), "#OK");
        EXPECT_EQ(host.Send(Block(3, h03)), "#OK");
        EXPECT_EQ(host.Send("CLB"), "#E02");
    }
    {
        // 255 characters: 127 in H02 behind the length byte 0xFF, 128 in H03, no padding at
        // all; the notes may hold any byte, carriage returns too.
        SimCamera camera(SpeedZero());
        UsbHost host(camera);
        CaptureFields fields;
        fields.notes = std::string(126, 'a') + "\r" + std::string(127, 'b') + "\xE9";
        ASSERT_EQ(fields.notes.size(), 255u);
        EXPECT_EQ(SendSetUp(host, fields),
                  (std::vector<std::string>{"#OK", "#OK", "#OK", "#OK", "#OK"}));
    }
}

TEST(ParameterBlocks, TheSetUpStepsComeInTheirOrder)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    EXPECT_EQ(host.Send("CLB"), "#E22") << "no blocks";
    EXPECT_EQ(host.Send("EE0010"), "#E22") << "no H00";
    EXPECT_EQ(host.Send("CLP"), "#E22");
    EXPECT_EQ(host.Send("CLT"), "#E22") << "a start without a set-up is answered at once";

    const CaptureFields fields;
    const std::vector<std::string> blocks = Blocks(fields);
    for (std::size_t i = 1; i < blocks.size(); ++i) EXPECT_EQ(host.Send(blocks[i]), "#OK");
    EXPECT_EQ(host.Send(blocks[0]), "#OK");
    EXPECT_EQ(host.Send("CLB"), "#E22") << "H00 starts a new set-up: H01..H03 are gone";
    for (std::size_t i = 1; i < blocks.size(); ++i) EXPECT_EQ(host.Send(blocks[i]), "#OK");
    EXPECT_EQ(host.Send("CLB"), "#OK");
    EXPECT_EQ(host.Send("EE0000"), "#E02");
    EXPECT_EQ(host.Send("EE0020"), "#OK");
    EXPECT_EQ(host.Send(blocks[1]), "#OK");
    EXPECT_EQ(host.Send("CLP"), "#E22") << "a block after CLB needs CLB again";
    EXPECT_EQ(host.Send("CLB"), "#OK");
    EXPECT_EQ(host.Send("CLP"), "#OK");
    EXPECT_EQ(host.Send("CLB1"), "#E02");
}

TEST(ParameterBlocks, TableCommandsNeedWhatTheyLoadFrom)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    EXPECT_EQ(host.Send("CLL00"), "#E22") << "no sensor frame selected";
    EXPECT_EQ(host.Send("CLL08"), "#E22") << "no plane written";
    EXPECT_EQ(host.Send("CFR10"), "#E02");
    EXPECT_EQ(host.Send("CFR0F"), "#OK");
    EXPECT_EQ(host.Send("CLL00"), "#OK");
    EXPECT_EQ(host.Send("CLL07"), "#E02");
    EXPECT_EQ(host.Send("CLL0D"), "#E02");
    EXPECT_EQ(host.Send("CLD1"), "#E02");
    EXPECT_TRUE(host.WritePlane(Bytes(8192, 0x12)));
    for (const char* slot : {"CLL04", "CLL05", "CLL06", "CLL08", "CLL09", "CLL0A", "CLL0B"})
        EXPECT_EQ(host.Send(slot), "#OK") << slot;
    EXPECT_EQ(host.Send("CLD"), "#OK");
}

}  // namespace
}  // namespace camsim::test
