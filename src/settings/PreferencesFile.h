#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/OutputStream.h"
#include "settings/CurveSetting.h"
#include "settings/ExposureSetting.h"
#include "settings/HistogramSetting.h"
#include "settings/PreferenceTargets.h"
#include "settings/SizeSetting.h"

namespace scanora {

class LineReader;
class QVCameraSetting;
class SettingLists;
class SettingTools;

// The records of a current-state block: the state of the four tools, not list entries. A
// record that is absent is not applied.
struct CurrentStateRecords {
    std::unique_ptr<SizeSetting> size;
    std::unique_ptr<ExposureSetting> exposure;
    std::unique_ptr<CurveSetting> curve;
    std::unique_ptr<HistogramSetting> histogram;
};

// What reading a preferences file found.
struct SettingsFileReport {
    bool opened = false;  // the file was there and was read
    std::size_t sizeRecords = 0;
    std::size_t exposureRecords = 0;
    std::size_t curveRecords = 0;
    std::size_t histogramRecords = 0;
    bool cameraSection = false;
    std::vector<std::string> currentState;  // "size", "exposure", ... as the block held them
    bool endLine = false;                   // "EndSettingFile" was reached
    bool defaultsCreated = false;           // nothing was read: the five defaults were made
    // Why a file that is there could not be read (a folder, no permission), or could not be
    // replaced with the built-in text, in words; empty when all went well. A missing file is
    // no error: the program starts from its defaults.
    std::string fileError;
    // What could not be read as written: sections the file ends inside, entries beyond what a
    // list holds, a file cut off at the size limit.
    std::vector<std::string> problems;
    std::vector<std::string> unknownSections;  // Begin lines of kinds this program has not

    [[nodiscard]] std::size_t ListRecords() const
    {
        return sizeRecords + exposureRecords + curveRecords + histogramRecords;
    }
};

// The preferences file as a whole: the header, the four setting lists, the preferences record
// and the state of the tools, read into and written from the program's lists and tools. A file
// is read from the top to its "EndSettingFile" line; each read appends to the lists. When
// nothing at all could be read the lists get the program's five defaults.
class PreferencesFile {
public:
    static constexpr std::string_view kHeader = "Qorvane Scanora Settings File";
    static constexpr std::string_view kBuiltInVersion = "Version: 7.4.3 Jul 23 2009";
    static constexpr std::string_view kDefaultName = "Default Setting";
    static constexpr std::string_view kNone14Name = "None 14 bit";
    // A preferences file is a few kilobytes; a larger one is read only this far.
    static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

    // Reads into and writes from the lists, the preferences record and the tools; the targets
    // are what the preferences record is gathered from and applied to.
    PreferencesFile(SettingLists& lists, QVCameraSetting& camera, SettingTools& tools,
                    const PreferenceTargets& targets);

    // "Version: 0.1.0 - Jul 23 2009": the program's version and build date.
    [[nodiscard]] static std::string ProgramVersionText();
    // The version text the header line carries.
    void SetVersionText(std::string text) { versionText_ = std::move(text); }
    // The folder the built-in file gives for automatic saving.
    void SetBuiltInFolder(std::string folder) { builtInFolder_ = std::move(folder); }
    // The windows the preferences record is gathered from and shown in from now on (null:
    // none).
    void AttachDisplays(PreferenceDisplays* displays) { targets_.displays = displays; }

    // Reads the file at `path`; with `skip`, or when the file can not be opened, nothing is
    // read and the defaults are made.
    SettingsFileReport ReadSettingsFile(const std::filesystem::path& path, bool skip = false);
    // Reads a settings text, then selects the current entry of each list and applies the
    // current-state block.
    SettingsFileReport ReadSettings(std::string_view text);

    // Writes the whole file safely: until the new file is complete the old one stays. False
    // when it could not be written (nothing is left behind then; `error` says why).
    bool WriteSettingsFile(const std::filesystem::path& path, std::string* error = nullptr);
    // Gathers the preferences record and the tools' state and writes the file's text.
    void WriteSettings(OutputStream& out);
    // Replaces the file at `path` with the built-in text.
    bool WriteBuiltInDefaults(const std::filesystem::path& path,
                              std::string* error = nullptr) const;

    // Writes a settings text of the given content.
    static void WriteContent(OutputStream& out, std::string_view versionText,
                             const SettingLists& lists, const QVCameraSetting& camera,
                             const CurrentStateRecords& current);

private:
    // Reads a record section into the list or, inside the current-state block, as the pending
    // state of its tool.
    template <typename Record>
    void ReadRecord(LineReader& in, bool inCurrentState, std::unique_ptr<Record>& pending,
                    std::size_t& listed, SettingsFileReport& report);
    void CreateDefaults();
    void ApplyCurrentState(CurrentStateRecords& pending);

    SettingLists& lists_;
    QVCameraSetting& camera_;
    SettingTools& tools_;
    PreferenceTargets targets_;
    std::string versionText_ = ProgramVersionText();
    std::string builtInFolder_;
};

}  // namespace scanora
