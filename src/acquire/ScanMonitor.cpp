#include "acquire/ScanMonitor.h"

#include "acquire/CaptureSequence.h"

namespace scanora {

void ScanMonitor::Iterate()
{
    sequence_.MonitorStep();
}

}  // namespace scanora
