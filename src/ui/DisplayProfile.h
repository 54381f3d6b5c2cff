#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <vector>

class QScreen;
class QWidget;

namespace scanora {

// The colour profiles of the screens the preview is shown on, as ICC bytes; no bytes mean sRGB.
// A profile file named by the SCANORA_DISPLAY_PROFILE environment variable stands for every
// screen. Otherwise, on X11, the profile a colour manager put on the root window is used:
// "_ICC_PROFILE" for the first screen, "_ICC_PROFILE_n" for screen n. Each screen's profile is
// read once and kept until Forget().
class DisplayProfile {
public:
    static constexpr const char* kEnvironmentVariable = "SCANORA_DISPLAY_PROFILE";
    // Larger files are not display profiles; they are not read.
    static constexpr qint64 kMaxProfileBytes = 64 * 1024 * 1024;

    // The profile of the screen `widget` is on.
    const std::vector<std::uint8_t>& ForWidget(const QWidget& widget);
    // The profile of `screen`; the primary screen's for none.
    const std::vector<std::uint8_t>& ForScreen(const QScreen* screen);
    // Drops the profiles read so far, so that the next call reads them again.
    void Forget() { profiles_.clear(); }

private:
    static std::vector<std::uint8_t> Read(const QScreen* screen);
    // The bytes of `path`; none when it cannot be read or is too large.
    static std::vector<std::uint8_t> ReadFile(const QString& path);
    // The root window's profile for X screen `number`; none without X11.
    static std::vector<std::uint8_t> ReadX11(int number);

    std::map<QString, std::vector<std::uint8_t>> profiles_;
};

}  // namespace scanora
