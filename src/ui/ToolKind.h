#pragma once

namespace scanora {

// The image view's mouse tools. The first four are chosen from the menus and the tool bar; the
// others come in on their own (a ruler, a key, the focus aid, super prescan) and mostly give way
// to the tool before them when their work is done.
enum class ToolKind {
    SamplePoints,
    Crop,
    Zoom,
    Hand,
    FocusLine,
    Grid,
    Guide,
    Marker,
    CrossHair,
    SuperRegion,
};

inline constexpr int kToolKindCount = static_cast<int>(ToolKind::SuperRegion) + 1;

}  // namespace scanora
