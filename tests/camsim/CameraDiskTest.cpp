#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "CaptureTestHelpers.h"
#include "camsim/SceneRendering.h"
#include "camsim/SimCamera.h"

namespace camsim::test {
namespace {

// A scan of 64 pixels × 20 lines at size step 0: the disk stores 20 + 4 × 12 raw lines of
// 384 bytes, 26112 bytes in one half-megabyte unit.
CaptureFields SmallScan()
{
    CaptureFields fields;
    fields.kind = '0';
    fields.step = fields.stepAgain = 0;
    fields.width = 64;
    fields.lines = 20;
    fields.period = 30;
    return fields;
}

// Runs a scan to its closing reply.
void Record(UsbHost& host, const CaptureFields& fields, const std::vector<std::string>& more = {})
{
    host.SetUp(fields);
    for (const std::string& command : more) EXPECT_EQ(host.Send(command), "#OK");
    host.Post("CLT");
    host.Send("CS");
    EXPECT_EQ(host.Reply(), "#OK");
}

std::string Text(const Bytes& bytes, std::size_t from, std::size_t count)
{
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                       bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

TEST(CameraDisk, DirectorySlotsKeepTheirCharacterPositions)
{
    SimConfig config = SpeedZero();
    config.model = 7;
    SimCamera camera(config);
    UsbHost host(camera);
    EXPECT_EQ(host.Send("CDR00"), "DR FF 0000 9000   00 0000 0000 0000 0000 0000")
        << "a new disk: one free slot of 36864 half megabytes";
    CaptureFields first = SmallScan();
    first.model = 7;
    Record(host, first);
    CaptureFields second = first;
    second.step = second.stepAgain = -6;  // 18 lines between the colour rows
    second.format = 0x22;                 // green alone, 16 bits
    second.width = 1200;
    second.lines = 300;
    second.time = 0x00010002;
    Record(host, second);

    EXPECT_EQ(host.Send("CDQ"), "DQ03");
    const std::string slot = host.Send("CDR00");
    EXPECT_EQ(slot, "DR 6C 0000 0001   01 0040 0014 0000 B7A1 C2D3");
    EXPECT_EQ(slot.substr(3, 2), "6C") << "the first group starts at character 3";
    EXPECT_EQ(slot.substr(18, 2), "01") << "the second group at character 18";
    // (300 + 4 × 18) lines × 1200 pixels × 2 bytes = 892800 bytes: 2 units.
    EXPECT_EQ(host.Send("CDR01"), "DR 22 0000 0002   02 04B0 012C FFFA 0001 0002");
    EXPECT_EQ(host.Send("CDR02"), "DR FF 0000 8FFD   00 0000 0000 0000 0000 0000");
    EXPECT_EQ(host.Send("CDR03"), "#E02");
    EXPECT_EQ(host.Send("CDRX1"), "#E02");
}

TEST(CameraDisk, TheHeaderBlockHoldsTheBlockBodiesAtTheirOffsets)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    const CaptureFields fields = SmallScan();
    Record(host, fields, {"EE000F"});
    const Bytes header = host.ReadHeader(1);
    ASSERT_EQ(header.size(), 512u);
    const std::vector<std::string> blocks = Blocks(fields);
    EXPECT_EQ(Text(header, 0, 80), blocks[0].substr(3, 80));
    EXPECT_EQ(Text(header, 80, 4), "000F") << "the line time: the exposure EE asked for";
    EXPECT_EQ(Text(header, 96, 16), "0104 0104 0104  ") << "the gain codes";
    EXPECT_EQ(Text(header, 112, 46), "0005 1E03 501C  8E6A C2DC E6FF  0000 0000 0000")
        << "curve: count, 7 points, flags at 154";
    EXPECT_EQ(Text(header, 192, 64), Padded("Chart", 64));
    EXPECT_EQ(header[256], fields.notes.size());
    EXPECT_EQ(Text(header, 257, fields.notes.size()), fields.notes);
    EXPECT_EQ(Text(header, 384, 128), std::string(128, ' '));
    EXPECT_EQ(host.ReadHeader(2), Bytes(512, 0)) << "no image there";
}

TEST(CameraDisk, NotesWrittenBackStayWithTheImage)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    Record(host, SmallScan());
    Bytes header = host.ReadHeader(1);
    const std::string notes = "Chart, 1/30 s\rnew notes from the host";
    std::fill(header.begin() + 256, header.end(), ' ');
    header[256] = static_cast<std::uint8_t>(notes.size());
    std::copy(notes.begin(), notes.end(), header.begin() + 257);
    EXPECT_TRUE(host.WriteHeader(1, header));
    EXPECT_EQ(host.ReadHeader(1), header);
    EXPECT_FALSE(host.WriteHeader(9, header)) << "block 9 holds no image";
}

TEST(CameraDisk, DeletingFreesTheSlotAndJoinsItsFreeNeighbours)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    for (int i = 0; i < 3; ++i) Record(host, SmallScan());
    EXPECT_EQ(host.Send("CDQ"), "DQ04");
    EXPECT_EQ(host.Send("CDD02"), "#OK");
    EXPECT_EQ(host.Send("CDQ"), "DQ04") << "image, free, image, free";
    EXPECT_EQ(host.Send("CDR01"), "DR FF 0000 0001   00 0000 0000 0000 0000 0000");
    EXPECT_EQ(host.Send("CDD03"), "#OK");
    EXPECT_EQ(host.Send("CDQ"), "DQ02") << "the three free slots join";
    EXPECT_EQ(host.Send("CDR01"), "DR FF 0000 8FFF   00 0000 0000 0000 0000 0000");
    EXPECT_EQ(host.Send("CDD02"), "#E02") << "already gone";
    EXPECT_EQ(host.Send("CDD00"), "#E02");
    EXPECT_EQ(host.ReadHeader(2), Bytes(512, 0));
    Record(host, SmallScan());
    EXPECT_EQ(host.Send("CDR01").substr(18, 2), "02") << "the lowest free header address";
    EXPECT_EQ(host.Send("CDI"), "#OK");
    EXPECT_EQ(host.Send("CDQ"), "DQ01");
    EXPECT_EQ(host.ReadHeader(1), Bytes(512, 0));
    EXPECT_EQ(host.Send("CS"), "#S0000 0014 0000 0333 4800");
}

TEST(CameraDisk, ImageDataIsTheScanAsTheSensorDeliveredIt)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    Record(host, SmallScan());
    const SceneImage aligned = RenderCapture(*camera.LastCaptureRecipe());

    constexpr std::size_t kLineBytes = 64 * 6;
    constexpr std::size_t kStored = kLineBytes * (20 + 48);
    const Bytes data = host.ReadImage(1, 52, 0);
    ASSERT_EQ(data.size(), 52u * 512);
    for (std::size_t a = 0; a < 20; ++a) {
        for (std::size_t i = 0; i < 64; ++i) {
            const std::size_t at = a * kLineBytes + 6 * i;
            ASSERT_EQ(BigEndian(data, at + 24 * kLineBytes), aligned.Pixel(i, a)[0]) << a;
            ASSERT_EQ(BigEndian(data, at + 12 * kLineBytes + 2), aligned.Pixel(i, a)[1]) << a;
            ASSERT_EQ(BigEndian(data, at + 4), aligned.Pixel(i, a)[2]) << a;
        }
    }
    EXPECT_TRUE(std::all_of(data.begin() + kStored, data.end(), [](auto b) { return b == 0; }));

    // Chunk 3 of 10 units is bytes 15360.. of the same data.
    const Bytes chunk = host.ReadImage(1, 10, 3);
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), data.begin() + 15360));
    EXPECT_EQ(host.ReadImage(7, 1, 0), Bytes(512, 0)) << "no image at block 7";
}

// The curve goes with the header and the host applies it when it retrieves the image, so the
// disk keeps 16-bit samples linear even when a curve's wide table is loaded for the scan.
TEST(CameraDisk, SixteenBitScansAreStoredLinearWhateverWideTableIsLoaded)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    CaptureFields fields = SmallScan();
    fields.flags = 0x0001;  // 16-bit output through the curve
    ASSERT_TRUE(host.WritePlane(Bytes(8192, 0x80)));
    Record(host, fields, {"CLL0A"});  // high bytes of the lower half: 0x80xx
    const RecordedImage image = *camera.DiskImage(1);
    EXPECT_EQ(image.recipe.tables.Wide(1000), 4000);
    EXPECT_EQ(camera.LastCaptureRecipe()->tables.Wide(1000), 0x80A0) << "as loaded";

    const SceneImage aligned = RenderCapture(image.recipe);
    const Bytes data = host.ReadImage(1, 1, 0);
    for (std::size_t i = 0; i < 64; ++i) {
        const std::uint16_t blue = BigEndian(data, 6 * i + 4);
        EXPECT_EQ(blue, aligned.Pixel(i, 0)[2]);
        EXPECT_EQ(blue % 4, 0) << "4 × the sensor value";
    }
}

TEST(CameraDisk, ScsiPiecesReadFromTheByteOffsetTheyName)
{
    SimCamera camera(SpeedZero(SimLink::Scsi));
    const auto send = [&camera](const std::string& text) {
        Bytes data(text.begin(), text.end());
        data.push_back('\r');
        const Bytes cdb{0x0D, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(data.size()), 0x00};
        std::size_t moved = 0;
        ASSERT_EQ(
            camera.ScsiCommand(cdb.data(), cdb.size(), false, data.data(), data.size(), moved), 0);
    };
    CaptureFields fields = SmallScan();
    fields.width = 2000;  // 68 lines of 12000 bytes
    for (const char* command : {"CFR00", "CLD"}) send(command);
    for (const std::string& block : Blocks(fields)) send(block);
    for (const char* command : {"CLB", "CLP", "CLT", "CS"}) send(command);
    const auto read = [&camera](std::uint8_t offsetHigh, std::uint8_t offsetLow) {
        Bytes data(2 * 512);
        const Bytes cdb{0x28, 0x00, 0x80, 0x00, 0x01, offsetHigh, offsetLow, 0x00, 0x80, 0x00};
        std::size_t moved = 0;
        EXPECT_EQ(camera.ScsiCommand(cdb.data(), cdb.size(), true, data.data(), data.size(), moved),
                  0);
        return data;
    };
    const SceneImage aligned = RenderCapture(*camera.LastCaptureRecipe());
    // Byte 65536 lies in raw line 5 (from byte 60000), 5536 bytes in: the blue sample of
    // pixel 922, which is image line 5's own.
    const Bytes piece = read(0x00, 0x01);
    EXPECT_EQ(BigEndian(piece, 0), aligned.Pixel(922, 5)[2]);
    EXPECT_EQ(read(0x01, 0x00), Bytes(1024, 0)) << "16 MiB in lies past the image";
}

TEST(CameraDisk, AKeptDiskComesBackAfterARestart)
{
    TempDir folder;
    SimConfig config = SpeedZero();
    config.diskDir = folder.Path().string();
    std::vector<std::string> slots;
    Bytes header;
    Bytes data;
    {
        SimCamera camera(config);
        UsbHost host(camera);
        Record(host, SmallScan());
        CaptureFields second = SmallScan();
        second.name = "Second";
        second.format = 0x3C;
        Record(host, second);
        header = host.ReadHeader(1);
        header[300] = 'X';
        EXPECT_TRUE(host.WriteHeader(1, header));
        for (const char* slot : {"CDR00", "CDR01", "CDR02"}) slots.push_back(host.Send(slot));
        data = host.ReadImage(2, 30, 0);
    }
    {
        SimCamera camera(config);
        UsbHost host(camera);
        EXPECT_EQ(host.Send("CDQ"), "DQ03");
        for (std::size_t i = 0; i < slots.size(); ++i)
            EXPECT_EQ(host.Send("CDR0" + std::to_string(i)), slots[i]);
        EXPECT_EQ(host.ReadHeader(1), header) << "with the notes written back";
        EXPECT_EQ(host.ReadImage(2, 30, 0), data);
        EXPECT_EQ(host.Send("CDD01"), "#OK");
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "image-01.bin"));
    for (const auto& file : std::filesystem::directory_iterator(folder.Path()))
        EXPECT_NE(file.path().extension(), ".tmp") << file.path();
    SimCamera camera(config);
    UsbHost host(camera);
    EXPECT_EQ(host.Send("CDQ"), "DQ03") << "free, image 2, free";
    EXPECT_EQ(host.Send("CDR01").substr(18, 2), "02");
}

TEST(CameraDisk, WhatCannotBeReadBackOfAKeptDiskIsFreeSpace)
{
    TempDir folder;
    SimConfig config = SpeedZero();
    config.diskDir = folder.Path().string();
    {
        SimCamera camera(config);
        UsbHost host(camera);
        Record(host, SmallScan());
        Record(host, SmallScan());
    }
    std::filesystem::resize_file(folder.Path() / "image-01.bin", 100);
    {
        SimCamera camera(config);
        UsbHost host(camera);
        EXPECT_EQ(host.Send("CDQ"), "DQ03");
        EXPECT_EQ(host.Send("CDR00").substr(0, 5), "DR FF") << "the unreadable image";
        EXPECT_EQ(host.Send("CDR01").substr(18, 2), "02");
    }
    for (const std::string directory :
         {"nonsense\n", "scanora-camsim-disk 1\nfree 0 100\n",
          "scanora-camsim-disk 1\nimage 2 0 1024\nimage 2 1024 37747712\n",
          "scanora-camsim-disk 1\nfree 0 -5\n"}) {
        std::ofstream(folder.Path() / "directory") << directory;
        SimCamera camera(config);
        UsbHost host(camera);
        EXPECT_EQ(host.Send("CDQ"), "DQ01") << directory;
        EXPECT_EQ(host.Send("CDR00"), "DR FF 0000 9000   00 0000 0000 0000 0000 0000");
    }
}

TEST(CameraDisk, AKeptDiskThatCannotBeWrittenRefusesItsChanges)
{
    TempDir folder;
    SimConfig config = SpeedZero();

    // A file where the folder should be: the camera says so before anything is lost.
    config.diskDir = (folder.Path() / "plain-file").string();
    std::ofstream(config.diskDir) << "not a folder";
    EXPECT_EQ(SimCamera(config).DiskError(),
              "the camera disk folder " + config.diskDir + " is not a folder");

    config.diskDir = (folder.Path() / "disk").string();
    SimCamera camera(config);
    EXPECT_EQ(camera.DiskError(), "");
    UsbHost host(camera);
    Record(host, SmallScan());
    Bytes header = host.ReadHeader(1);

    // The folder goes away under the camera (a full or failed file system writes as little):
    // every change is refused and the disk stays as the folder keeps it.
    const std::filesystem::path aside = folder.Path() / "aside";
    std::filesystem::rename(config.diskDir, aside);
    std::ofstream(config.diskDir) << "in the way";
    host.SetUp(SmallScan());
    host.Post("CLT");
    host.Send("CS");
    EXPECT_EQ(host.Reply(), "#E33") << "the scan could not be recorded";
    EXPECT_EQ(host.Send("CDD01"), "#E22");
    EXPECT_EQ(host.Send("CDI"), "#E22");
    header[300] = 'X';
    EXPECT_FALSE(host.WriteHeader(1, header));
    EXPECT_EQ(host.Send("CDQ"), "DQ02") << "one image and the free space, as before";
    EXPECT_NE(host.ReadHeader(1)[300], 'X');

    // What the folder holds is what the camera showed.
    std::filesystem::remove(config.diskDir);
    std::filesystem::rename(aside, config.diskDir);
    SimCamera again(config);
    UsbHost next(again);
    EXPECT_EQ(next.Send("CDQ"), "DQ02");
    EXPECT_EQ(next.Send("CDR00").substr(18, 2), "01");
}

}  // namespace
}  // namespace camsim::test
