#include "camsim/SimConfig.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>

namespace camsim {

namespace {

constexpr unsigned kMaxSlowMilliseconds = 600000;  // ten minutes
constexpr unsigned kMaxUnplugMilliseconds = 600000;
constexpr std::size_t kMaxFaultCommandLength = 32;

std::string Quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

// The whole of `text` as an unsigned number in `base`, no sign, no blanks.
bool ParseUnsigned(std::string_view text, int base, unsigned long& value)
{
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    return ec == std::errc() && ptr == end;
}

bool ParseModel(std::string_view value, int& model, std::string& error)
{
    unsigned long code = 0;
    if (!ParseUnsigned(value, 10, code) || code < 1 || code > 7) {
        error = "model must be a model code from 1 to 7, not " + Quoted(value);
        return false;
    }
    model = static_cast<int>(code);
    return true;
}

bool ParseLink(std::string_view value, SimLink& link, std::string& error)
{
    if (value == "usb") {
        link = SimLink::Usb;
    } else if (value == "scsi") {
        link = SimLink::Scsi;
    } else {
        error = "link must be usb or scsi, not " + Quoted(value);
        return false;
    }
    return true;
}

bool ParseSpeed(std::string_view value, double& speed, std::string& error)
{
    double parsed = 0.0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, parsed);
    if (value.empty() || ec != std::errc() || ptr != end || !std::isfinite(parsed) ||
        parsed < 0.0) {
        error = "speed must be a number of at least 0 (1 = real time, 0 = no waiting), not " +
                Quoted(value);
        return false;
    }
    speed = parsed;
    return true;
}

// A decimal version "4.14" (at most two decimals) as hundredths: 414 = 0x019E.
bool ParseFirmware(std::string_view value, std::uint16_t& firmware, std::string& error)
{
    const std::size_t dot = value.find('.');
    const std::string_view whole = value.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : value.substr(dot + 1);
    unsigned long major = 0;
    unsigned long minor = 0;
    bool valid = ParseUnsigned(whole, 10, major);
    if (valid && dot != std::string_view::npos) {
        valid = fraction.size() >= 1 && fraction.size() <= 2 && ParseUnsigned(fraction, 10, minor);
        if (fraction.size() == 1)
            minor *= 10;
    }
    constexpr unsigned long kLargest = std::numeric_limits<std::uint16_t>::max();
    if (!valid || major > kLargest / 100 || major * 100 + minor > kLargest) {
        error = "firmware must be a version such as 4.14 (at most 655.35), not " + Quoted(value);
        return false;
    }
    firmware = static_cast<std::uint16_t>(major * 100 + minor);
    return true;
}

bool ParseSerial(std::string_view value, std::uint16_t& serial, std::string& error)
{
    unsigned long parsed = 0;
    if (value.size() > 4 || !ParseUnsigned(value, 16, parsed)) {
        error = "serial must be one to four hexadecimal digits, not " + Quoted(value);
        return false;
    }
    serial = static_cast<std::uint16_t>(parsed);
    return true;
}

bool ParseRevision(std::string_view value, std::string& revision, std::string& error)
{
    bool printable = !value.empty() && value.size() <= 4;
    for (const char c : value) printable = printable && c >= 0x20 && c < 0x7F;
    if (!printable) {
        error =
            "revision must be one to four printable characters such as 4.14, not " + Quoted(value);
        return false;
    }
    revision = std::string(value);
    return true;
}

// The command a fault applies to: the start of a command text, without blanks or separators.
bool ParseFaultCommand(std::string_view command, std::string_view fault, std::string& error)
{
    bool valid = !command.empty() && command.size() <= kMaxFaultCommandLength;
    for (const char c : command)
        valid = valid && c > 0x20 && c < 0x7F && c != ':' && c != '+' && c != ',';
    if (!valid)
        error = "fault " + Quoted(fault) + " needs a command name such as CS";
    return valid;
}

bool ParseOneFault(std::string_view text, SimFault& fault, std::string& error)
{
    const std::size_t colon = text.find(':');
    const std::string_view kind = text.substr(0, colon);
    const std::string_view rest =
        colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    unsigned long number = 0;

    if (kind == "noreply" || kind == "xfer") {
        fault.kind = kind == "noreply" ? SimFault::Kind::NoReply : SimFault::Kind::Transfer;
        if (!ParseFaultCommand(rest, text, error))
            return false;
        fault.command = std::string(rest);
        return true;
    }
    if (kind == "error") {
        fault.kind = SimFault::Kind::Error;
        const std::size_t codeColon = rest.rfind(':');
        const std::string_view command = rest.substr(0, codeColon);
        const std::string_view code =
            codeColon == std::string_view::npos ? std::string_view() : rest.substr(codeColon + 1);
        if (!ParseFaultCommand(command, text, error))
            return false;
        if (code.size() > 4 || !ParseUnsigned(code, 16, number)) {
            error = "fault " + Quoted(text) + " needs a hexadecimal error code, as in error:CS:33";
            return false;
        }
        fault.command = std::string(command);
        fault.value = static_cast<unsigned>(number);
        return true;
    }
    if (kind == "drop") {
        fault.kind = SimFault::Kind::Drop;
        if (!ParseUnsigned(rest, 10, number) || number > std::numeric_limits<unsigned>::max()) {
            error = "fault " + Quoted(text) + " needs a command count, as in drop:5";
            return false;
        }
        fault.value = static_cast<unsigned>(number);
        return true;
    }
    if (kind == "unplug") {
        fault.kind = SimFault::Kind::Unplug;
        const std::size_t colon = rest.find(':');
        const std::string_view count = rest.substr(0, colon);
        const std::string_view away =
            colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        unsigned long milliseconds = 0;
        if (!ParseUnsigned(count, 10, number) || number > std::numeric_limits<unsigned>::max() ||
            !ParseUnsigned(away, 10, milliseconds) || milliseconds > kMaxUnplugMilliseconds) {
            error = "fault " + Quoted(text) + " needs a command count and 0 to " +
                    std::to_string(kMaxUnplugMilliseconds) +
                    " milliseconds away, as in unplug:5:1500";
            return false;
        }
        fault.value = static_cast<unsigned>(number);
        fault.away = static_cast<unsigned>(milliseconds);
        return true;
    }
    if (kind == "dropdata") {
        fault.kind = SimFault::Kind::DropData;
        std::uint64_t bytes = 0;
        const char* end = rest.data() + rest.size();
        const auto [ptr, ec] = std::from_chars(rest.data(), end, bytes);
        if (rest.empty() || rest.front() == '+' || ec != std::errc() || ptr != end) {
            error = "fault " + Quoted(text) + " needs a byte count, as in dropdata:1000000";
            return false;
        }
        fault.bytes = bytes;
        return true;
    }
    if (kind == "stall") {
        fault.kind = SimFault::Kind::Stall;
        if (!ParseUnsigned(rest, 10, number) ||
            number > std::numeric_limits<std::uint16_t>::max()) {
            error = "fault " + Quoted(text) + " needs a line count, as in stall:100";
            return false;
        }
        fault.value = static_cast<unsigned>(number);
        return true;
    }
    if (kind == "slow") {
        fault.kind = SimFault::Kind::Slow;
        if (!ParseUnsigned(rest, 10, number) || number > kMaxSlowMilliseconds) {
            error = "fault " + Quoted(text) + " needs a delay of 0 to " +
                    std::to_string(kMaxSlowMilliseconds) + " milliseconds, as in slow:200";
            return false;
        }
        fault.value = static_cast<unsigned>(number);
        return true;
    }
    error = "unknown fault " + Quoted(text) +
            " (known: noreply:CMD, error:CMD:CODE, xfer:CMD, drop:N, unplug:N:MS, dropdata:BYTES, "
            "slow:MS, stall:LINES)";
    return false;
}

bool ParseSamples(std::string_view value, bool& samples, std::string& error)
{
    if (value == "on" || value == "1") {
        samples = true;
    } else if (value == "off" || value == "0") {
        samples = false;
    } else {
        error = "samples must be on or off, not " + Quoted(value);
        return false;
    }
    return true;
}

// "WxH", each 1..65535.
bool ParseBigImage(std::string_view value, SimConfig& config, std::string& error)
{
    const std::size_t x = value.find('x');
    unsigned long width = 0;
    unsigned long lines = 0;
    if (x == std::string_view::npos || !ParseUnsigned(value.substr(0, x), 10, width) ||
        !ParseUnsigned(value.substr(x + 1), 10, lines) || width < 1 || width > 0xFFFF ||
        lines < 1 || lines > 0xFFFF) {
        error = "bigimage must be WIDTHxLINES, each 1 to 65535, as in 10200x13600, not " +
                Quoted(value);
        return false;
    }
    config.bigImageWidth = static_cast<std::uint32_t>(width);
    config.bigImageLines = static_cast<std::uint32_t>(lines);
    return true;
}

// "D" or "sweep:D:S": D from 0 to 1000 native pixels of blur, S from 0.1 to 3600 seconds.
bool ParseFocus(std::string_view value, SimFocus& focus, std::string& error)
{
    const auto number = [](std::string_view text, double low, double high, double& out) {
        const std::string copy(text);
        char* end = nullptr;
        out = std::strtod(copy.c_str(), &end);
        return !copy.empty() && end == copy.c_str() + copy.size() && out >= low && out <= high;
    };
    SimFocus parsed;
    bool ok = false;
    if (value.starts_with("sweep:")) {
        const std::string_view rest = value.substr(6);
        const std::size_t colon = rest.find(':');
        ok = colon != std::string_view::npos &&
             number(rest.substr(0, colon), 0.0, 1000.0, parsed.defocus) &&
             number(rest.substr(colon + 1), 0.1, 3600.0, parsed.sweepSeconds);
    } else {
        ok = number(value, 0.0, 1000.0, parsed.defocus);
    }
    if (!ok) {
        error =
            "focus must be D (pixels of blur, 0 to 1000) or sweep:D:S (from D pixels through "
            "best focus after S seconds, 0.1 to 3600, and back), not " +
            Quoted(value);
        return false;
    }
    focus = parsed;
    return true;
}

// "C/F": the coarse and fine overshoot of the stage, 0 to 1000 steps each.
bool ParseOvershoot(std::string_view value, SimConfig& config, std::string& error)
{
    constexpr unsigned long kMaxOvershoot = 1000;
    const std::size_t slash = value.find('/');
    unsigned long coarse = 0;
    unsigned long fine = 0;
    if (slash == std::string_view::npos || !ParseUnsigned(value.substr(0, slash), 10, coarse) ||
        !ParseUnsigned(value.substr(slash + 1), 10, fine) || coarse > kMaxOvershoot ||
        fine > kMaxOvershoot) {
        error =
            "overshoot must be COARSE/FINE steps, each 0 to 1000, as in 67/1, not " + Quoted(value);
        return false;
    }
    config.stageCoarseOvershoot = static_cast<int>(coarse);
    config.stageFineOvershoot = static_cast<int>(fine);
    return true;
}

}  // namespace

bool ParseSimFaults(std::string_view text, std::vector<SimFault>& faults, std::string& error)
{
    std::vector<SimFault> parsed;
    while (true) {
        const std::size_t plus = text.find('+');
        const std::string_view item = text.substr(0, plus);
        SimFault fault;
        if (item.empty()) {
            error = "empty fault in the fault list (faults are joined by '+')";
            return false;
        }
        if (!ParseOneFault(item, fault, error))
            return false;
        parsed.push_back(std::move(fault));
        if (plus == std::string_view::npos)
            break;
        text.remove_prefix(plus + 1);
    }
    faults = std::move(parsed);
    return true;
}

bool SetSimConfigKey(std::string_view key, std::string_view value, SimConfig& config,
                     std::string& error)
{
    if (key == "model")
        return ParseModel(value, config.model, error);
    if (key == "link")
        return ParseLink(value, config.link, error);
    if (key == "speed")
        return ParseSpeed(value, config.speed, error);
    if (key == "firmware")
        return ParseFirmware(value, config.firmware, error);
    if (key == "serial")
        return ParseSerial(value, config.serial, error);
    if (key == "revision")
        return ParseRevision(value, config.revision, error);
    if (key == "disk") {
        if (value.empty()) {
            error = "disk needs a folder";
            return false;
        }
        config.diskDir = std::string(value);
        return true;
    }
    if (key == "samples")
        return ParseSamples(value, config.sampleImages, error);
    if (key == "bigimage")
        return ParseBigImage(value, config, error);
    if (key == "focus")
        return ParseFocus(value, config.focus, error);
    if (key == "overshoot")
        return ParseOvershoot(value, config, error);
    if (key == "fault") {
        std::vector<SimFault> faults;
        if (!ParseSimFaults(value, faults, error))
            return false;
        config.faults.insert(config.faults.end(), faults.begin(), faults.end());
        return true;
    }
    error = "unknown simulator key " + Quoted(key) +
            " (known: model, link, speed, firmware, serial, revision, disk, samples, bigimage, "
            "fault, focus, overshoot)";
    return false;
}

bool ParseSimConfig(std::string_view keys, SimConfig& config, std::string& error)
{
    SimConfig parsed;
    while (!keys.empty()) {
        const std::size_t comma = keys.find(',');
        const std::string_view item = keys.substr(0, comma);
        const std::size_t equals = item.find('=');
        if (item.empty()) {
            error = "empty simulator key (keys are separated by ',')";
            return false;
        }
        if (equals == std::string_view::npos) {
            error = "simulator key " + Quoted(item) + " needs a value, as in model=6";
            return false;
        }
        if (!SetSimConfigKey(item.substr(0, equals), item.substr(equals + 1), parsed, error))
            return false;
        if (comma == std::string_view::npos)
            break;
        keys.remove_prefix(comma + 1);
        if (keys.empty()) {
            error = "empty simulator key (keys are separated by ',')";
            return false;
        }
    }
    config = std::move(parsed);
    return true;
}

}  // namespace camsim
