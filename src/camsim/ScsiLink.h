#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "camsim/CameraController.h"
#include "camsim/LinkRequest.h"

namespace camsim {

// The camera's end of the SCSI link: one CDB with its data phase per request, answered with a
// status code (ScsiStatus) and the data bytes moved. Data-in phases deliver at most what the
// host's buffer holds; data-out phases must be exactly as long as the CDB says.
class ScsiLink {
public:
    static constexpr std::size_t kIdentificationLength = 36;

    explicit ScsiLink(CameraController& camera);

    int Execute(std::span<const std::uint8_t> cdb, bool dataIn, std::uint8_t* data,
                std::size_t length, std::size_t& transferred);

private:
    // The INQUIRY answer: vendor "Qorvanix", the model's product text, the revision.
    [[nodiscard]] std::array<std::uint8_t, kIdentificationLength> Identification() const;
    int ReadPhase(const LinkRequest& request, std::span<std::uint8_t> data,
                  std::size_t& transferred);
    int WritePhase(const LinkRequest& request, std::span<const std::uint8_t> data,
                   std::size_t& transferred);

    CameraController& camera_;
};

}  // namespace camsim
