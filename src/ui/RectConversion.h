#pragma once

#include <QRect>

#include "imaging/ViewMapping.h"

namespace scanora {

// Rectangles between the imaging code (right and bottom exclusive) and Qt (inclusive).
inline QRect ToQRect(const ImageRect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

inline ImageRect ToImageRect(const QRect& r)
{
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

}  // namespace scanora
