#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "camera/QVCamera.h"
#include "camsim/SimCamera.h"
#include "camsim/SimConfig.h"
#include "platform/SimulatorLink.h"

namespace scanora::test {

// Makes the in-process simulated camera (model 6, no delays) and connects the host's camera
// object to it over `link` ("usb" or "scsi"), polling replies every millisecond.
inline void ConnectSimulatedCamera(const std::string& link, UiPort& ui,
                                   std::unique_ptr<camsim::SimCamera>& sim,
                                   std::unique_ptr<QVCamera>& camera)
{
    camsim::SimConfig config;
    std::string error;
    ASSERT_TRUE(camsim::ParseSimConfig("speed=0,model=6,link=" + link, config, error)) << error;
    sim = std::make_unique<camsim::SimCamera>(std::move(config));
    CameraLinks links;
    links.scsi = MakeSimulatorScsiFinder(*sim);
    links.usb = MakeSimulatorUsbFinder(*sim);
    links.usbCommandDelay = std::chrono::microseconds(0);
    camera = std::make_unique<QVCamera>(std::move(links), ui,
                                        CameraOptions{std::chrono::milliseconds(1)});
    ASSERT_TRUE(camera->IsConnected());
}

}  // namespace scanora::test
