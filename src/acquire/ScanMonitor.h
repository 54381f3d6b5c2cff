#pragma once

#include "platform/MLooper.h"

namespace scanora {

class CaptureSequence;

// The scan monitor: the capture sequence's looper, one round every 250 ms while a scan runs.
class ScanMonitor final : public MLooper {
public:
    explicit ScanMonitor(CaptureSequence& sequence) : sequence_(sequence) {}
    ~ScanMonitor() override { StopAndWait(); }
    ScanMonitor(const ScanMonitor&) = delete;
    ScanMonitor& operator=(const ScanMonitor&) = delete;

    void Iterate() override;

private:
    CaptureSequence& sequence_;
};

}  // namespace scanora
