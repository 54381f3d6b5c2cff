#pragma once

// The host's side of the disk exchanges over either link: commands with their replies, header
// block reads and writes, and the data reads of an image in chunks, each as the host's transport
// sends them (USB: one block and one bulk IN per chunk; SCSI: pieces of 128 units).

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "CaptureTestHelpers.h"
#include "camsim/SimCamera.h"

namespace camsim::test {

class DiskHost {
public:
    static constexpr std::size_t kChunkUnits = 6144;  // 3 MiB
    static constexpr std::size_t kChunkBytes = kChunkUnits * 512;

    virtual ~DiskHost() = default;
    // The reply to `text`; empty when the exchange failed.
    virtual std::string Send(const std::string& text) = 0;
    // Chunk `chunk` of `units` × 512 bytes of the image at `block`; empty when the read failed.
    Bytes ReadChunk(std::uint8_t block, std::uint16_t chunk, std::size_t units = kChunkUnits)
    {
        return ReadData(block, chunk, units);
    }
    virtual Bytes ReadHeader(std::uint8_t block) = 0;
    virtual bool WriteHeader(std::uint8_t block, const Bytes& header) = 0;

    // The free megabytes of the status reply (its fifth word).
    unsigned FreeMegabytes()
    {
        const std::string status = Send("CS");
        EXPECT_EQ(status.size(), 26u) << status;
        return status.size() == 26
                   ? static_cast<unsigned>(std::stoul(status.substr(22), nullptr, 16))
                   : 0;
    }

protected:
    virtual Bytes ReadData(std::uint8_t block, std::uint16_t chunk, std::size_t units) = 0;
};

class UsbDiskHost : public DiskHost {
public:
    explicit UsbDiskHost(SimCamera& camera) : camera_(camera), host_(camera) {}

    std::string Send(const std::string& text) override
    {
        Bytes transfer{0x0D, 0x00, 0x00, static_cast<std::uint8_t>(text.size() + 1), 0, 0, 0, 0};
        transfer.insert(transfer.end(), text.begin(), text.end());
        transfer.push_back('\r');
        if (BulkOut(camera_, transfer) != static_cast<int>(transfer.size()))
            return {};
        return host_.Waiting() ? host_.Reply() : std::string();
    }
    Bytes ReadData(std::uint8_t block, std::uint16_t chunk, std::size_t units) override
    {
        const Bytes command{
            0x28,  0x80, static_cast<std::uint8_t>(units >> 8), static_cast<std::uint8_t>(units),
            block, 0,    static_cast<std::uint8_t>(chunk >> 8), static_cast<std::uint8_t>(chunk)};
        if (BulkOut(camera_, command) != 8)
            return {};
        return BulkIn(camera_, units * 512);
    }
    Bytes ReadHeader(std::uint8_t block) override
    {
        if (BulkOut(camera_, {0x28, 0x83, 0x00, 0x01, block, 0, 0, 0}) != 8)
            return {};
        return BulkIn(camera_, 512);
    }
    bool WriteHeader(std::uint8_t block, const Bytes& header) override
    {
        return host_.WriteHeader(block, header);
    }

private:
    SimCamera& camera_;
    UsbHost host_;
};

class ScsiDiskHost : public DiskHost {
public:
    static constexpr std::size_t kPieceUnits = 128;

    explicit ScsiDiskHost(SimCamera& camera) : camera_(camera) {}

    std::string Send(const std::string& text) override
    {
        Bytes data(text.begin(), text.end());
        data.push_back('\r');
        if (Run({0x0D, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(data.size()), 0x00}, false,
                data) != 0)
            return {};
        Bytes ready(6);
        if (Run({0x0E, 0x01, 0x00, 0x00, 0x06, 0x00}, true, ready) != 0 || (ready[0] & 0x10) == 0)
            return {};
        Bytes reply(1024);
        if (Run({0x0E, 0x00, 0x00, 0x04, 0x00, 0x00}, true, reply) != 0)
            return {};
        std::string answer;
        for (const std::uint8_t byte : reply) {
            if (byte == '\r' || byte == 0)
                break;
            answer.push_back(static_cast<char>(byte));
        }
        return answer;
    }
    Bytes ReadData(std::uint8_t block, std::uint16_t chunk, std::size_t units) override
    {
        Bytes data;
        const std::uint64_t start = std::uint64_t{chunk} * units * 512;
        for (std::size_t done = 0; done < units; done += kPieceUnits) {
            const std::uint64_t offset = start + done * 512;
            Bytes piece(std::min(kPieceUnits, units - done) * 512);
            const Bytes cdb{0x28,
                            0x00,
                            0x80,
                            0x00,
                            block,
                            static_cast<std::uint8_t>(offset >> 24),
                            static_cast<std::uint8_t>(offset >> 16),
                            0x00,
                            0x80,
                            0x00};
            if (Run(cdb, true, piece) != 0)
                return {};
            data.insert(data.end(), piece.begin(), piece.end());
        }
        return data;
    }
    Bytes ReadHeader(std::uint8_t block) override
    {
        Bytes header(512);
        const int status = Run({0x28, 0x00, 0x83, 0x00, block, 0, 0, 0, 0x01, 0x00}, true, header);
        return status == 0 ? header : Bytes();
    }
    bool WriteHeader(std::uint8_t block, const Bytes& header) override
    {
        Bytes data = header;
        return Run({0x2A, 0x00, 0x83, 0x00, block, 0, 0, 0, 0x01, 0x00}, false, data) == 0;
    }

private:
    int Run(const Bytes& cdb, bool dataIn, Bytes& data)
    {
        std::size_t moved = 0;
        return camera_.ScsiCommand(cdb.data(), cdb.size(), dataIn, data.data(), data.size(), moved);
    }

    SimCamera& camera_;
};

inline std::unique_ptr<DiskHost> MakeDiskHost(SimCamera& camera)
{
    if (camera.Config().link == SimLink::Scsi)
        return std::make_unique<ScsiDiskHost>(camera);
    return std::make_unique<UsbDiskHost>(camera);
}

}  // namespace camsim::test
