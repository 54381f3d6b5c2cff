#include "platform/MThreadSafe.h"

namespace scanora {

MThreadSafe::MThreadSafe(int defaultTimeoutMs) : defaultTimeoutMs_(defaultTimeoutMs)
{
}

bool MThreadSafe::Lock(int ms)
{
    return lock_.Lock(ms < 0 ? defaultTimeoutMs_ : ms);
}

bool MThreadSafe::Unlock()
{
    return lock_.Unlock();
}

}  // namespace scanora
