#include "cameradisk/DiskInitialisation.h"

#include "camera/QVCamera.h"
#include "platform/UiPort.h"

namespace scanora {

DiskInitialisation::DiskInitialisation(QVCamera& camera, UiPort& ui) : camera_(camera), ui_(ui)
{
}

DiskInitialisation::Outcome DiskInitialisation::Run()
{
    const MessageResult answer =
        ui_.ShowMessage(kWarningText, MessageIcon::Exclamation, MessageButtons::YesNo);
    if (answer != MessageResult::Yes)
        return Outcome::Declined;
    return camera_.InitializeDisk() ? Outcome::Erased : Outcome::Failed;
}

}  // namespace scanora
