// Feeds arbitrary bytes to the preferences file reader, as a file found at start-up or opened
// from the menu: the lists, the preferences record and the current state must take them without
// reading out of bounds, and whatever was read must be written out and read back again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "context/HeldSettingTools.h"
#include "platform/OutputStream.h"
#include "platform/UiPort.h"
#include "settings/PreferencesFile.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"

namespace {

using namespace scanora;

// The settings of a program without windows, as the command-line program has them.
struct Settings {
    SilentUiPort ui;
    QVSize size{SensorGeometry{}, ui};
    HeldSettingTools tools{size};
    SettingLists lists;
    QVCameraSetting camera;
    PreferencesFile file{lists, camera, tools, {&lists, &size, &tools, nullptr, nullptr}};

    std::string ReadAndWrite(std::string_view text)
    {
        file.ReadSettings(text);
        MemoryOutputStream out;
        file.WriteSettings(out);
        return std::string(out.Text());
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Settings first;
    const std::string written = first.ReadAndWrite(text);
    Settings second;
    second.ReadAndWrite(written);
    return 0;
}
