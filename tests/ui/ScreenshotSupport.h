#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
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

// `what` with the name of the run ("-main-window@2x" under Xvfb), or "-offscreen".
inline QString ShotName(const QString& what)
{
    const QString name = qEnvironmentVariable("SCANORA_SCREENSHOT_NAME");
    return what + (name.isEmpty() ? QStringLiteral("-offscreen") : "-" + name);
}

// Every control `page` shows is whole and at least its minimum size, and every label and
// button at least as wide as its text needs.
inline void ExpectWholeControls(const QWidget& page)
{
    for (const QWidget* control : page.findChildren<QWidget*>()) {
        if (!control->isVisibleTo(&page))
            continue;
        const char* kind = control->metaObject()->className();
        const QRect full(control->mapTo(&page, QPoint(0, 0)), control->size());
        EXPECT_EQ(VisiblePart(*control, page), full) << kind << " is cut off by the page";
        EXPECT_GE(control->height(), control->minimumSizeHint().height()) << kind << " is squashed";
        EXPECT_GE(control->width(), control->minimumSizeHint().width()) << kind << " is squashed";
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(control))
            text = label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            text = button->text();
        else
            continue;
        EXPECT_GE(control->width(), control->sizeHint().width())
            << "'" << text.toStdString() << "' is cut short";
    }
}

}  // namespace scanora::ui::test
