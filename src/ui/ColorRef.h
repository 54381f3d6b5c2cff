#pragma once

#include <QColor>

#include <cstdint>

namespace scanora::ui {

// Colours as the preferences keep them: red + 256 × green + 65536 × blue.
inline QColor FromColorRef(std::uint32_t color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

inline std::uint32_t ToColorRef(const QColor& color)
{
    return static_cast<std::uint32_t>(color.red()) +
           (static_cast<std::uint32_t>(color.green()) << 8) +
           (static_cast<std::uint32_t>(color.blue()) << 16);
}

}  // namespace scanora::ui
