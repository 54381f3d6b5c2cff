#pragma once

#include <filesystem>
#include <string>

#include "cameradisk/RetrievalFormat.h"
#include "cameradisk/RetrievalMetadata.h"
#include "cameradisk/RetrievalTools.h"

namespace scanora {

// Everything a retrieval takes from the preferences, the current curve and the camera, gathered
// once by the caller (the file manager, the after-scan step, the terminal).
struct RetrievalSettings {
    RetrievalChoice choice;
    // "Auto save" with "SaveScansFolder": files go to the folder under the image's name.
    bool autoSave = false;
    std::filesystem::path saveScansFolder;
    // The automatic file's name with its extension, in place of the image's name (the terminal's
    // "scan --retrieve FILE"); empty: the image's name. Numbered like any other when taken.
    std::string saveScansFileName;
    // "Open after transfer" with "OpenWithApplicationName".
    bool openAfter = false;
    std::string openWithApplication;
    RetrievalMetadataOptions metadata;

    // From the program's state: the preferences, the output geometry's resolution, the current
    // curve setting, the camera's model name and serial number, and the DNG calibration with the
    // "DNGColor" file of `programFolder` (none when empty). The output mode and depth are the
    // file manager's defaults ("saved with scan", 8 bits).
    [[nodiscard]] static RetrievalSettings From(const RetrievalTools& tools,
                                                const std::filesystem::path& programFolder);

    // A retrieval a script asks for (scanora-cli get, Retrieve on the session bus): `mode`, and
    // `depth` 8 or 16, or 0 for the mode's own (the tone panel's curve depth for a tone-panel
    // retrieval, else as each scan was taken). Opening the files is left to the script.
    void ChooseForScript(RetrievalMode mode, int depth, bool toneCurveIs16Bit);
};

}  // namespace scanora
