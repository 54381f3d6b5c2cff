#include "platform/LiveTemporaryFiles.h"

#include <unistd.h>

#include <algorithm>

namespace scanora {

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free flags");

std::array<LiveTemporaryFiles::Entry, LiveTemporaryFiles::kEntries> LiveTemporaryFiles::entries_;

int LiveTemporaryFiles::Add(std::string_view path)
{
    if (path.empty() || path.size() >= kMaxPath)
        return -1;
    for (std::size_t i = 0; i < kEntries; ++i) {
        Entry& entry = entries_[i];
        int expected = kFree;
        if (!entry.state.compare_exchange_strong(expected, kBusy))
            continue;
        std::copy(path.begin(), path.end(), entry.path.begin());
        entry.path[path.size()] = '\0';
        entry.state.store(kLive);
        return static_cast<int>(i);
    }
    return -1;
}

void LiveTemporaryFiles::Remove(int entry)
{
    if (entry < 0 || static_cast<std::size_t>(entry) >= kEntries)
        return;
    // An entry the handler has taken stays taken: the program is ending, and the handler may
    // still be reading its path.
    int expected = kLive;
    entries_[static_cast<std::size_t>(entry)].state.compare_exchange_strong(expected, kFree);
}

void LiveTemporaryFiles::RemoveAll()
{
    for (Entry& entry : entries_) {
        int expected = kLive;
        // Taken for good, so that no other thread refills the path while it is read here.
        if (entry.state.compare_exchange_strong(expected, kBusy)) {
            ::unlink(entry.path.data());
            entry.state.store(kFree);
        }
    }
}

std::size_t LiveTemporaryFiles::Count()
{
    return static_cast<std::size_t>(std::count_if(
        entries_.begin(), entries_.end(), [](const auto& e) { return e.state.load() != kFree; }));
}

}  // namespace scanora
