#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <iostream>

// What the window tests use to look at a window as a person sees it.
namespace scanora::ui::test {

// The part of `widget` that its ancestors up to `top` leave visible, in `top`'s coordinates.
inline QRect VisiblePart(const QWidget& widget, const QWidget& top)
{
    QRect visible(widget.mapTo(&top, QPoint(0, 0)), widget.size());
    for (const QWidget* parent = widget.parentWidget(); parent && parent != &top;
         parent = parent->parentWidget())
        visible &= QRect(parent->mapTo(&top, QPoint(0, 0)), parent->size());
    return visible & top.rect();
}

// "@2x" when the test runs at scale 2 (QT_SCALE_FACTOR), nothing at scale 1.
inline QString ScaleSuffix()
{
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR");
    return scale.isEmpty() || scale == "1" ? QString() : QStringLiteral("@%1x").arg(scale);
}

// `name`.png next to the test program.
inline QString ShotPath(const QString& name)
{
    return QCoreApplication::applicationDirPath() + "/" + name + QStringLiteral(".png");
}

// Saves `shot` at `path` and says where, so that a person can look at it.
inline void SaveShot(const QPixmap& shot, const QString& path)
{
    ASSERT_TRUE(shot.save(path)) << path.toStdString();
    std::cout << "screenshot: " << path.toStdString() << " (" << shot.width() << " x "
              << shot.height() << ", device pixel ratio " << shot.devicePixelRatio() << ", "
              << QGuiApplication::platformName().toStdString() << ")\n";
}

}  // namespace scanora::ui::test
