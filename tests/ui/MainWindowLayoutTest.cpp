// The main window at its smallest and at 1024 x 700, with the control panes on each side: no
// control is cut off where the user cannot scroll it into view, and none is squeezed below the
// size it needs. Screenshots of each are saved next to the test program (under Xvfb the test
// runs at scale 1 and 2, see tests/CMakeLists).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QScrollArea>
#include <QTest>

#include <string>
#include <vector>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "ui/CTabControls.h"
#include "ui/MainControl.h"
#include "ui/QVHistogram.h"
#include "ui/QorvaneView.h"

namespace scanora::ui {
namespace {

using test::SaveShot;
using test::ScaleSuffix;
using test::ShotPath;
using test::StartedApp;
using test::VisiblePart;

// The smallest size a layout may give `widget`: its own minimum where one is set, otherwise
// what it says it needs.
QSize NeededSize(const QWidget& widget)
{
    const QSize hint = widget.minimumSizeHint();
    const QSizePolicy policy = widget.sizePolicy();
    const int width = widget.minimumWidth() > 0                           ? widget.minimumWidth()
                      : policy.horizontalPolicy() == QSizePolicy::Ignored ? 0
                                                                          : hint.width();
    const int height = widget.minimumHeight() > 0                        ? widget.minimumHeight()
                       : policy.verticalPolicy() == QSizePolicy::Ignored ? 0
                                                                         : hint.height();
    return {std::max(width, 0), std::max(height, 0)};
}

// The controls a user reads or works in `pane`, the pane itself first (the histogram draws its
// plot, level strip, zone bar and readout itself).
std::vector<QWidget*> Controls(QWidget& pane)
{
    std::vector<QWidget*> controls{&pane};
    for (QWidget* child : pane.findChildren<QWidget*>()) {
        // Parts of a spin box or combo box are laid out by it, not by the pane.
        const QWidget* parent = child->parentWidget();
        if (!child->isVisibleTo(&pane) || qobject_cast<const QAbstractSpinBox*>(parent) ||
            qobject_cast<const QComboBox*>(parent))
            continue;
        const auto* label = qobject_cast<const QLabel*>(child);
        if (qobject_cast<QAbstractButton*>(child) || qobject_cast<QComboBox*>(child) ||
            qobject_cast<QLineEdit*>(child) || qobject_cast<QAbstractSpinBox*>(child) ||
            qobject_cast<QListWidget*>(child) ||
            (label && (!label->text().isEmpty() || !label->pixmap().isNull())))
            controls.push_back(child);
    }
    return controls;
}

std::string Name(const QWidget& widget)
{
    return std::string(widget.metaObject()->className()) + " '" +
           widget.objectName().toStdString() + "'";
}

// Every control of the panes can be scrolled fully into view and has the room it needs.
void ExpectEveryControlUsable(QVMainFrame& frame, const std::string& where)
{
    QScrollArea& panes = frame.ControlPanes();
    std::vector<QWidget*> shown{&frame.Panel(), &frame.Histogram()};
    for (int page = 0; page < frame.Tabs().count(); ++page) {
        frame.Tabs().setCurrentIndex(page);
        QApplication::processEvents();
        shown.push_back(&frame.Tabs());
        shown.push_back(frame.Tabs().currentWidget());
        for (QWidget* pane : shown) {
            for (QWidget* control : Controls(*pane)) {
                const QSize needed = NeededSize(*control);
                EXPECT_GE(control->width(), needed.width())
                    << Name(*control) << " squeezed, " << where << ", page " << page;
                EXPECT_GE(control->height(), needed.height())
                    << Name(*control) << " squeezed, " << where << ", page " << page;
                panes.ensureWidgetVisible(control, 0, 0);
                QApplication::processEvents();
                const QRect full(control->mapTo(&frame, QPoint(0, 0)), control->size());
                EXPECT_EQ(VisiblePart(*control, frame), full)
                    << Name(*control) << " cut off, " << where << ", page " << page;
            }
        }
        shown.resize(2);
    }
    frame.Tabs().setCurrentIndex(CTabControls::kSizePage);
}

TEST(MainWindowLayoutTest, EveryControlFitsAtTheSmallestSizeAnd1024x700OnEverySide)
{
    StartedApp started;
    ASSERT_EQ(started.Start(), QVCameraApp::StartResult::Started);
    QVMainFrame& frame = started.Frame();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const char* sides[] = {"right", "left", "top", "bottom"};
    for (const int side : {0, 1, 2, 3}) {
        frame.SetControlPosition(side);
        for (const QSize size : {frame.minimumSize(), QSize(1024, 700)}) {
            const std::string where = std::string("controls ") + sides[side] + " at " +
                                      std::to_string(size.width()) + " x " +
                                      std::to_string(size.height());
            frame.resize(size);
            QApplication::processEvents();
            QTest::qWait(20);
            EXPECT_EQ(frame.size(), size) << where << ": the window must not outgrow the size";
            // The image keeps a useful part of the window.
            EXPECT_GE(frame.View().width(), 100) << where;
            EXPECT_GE(frame.View().height(), 100) << where;
            const QRect panes(frame.ControlPanes().mapTo(&frame, QPoint(0, 0)),
                              frame.ControlPanes().size());
            EXPECT_TRUE(frame.rect().contains(panes)) << where;
            ExpectEveryControlUsable(frame, where);

            // The colour page, whose gain and filter rows are the first to suffer when squeezed.
            frame.Tabs().setCurrentIndex(CTabControls::kColorPage);
            frame.ControlPanes().ensureVisible(0, 0);
            QApplication::processEvents();
            SaveShot(frame.grab(), ShotPath(QStringLiteral("layout-%1-%2x%3%4")
                                                .arg(sides[side])
                                                .arg(size.width())
                                                .arg(size.height())
                                                .arg(ScaleSuffix())));
        }
    }
}

}  // namespace
}  // namespace scanora::ui
