#include "ui/FocusScoreDisplay.h"

#include <QGridLayout>
#include <QLabel>

#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

const std::array<QColor, FocusReading::kChannels> kScoreColours{
    QColor(176, 0, 0), QColor(0, 128, 0), QColor(0, 0, 190)};
constexpr std::array<const char*, FocusReading::kChannels> kNames{"Red", "Green", "Blue"};
constexpr const char* kNothing = "–";

}  // namespace

FocusScoreDisplay::FocusScoreDisplay(int pointSize, QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    QFont big = font();
    big.setPointSize(pointSize);
    big.setBold(true);
    QFont small = font();
    small.setPointSize(std::max(small.pointSize() - 1, 7));
    for (int c = 0; c < FocusReading::kChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        auto* score = new QLabel(kNothing, this);
        score->setFont(big);
        score->setAlignment(Qt::AlignCenter);
        score->setAccessibleName(QString(kNames[i]) + " score");
        score->setMinimumWidth(QFontMetrics(big).horizontalAdvance("0000"));
        auto* best = new QLabel(this);
        best->setFont(small);
        best->setAlignment(Qt::AlignCenter);
        grid->addWidget(score, 0, c);
        grid->addWidget(best, 1, c);
        scores_[i] = score;
        best_[i] = best;
    }
    Clear();
}

QLabel* FocusScoreDisplay::ScoreLabel(int channel) const
{
    return scores_.at(static_cast<std::size_t>(channel));
}

QLabel* FocusScoreDisplay::BestLabel(int channel) const
{
    return best_.at(static_cast<std::size_t>(channel));
}

void FocusScoreDisplay::Show(const FocusReading& reading, const FocusHistory& history)
{
    SCANORA_ASSERT_GUI_THREAD();
    for (int c = 0; c < FocusReading::kChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        QPalette colours = scores_[i]->palette();
        colours.setColor(QPalette::WindowText,
                         reading.enabled[i] ? kScoreColours[i] : palette().color(QPalette::Mid));
        scores_[i]->setPalette(colours);
        scores_[i]->setText(QString::number(reading.scores[i]));
        const FocusHistory::Best best = history.BestOf(c);
        best_[i]->setText(best.reading == 0 ? QString() : QString("best %1").arg(best.score));
    }
}

void FocusScoreDisplay::Clear()
{
    SCANORA_ASSERT_GUI_THREAD();
    for (std::size_t i = 0; i < scores_.size(); ++i) {
        QPalette colours = scores_[i]->palette();
        colours.setColor(QPalette::WindowText, kScoreColours[i]);
        scores_[i]->setPalette(colours);
        scores_[i]->setText(kNothing);
        best_[i]->setText(QString());
    }
}

}  // namespace scanora::ui
