#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cameradisk/RetrievalFormat.h"
#include "platform/JsonEvents.h"

namespace scanora {
class AppContext;
}

namespace scanora::ui {

class FileManagerHost;
class QVMainFrame;
class QtUiPort;

// The session bus's calls on the camera's disk: its listing, and retrieving images into a
// folder. They run as the file manager's own work does, on a worker holding the camera disk
// with the capture controls off meanwhile, and are refused while a capture runs. A retrieval
// reports as events ("get", as scanora-cli --json get prints them): its start, status texts,
// transfers and progress, the messages the user is shown, and its result. The photographer
// sees it in the status bar.
class BusDiskCalls {
public:
    // The answer to a call, on the GUI thread: the JSON, or the error's message.
    using Answer = std::function<void(bool ok, const std::string& text)>;

    // `lines` takes every event line, from any thread.
    BusDiskCalls(AppContext& app, QVMainFrame& frame, QtUiPort& ui, JsonEvents::LineSink lines);
    ~BusDiskCalls();
    BusDiskCalls(const BusDiskCalls&) = delete;
    BusDiskCalls& operator=(const BusDiskCalls&) = delete;

    // Reads the directory; the listing (as scanora-cli --json ls prints it) to `answer`.
    // Returns why it was refused, or empty.
    std::string List(Answer answer);
    // Retrieves the images at `slots` into `folder` (made when missing; empty: where automatic
    // saving puts them) in `mode`, asking before a file is replaced. Returns why it was
    // refused, or empty once it has started.
    std::string Retrieve(std::vector<std::uint16_t> slots, std::filesystem::path folder,
                         RetrievalMode mode);
    // Stops a retrieval after its current block.
    void Cancel();
    // Whether the window's File Manager or a call of a script has the camera's disk.
    [[nodiscard]] bool DiskInUse() const;

    // A call's arguments checked: why they are wrong, or empty.
    [[nodiscard]] static std::string CheckSlots(const std::vector<std::uint32_t>& slots);

private:
    [[nodiscard]] FileManagerHost& Host() const;

    AppContext& app_;
    QVMainFrame& frame_;
    QtUiPort& ui_;
    // Shared with a running job, which may outlast this object while the program closes.
    std::shared_ptr<JsonEvents> events_;
    // A job's continuation runs only while this lives (its weak pointers say so).
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

}  // namespace scanora::ui
