#include "camera/CameraDiagnostics.h"

#include <cstdio>

#include "camera/QVCamera.h"

namespace scanora {
namespace {

constexpr std::size_t kPrefixLength = 2;
constexpr std::size_t kVersionDigits = 4;

unsigned DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    return 0;
}

}  // namespace

CameraDiagnostics::CameraDiagnostics(QVCamera& camera) : camera_(camera), carriage_(camera)
{
}

std::string CameraDiagnostics::ReadVersion()
{
    return VersionField(camera_.GetVersionText());
}

std::string CameraDiagnostics::VersionField(std::string_view reply)
{
    if (reply.empty())
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.2f\n", VersionDigits(reply) / 100.0);
    return text;
}

unsigned CameraDiagnostics::VersionDigits(std::string_view reply)
{
    unsigned value = 0;
    for (std::size_t i = 0; i < kVersionDigits; ++i) {
        const std::size_t at = kPrefixLength + i;
        value = value * 16 + (at < reply.size() ? DigitValue(reply[at]) : 0);
    }
    return value;
}

bool CameraDiagnostics::MoveCarriage(std::uint16_t position)
{
    // The test positions are the carriage's, whatever motor a stage left selected.
    return camera_.SetAuxMode(false) && carriage_.MoveCarriage(position);
}

bool CameraDiagnostics::HomeCarriage()
{
    return camera_.SetAuxMode(false) && carriage_.HomeCarriage();
}

CameraReply CameraDiagnostics::SendTyped(std::string_view typed)
{
    if (typed.empty())
        return {};
    return camera_.Exchange(std::string(typed) + "\r", {}, kTypedCommandTicks);
}

}  // namespace scanora
