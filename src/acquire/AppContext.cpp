#include "acquire/AppContext.h"

#include "camsim/SimCamera.h"

namespace scanora {

std::unique_ptr<AppContext> AppContext::Create(std::string_view cameraSpec, UiPort& ui,
                                               std::string& error, CameraOptions options)
{
    CameraConnection connection;
    if (!ParseCameraSpec(cameraSpec, connection, error))
        return nullptr;
    return std::make_unique<AppContext>(std::move(connection), ui, options);
}

AppContext::AppContext(CameraConnection connection, UiPort& ui, CameraOptions options)
    : ui_(ui), connection_(std::move(connection))
{
    camera_ = std::make_unique<QVCamera>(std::move(connection_.links), ui_, options);
}

AppContext::~AppContext()
{
    camera_.reset();
}

}  // namespace scanora
