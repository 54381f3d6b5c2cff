#include "support/FakeDevices.h"

#include <algorithm>
#include <cstring>

namespace scanora::test {

int FakeBulkDevice::BulkWrite(std::span<const std::uint8_t> data)
{
    if (shared_->gone)
        return -1;
    shared_->writes.emplace_back(data.begin(), data.end());
    return static_cast<int>(data.size());
}

int FakeBulkDevice::BulkRead(std::span<std::uint8_t> buffer)
{
    const int index = static_cast<int>(shared_->readSizes.size());
    shared_->readSizes.push_back(buffer.size());
    if (shared_->gone || (shared_->failReadsFrom >= 0 && index >= shared_->failReadsFrom))
        return -1;
    std::fill(buffer.begin(), buffer.end(), 0);
    if (shared_->reads.empty())
        return static_cast<int>(buffer.size());
    const Bytes answer = std::move(shared_->reads.front());
    shared_->reads.pop_front();
    const std::size_t n = std::min(answer.size(), buffer.size());
    std::copy_n(answer.begin(), n, buffer.begin());
    return static_cast<int>(n);
}

std::unique_ptr<BulkDevice> FakeBulkFinder::Open(DeviceError& why)
{
    if (searches_)
        ++*searches_;
    if (!present_) {
        why = {DeviceError::Kind::NotPresent, "No camera found on USB."};
        return nullptr;
    }
    why = {};
    return std::make_unique<FakeBulkDevice>(shared_);
}

std::unique_ptr<LinkWatch> FakeBulkFinder::WatchLink(LinkChanged changed)
{
    // Ends the reports when it goes, as a real watch does.
    class Watch final : public LinkWatch {
    public:
        explicit Watch(std::shared_ptr<FakeBulkDevice::Shared> shared) : shared_(std::move(shared))
        {
        }
        ~Watch() override { shared_->watcher = nullptr; }

    private:
        std::shared_ptr<FakeBulkDevice::Shared> shared_;
    };
    shared_->watcher = std::move(changed);
    return std::make_unique<Watch>(shared_);
}

ScsiResult FakeScsiDevice::Execute(const ScsiRequest& request)
{
    Request record{Bytes(request.cdb.begin(), request.cdb.end()),
                   request.dataIn,
                   request.length,
                   request.timeoutSeconds,
                   {}};
    if (!request.dataIn && request.data)
        record.dataOut.assign(request.data, request.data + request.length);
    shared_->requests.push_back(std::move(record));
    if (shared_->handler)
        return shared_->handler(request);
    if (request.dataIn && request.data)
        std::memset(request.data, 0, request.length);
    return {0, request.length};
}

void FakeScsiFinder::Add(std::string name, std::shared_ptr<FakeScsiDevice::Shared> device)
{
    devices_.emplace_back(std::move(name), std::move(device));
}

std::vector<std::string> FakeScsiFinder::Candidates()
{
    std::vector<std::string> names;
    for (const auto& [name, device] : devices_) names.push_back(name);
    return names;
}

std::unique_ptr<ScsiDevice> FakeScsiFinder::Open(const std::string& name, DeviceError& why)
{
    for (const auto& [candidate, device] : devices_) {
        if (candidate == name) {
            why = {};
            return std::make_unique<FakeScsiDevice>(device);
        }
    }
    why = {DeviceError::Kind::NotPresent, name + " is not there"};
    return nullptr;
}

Bytes InquiryAnswer(const std::string& vendor, const std::string& revision)
{
    Bytes answer(36, 0);
    std::memcpy(answer.data() + 8, vendor.data(), std::min<std::size_t>(vendor.size(), 8));
    std::memcpy(answer.data() + 16, "DIGITAL BACK    ", 16);
    std::memcpy(answer.data() + 32, revision.data(), std::min<std::size_t>(revision.size(), 4));
    return answer;
}

}  // namespace scanora::test
