#pragma once

#include <cstddef>
#include <cstdint>

namespace camsim {

// One operation the host asked of the camera, decoded from a USB command block or a SCSI CDB.
struct LinkRequest {
    enum class Kind {
        Identify,    // SCSI INQUIRY
        Text,        // a command text (the data phase is the text)
        ReplyReady,  // the 6-byte reply-ready answer
        ReplyRead,   // the reply text
        LineRead,    // lines of a running prescan
        DiskRead,    // image bytes from the camera disk
        TableWrite,  // one 8192-byte lookup-table plane
        BlockRead,   // one 512-byte storage block
        BlockWrite,
    };

    Kind kind = Kind::Text;
    std::size_t length = 0;     // bytes of the data phase
    std::uint8_t selector = 0;  // DiskRead: the image's header block address; Block*: block index
    std::uint64_t offset = 0;   // DiskRead: byte offset within the image

    // True when the data phase runs from the camera to the host.
    [[nodiscard]] bool IsDataIn() const
    {
        return kind != Kind::Text && kind != Kind::TableWrite && kind != Kind::BlockWrite;
    }
};

}  // namespace camsim
