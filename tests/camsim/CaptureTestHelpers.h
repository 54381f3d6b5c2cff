#pragma once

// What the capture tests share: the parameter blocks spelled out field by field as the camera
// reads them, and the host's half of the USB exchanges of a capture.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "CamsimTestHelpers.h"
#include "camsim/SimCamera.h"

namespace camsim::test {

// The values a capture's four parameter blocks carry. The defaults describe a small From Top
// prescan window of the Model Cedar (maximum size step 12) over the colour chart.
struct CaptureFields {
    char kind = 'D';   // 'D' prescan, '0' scan
    char stage = '0';  // 'P' rotating stage
    std::uint32_t time = 0xB7A1C2D3;
    int model = 6;
    std::uint16_t width = 48;
    std::uint32_t lines = 40;
    std::uint16_t firstPixel = 270;  // hundredths of a millimetre
    std::uint16_t firstLine = 360;
    std::uint16_t focal = 1000;
    int step = 11;
    int stepAgain = 11;
    std::uint16_t format = 0x6C;
    std::uint16_t period = 100;
    std::array<std::uint16_t, 3> gains{260, 260, 260};
    std::uint16_t points = 5;
    std::array<std::uint16_t, 7> curve{0x1E03, 0x501C, 0x8E6A, 0xC2DC, 0xE6FF, 0, 0};
    std::uint16_t flags = 0x0000;  // bits 4..5: 0 From Top, 0x10 Bottom, 0x20 Right, 0x30 Left
    std::string name = "Chart";
    std::string notes = "Chart, 1/30 s\ruser notes";
};

inline std::string Hex4(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%.4X", static_cast<unsigned>(value) & 0xFFFF);
    return text;
}

inline std::string Padded(std::string text, std::size_t length)
{
    text.resize(length, ' ');
    return text;
}

inline std::string H00Body(const CaptureFields& s)
{
    return std::string("0000 ") + s.kind + s.stage + "00 0000  " + Hex4(int(s.time >> 16)) + " " +
           Hex4(int(s.time & 0xFFFF)) + " " + Hex4(s.model) + "  " + Hex4(s.width) + " " +
           Hex4(int(s.lines & 0xFFFF)) + " " + Hex4(int(s.lines >> 16)) + "  " +
           Hex4(s.firstPixel) + " " + Hex4(s.firstLine) + " " + Hex4(s.focal) + "  " +
           Hex4(s.step) + " " + Hex4(s.stepAgain) + " " + Hex4(s.format) + "  " + Hex4(s.period) +
           " 0002 0000  " + Hex4(s.gains[0]) + " " + Hex4(s.gains[1]) + " " + Hex4(s.gains[2]) +
           "  " + Hex4(s.points) + " " + Hex4(s.curve[0]) + " " + Hex4(s.curve[1]) + "  ";
}

inline std::string H01Body(const CaptureFields& s)
{
    return Hex4(s.curve[2]) + " " + Hex4(s.curve[3]) + " " + Hex4(s.curve[4]) + "  " +
           Hex4(s.curve[5]) + " " + Hex4(s.curve[6]) + " " + Hex4(s.flags) +
           "  0000 0000 0000  0000 0000 0000  " + Padded(s.name, 64);
}

inline std::string H02Body(const CaptureFields& s)
{
    return std::string(1, static_cast<char>(s.notes.size())) + Padded(s.notes.substr(0, 127), 127);
}

inline std::string H03Body(const CaptureFields& s)
{
    return Padded(s.notes.size() > 127 ? s.notes.substr(127) : std::string(), 128);
}

// "H0n", the body, the checksum of the 131 characters in two upper-case digits.
inline std::string Block(int number, const std::string& body)
{
    std::string text = "H0" + std::to_string(number) + body;
    unsigned sum = 0;
    for (const char c : text) sum += static_cast<unsigned char>(c);
    char checksum[4];
    std::snprintf(checksum, sizeof checksum, "%.2X", sum & 0xFF);
    return text + checksum;
}

inline std::vector<std::string> Blocks(const CaptureFields& s)
{
    return {Block(0, H00Body(s)), Block(1, H01Body(s)), Block(2, H02Body(s)), Block(3, H03Body(s))};
}

// The host's side of the USB link, one exchange at a time.
class UsbHost {
public:
    // With `time`, a reply that is not ready yet is polled for as the host does, every 50 ms
    // of that clock for up to 2 s.
    explicit UsbHost(SimCamera& camera, ManualTime* time = nullptr) : camera_(camera), time_(time)
    {
    }

    // Sends `text` and a carriage return as one text command transfer.
    void Post(const std::string& text)
    {
        Bytes transfer{0x0D, 0x00, 0x00, static_cast<std::uint8_t>(text.size() + 1), 0, 0, 0, 0};
        transfer.insert(transfer.end(), text.begin(), text.end());
        transfer.push_back('\r');
        ASSERT_EQ(BulkOut(camera_, transfer), static_cast<int>(transfer.size()));
    }
    // Sends `text` and returns the reply (empty when none is ready).
    std::string Send(const std::string& text)
    {
        Post(text);
        for (int poll = 0; time_ != nullptr && poll < 40 && !ReplyWaiting(camera_); ++poll)
            time_->Advance(std::chrono::milliseconds(50));
        return ReplyWaiting(camera_) ? ReadReply(camera_) : std::string();
    }
    bool Waiting() { return ReplyWaiting(camera_); }
    std::string Reply() { return ReadReply(camera_); }
    // One line read of `units` × 512 bytes.
    Bytes ReadUnits(std::size_t units)
    {
        EXPECT_EQ(BulkOut(camera_, {0x28, 0x80, static_cast<std::uint8_t>(units >> 8),
                                    static_cast<std::uint8_t>(units), 0, 0, 0, 0}),
                  8);
        return BulkIn(camera_, units * 512);
    }
    // Chunk `chunk` of `units` × 512 bytes of the image at header block `block`.
    Bytes ReadImage(std::uint8_t block, std::size_t units, std::uint16_t chunk)
    {
        EXPECT_EQ(BulkOut(camera_, {0x28, 0x80, static_cast<std::uint8_t>(units >> 8),
                                    static_cast<std::uint8_t>(units), block, 0,
                                    static_cast<std::uint8_t>(chunk >> 8),
                                    static_cast<std::uint8_t>(chunk)}),
                  8);
        return BulkIn(camera_, units * 512);
    }
    Bytes ReadHeader(std::uint8_t block)
    {
        EXPECT_EQ(BulkOut(camera_, {0x28, 0x83, 0x00, 0x01, block, 0, 0, 0}), 8);
        return BulkIn(camera_, 512);
    }
    bool WriteHeader(std::uint8_t block, const Bytes& header)
    {
        EXPECT_EQ(BulkOut(camera_, {0x2A, 0x83, 0x00, 0x01, block, 0, 0, 0}), 8);
        return BulkOut(camera_, header) == 512;
    }
    bool WritePlane(const Bytes& plane)
    {
        EXPECT_EQ(BulkOut(camera_, {0x2A, 0xA0, 0x00, 0x10, 0xFF, 0, 0, 0}), 8);
        return BulkOut(camera_, plane) == static_cast<int>(plane.size());
    }

    // The sensor tables, the blocks, "CLB" and "CLP", each answered "#OK"; then "CLT".
    void SetUp(const CaptureFields& fields)
    {
        for (const char* command : {"CFR00", "CLD", "CFR02", "CLL0C", "CFR03", "CLL00"})
            EXPECT_EQ(Send(command), "#OK") << command;
        for (const std::string& block : Blocks(fields)) EXPECT_EQ(Send(block), "#OK") << block;
        EXPECT_EQ(Send("CLB"), "#OK");
        EXPECT_EQ(Send("CLP"), "#OK");
    }
    void Start(const CaptureFields& fields)
    {
        SetUp(fields);
        Post("CLT");
    }

private:
    SimCamera& camera_;
    ManualTime* time_;
};

inline SimConfig SpeedZero(SimLink link = SimLink::Usb)
{
    SimConfig config;
    config.speed = 0.0;
    config.link = link;
    config.sampleImages = false;  // an empty disk, so the scans take blocks 1, 2, ...
    return config;
}

// A big-endian 16-bit sample of a raw line.
inline std::uint16_t BigEndian(const Bytes& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

}  // namespace camsim::test
