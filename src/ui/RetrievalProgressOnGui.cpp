#include "ui/RetrievalProgressOnGui.h"

#include <QString>

#include "ui/GuiThread.h"
#include "ui/TransferView.h"

namespace scanora::ui {

namespace {

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

RetrievalProgressOnGui::RetrievalProgressOnGui(GuiThread& gui, Target target)
    : gui_(gui), target_(std::move(target))
{
}

void RetrievalProgressOnGui::Post(std::function<void(TransferView&)> show)
{
    gui_.Run([target = target_, show = std::move(show)] {
        if (TransferView* view = target())
            show(*view);
    });
}

void RetrievalProgressOnGui::OnStatus(std::string_view text)
{
    Post([text = ToQString(text)](TransferView& view) { view.ShowStatus(text); });
}

void RetrievalProgressOnGui::OnTransferStarted(std::uint32_t blockCount)
{
    Post([blockCount](TransferView& view) { view.Begin(blockCount); });
}

void RetrievalProgressOnGui::OnProgress(std::uint32_t blocksDone, std::uint32_t blockCount,
                                        std::string_view remainingText, std::uint32_t)
{
    Post([blocksDone, blockCount, text = ToQString(remainingText)](TransferView& view) {
        view.ShowProgress(blocksDone, blockCount, text);
    });
}

void RetrievalProgressOnGui::OnTransferEnded()
{
    Post([](TransferView& view) { view.End(); });
}

}  // namespace scanora::ui
