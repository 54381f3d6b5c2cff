#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include <chrono>
#include <memory>
#include <string>

#include "context/AppContext.h"
#include "support/RecordingUiPort.h"
#include "ui/PreviewDocument.h"
#include "ui/QVHistogram.h"
#include "ui/QorvaneView.h"

namespace scanora::test {

// An application of the test's own against the simulated camera (no preferences file), with
// the image view (with the preview document it shows) and the histogram panel side by side in
// one window.
class ViewTestFixture : public ::testing::Test {
protected:
    // Opens the window with a square view of `viewSize` pixels.
    void OpenWindow(int viewSize)
    {
        using namespace std::chrono_literals;
        std::string error;
        app_ = AppContext::Create("sim:speed=0", ui_, error);
        ASSERT_TRUE(app_) << error;
        app_->LoadPreferences({{}, true, false});
        CaptureTiming timing;
        timing.finishPause = 0ms;
        timing.paintWait = 50ms;
        window_ = std::make_unique<QWidget>();
        document_ = std::make_unique<PreviewDocument>(*app_, timing);
        view_ = new QorvaneView(*app_, *document_, window_.get());
        document_->AttachDisplay(view_->CaptureDisplay());
        view_->setGeometry(0, 0, viewSize, viewSize);
        histogram_ = new QVHistogram(*app_, *view_, window_.get());
        histogram_->setGeometry(viewSize, 0, histogram_->sizeHint().width(),
                                histogram_->sizeHint().height());
        window_->resize(viewSize + histogram_->width(), viewSize);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    void TearDown() override
    {
        // The document ends the capture, which reports to the view, before the view goes; the
        // capture threads no longer wait for the display.
        if (view_ != nullptr)
            view_->CloseCaptureSeam();
        document_.reset();
        window_.reset();
        app_.reset();
    }

    RecordingUiPort ui_;
    std::unique_ptr<AppContext> app_;
    std::unique_ptr<PreviewDocument> document_;
    std::unique_ptr<QWidget> window_;
    QorvaneView* view_ = nullptr;
    QVHistogram* histogram_ = nullptr;
};

}  // namespace scanora::test
