#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "camera/CameraErrorRecord.h"

namespace scanora {

// One command exchange as its caller saw it: whether the reply was accepted, and the reply
// itself. It belongs to this exchange whatever other threads send to the camera meanwhile, so
// a caller parses it rather than the camera's last reply text.
struct CameraReply {
    bool accepted = false;
    // The reply text: empty after a failure or an error reply, kept when its prefix was wrong.
    std::string text;
    // Every byte the transport delivered for an accepted reply, carriage returns and NULs inside
    // it included (a binary reply such as the focus window's samples); empty otherwise. Its size
    // is what arrived: a short reply is short here too.
    std::vector<std::uint8_t> bytes;
    // How the exchange failed; None also when it never reached the camera (no camera, or the
    // camera stayed busy with another thread's exchange).
    CameraErrorKind failure = CameraErrorKind::None;
    // The code of an "#E" reply; 0 otherwise.
    std::uint16_t cameraError = 0;

    // The camera did not answer, or its answer did not arrive: the link is in doubt.
    [[nodiscard]] bool LinkFailed() const
    {
        return failure == CameraErrorKind::Timeout || failure == CameraErrorKind::TransportFailure;
    }
};

}  // namespace scanora
