#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/BulkDevice.h"
#include "platform/ScsiDevice.h"

namespace scanora::test {

using Bytes = std::vector<std::uint8_t>;

// A USB device that records every bulk OUT transfer and answers bulk IN transfers from a queue
// (an empty queue answers with zeros of the requested size).
class FakeBulkDevice final : public BulkDevice {
public:
    struct Shared {
        std::vector<Bytes> writes;
        std::vector<std::size_t> readSizes;
        std::deque<Bytes> reads;  // answers for the next reads, in order
        int failReadsFrom = -1;   // the read with this index and all later ones fail
        bool gone = false;
        std::uint8_t bus = 1;  // where the device sits on the USB bus
        std::uint8_t address = 2;
        LinkChanged watcher;  // what a link watch made by the finder reports to
    };

    explicit FakeBulkDevice(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

    int BulkWrite(std::span<const std::uint8_t> data) override;
    int BulkRead(std::span<std::uint8_t> buffer) override;
    [[nodiscard]] bool IsGone() const override { return shared_->gone; }
    [[nodiscard]] bool IsAt(std::uint8_t bus, std::uint8_t address) const override
    {
        return bus == shared_->bus && address == shared_->address;
    }

private:
    std::shared_ptr<Shared> shared_;
};

// A finder handing out FakeBulkDevices over one shared record; counts its searches.
class FakeBulkFinder final : public BulkDeviceFinder {
public:
    explicit FakeBulkFinder(std::shared_ptr<FakeBulkDevice::Shared> shared, bool present = true,
                            int* searches = nullptr)
        : shared_(std::move(shared)), present_(present), searches_(searches)
    {
    }
    std::unique_ptr<BulkDevice> Open(DeviceError& why) override;
    // A watch whose reports the test sends through the shared record's `watcher`.
    std::unique_ptr<LinkWatch> WatchLink(LinkChanged changed) override;
    bool* PresentFlag() { return &present_; }

private:
    std::shared_ptr<FakeBulkDevice::Shared> shared_;
    bool present_;
    int* searches_;
};

// A SCSI device that records every request and answers through a handler.
class FakeScsiDevice final : public ScsiDevice {
public:
    struct Request {
        Bytes cdb;
        bool dataIn;
        std::uint32_t length;
        std::uint32_t timeoutSeconds;
        Bytes dataOut;
    };
    using Handler = std::function<ScsiResult(const ScsiRequest&)>;
    struct Shared {
        std::vector<Request> requests;
        Handler handler;  // null: success, full length, zero data
    };

    explicit FakeScsiDevice(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
    ScsiResult Execute(const ScsiRequest& request) override;

private:
    std::shared_ptr<Shared> shared_;
};

// A finder with named candidates, each with its own recorded device.
class FakeScsiFinder final : public ScsiDeviceFinder {
public:
    void Add(std::string name, std::shared_ptr<FakeScsiDevice::Shared> device);
    std::vector<std::string> Candidates() override;
    std::unique_ptr<ScsiDevice> Open(const std::string& name, DeviceError& why) override;

private:
    std::vector<std::pair<std::string, std::shared_ptr<FakeScsiDevice::Shared>>> devices_;
};

// The 36-byte INQUIRY answer of a device with this vendor and revision text.
Bytes InquiryAnswer(const std::string& vendor, const std::string& revision);

}  // namespace scanora::test
