#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <string_view>

namespace scanora {

// The named temporary files this process is writing right now, kept where a signal handler can
// reach them: a program ended by SIGTERM, SIGHUP or a second Ctrl+C removes them on its way out
// instead of leaving hidden half-written files behind. The table is process-wide by nature (a
// signal handler reaches nothing else) and of a fixed size; it takes no lock and allocates
// nothing, so RemoveAll may run inside a handler. A file that finds no free entry is only left
// to the sweep of the next program that writes into its folder.
class LiveTemporaryFiles {
public:
    static constexpr std::size_t kEntries = 16;
    static constexpr std::size_t kMaxPath = 4096;

    // Enters `path`; returns the entry to give back to Remove, or -1 when none was free or the
    // path is too long.
    static int Add(std::string_view path);
    // Takes the entry out again (the file was renamed into place or removed). -1 does nothing.
    static void Remove(int entry);
    // Unlinks every file entered and not removed, and frees the entries. Async-signal-safe.
    static void RemoveAll();
    // The entries in use (for tests).
    static std::size_t Count();

private:
    enum State : int { kFree = 0, kBusy = 1, kLive = 2 };
    struct Entry {
        std::atomic<int> state{kFree};
        std::array<char, kMaxPath> path{};
    };
    static std::array<Entry, kEntries> entries_;
};

}  // namespace scanora
