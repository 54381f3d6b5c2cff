#pragma once

#include <string_view>

namespace scanora {

class QVCamera;
class UiPort;

// Erases the camera disk after the user has agreed to the warning.
class DiskInitialisation {
public:
    static constexpr std::string_view kWarningText =
        "WARNING, all data on camera hard drive will be lost !!";

    enum class Outcome { Declined, Erased, Failed };

    DiskInitialisation(QVCamera& camera, UiPort& ui);

    // Shows the warning with Yes and No; on Yes sends "CDI".
    Outcome Run();

private:
    QVCamera& camera_;
    UiPort& ui_;
};

}  // namespace scanora
