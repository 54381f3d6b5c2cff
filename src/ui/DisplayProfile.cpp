#include "ui/DisplayProfile.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#if defined(SCANORA_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#define SCANORA_READ_X11_PROFILE 1
#endif

namespace scanora {

namespace {

QString ScreenKey(const QScreen* screen)
{
    return screen != nullptr ? screen->name() : QString();
}

}  // namespace

const std::vector<std::uint8_t>& DisplayProfile::ForWidget(const QWidget& widget)
{
    return ForScreen(widget.screen());
}

const std::vector<std::uint8_t>& DisplayProfile::ForScreen(const QScreen* screen)
{
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QString key = ScreenKey(screen);
    auto found = profiles_.find(key);
    if (found == profiles_.end())
        found = profiles_.emplace(key, Read(screen)).first;
    return found->second;
}

std::vector<std::uint8_t> DisplayProfile::Read(const QScreen* screen)
{
    const QString path = qEnvironmentVariable(kEnvironmentVariable);
    if (!path.isEmpty())
        return ReadFile(path);
    const int number =
        screen != nullptr ? static_cast<int>(QGuiApplication::screens().indexOf(screen)) : 0;
    return ReadX11(std::max(number, 0));
}

std::vector<std::uint8_t> DisplayProfile::ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxProfileBytes)
        return {};
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

#ifdef SCANORA_READ_X11_PROFILE

std::vector<std::uint8_t> DisplayProfile::ReadX11(int number)
{
    const auto* x11 = qGuiApp != nullptr
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    xcb_connection_t* const connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return {};
    const std::string name =
        number > 0 ? "_ICC_PROFILE_" + std::to_string(number) : std::string("_ICC_PROFILE");
    // xcb's replies are malloc'ed.
    const auto release = [](void* reply) { std::free(reply); };

    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(release)> atom(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str()),
            nullptr),
        release);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return {};
    const xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (roots.rem == 0 || roots.data == nullptr)
        return {};

    constexpr auto kMaxWords = static_cast<std::uint32_t>(kMaxProfileBytes / 4);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(release)> property(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, roots.data->root, atom->atom,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxWords),
                               nullptr),
        release);
    // The profile is a list of bytes; anything else, or a profile cut short, is not used.
    if (!property || property->format != 8 || property->bytes_after != 0)
        return {};
    const int length = xcb_get_property_value_length(property.get());
    if (length <= 0)
        return {};
    const auto* value = static_cast<const std::uint8_t*>(xcb_get_property_value(property.get()));
    return {value, value + length};
}

#else

std::vector<std::uint8_t> DisplayProfile::ReadX11(int /*number*/)
{
    return {};
}

#endif

}  // namespace scanora
