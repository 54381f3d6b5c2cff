#include "ui/RetrievalProgressOnStatusPane.h"

#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

RetrievalProgressOnStatusPane::RetrievalProgressOnStatusPane(GuiThread& gui, QPointer<QLabel> pane)
    : gui_(gui), pane_(std::move(pane))
{
}

void RetrievalProgressOnStatusPane::OnStatus(std::string_view text)
{
    status_ = ToQString(text);
    Show(status_);
}

void RetrievalProgressOnStatusPane::OnProgress(std::uint32_t, std::uint32_t,
                                               std::string_view remainingText, std::uint32_t)
{
    Show(status_ + "  " + ToQString(remainingText));
}

void RetrievalProgressOnStatusPane::Show(const QString& text)
{
    gui_.Run([pane = pane_, text] {
        if (pane)
            pane->setText(text);
    });
}

}  // namespace scanora::ui
