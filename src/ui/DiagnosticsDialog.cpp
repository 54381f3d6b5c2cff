#include "ui/DiagnosticsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>
#include <utility>

#include "cameradisk/DiskInitialisation.h"
#include "platform/TextConversion.h"
#include "ui/CameraJobs.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

DiagnosticsDialog::DiagnosticsDialog(QVCamera& camera, UiPort& ui, QWidget* parent)
    : QDialog(parent), camera_(camera), ui_(ui), diagnostics_(camera)
{
    SCANORA_ASSERT_GUI_THREAD();
    setWindowTitle("Diagnostics");
    auto* layout = new QVBoxLayout(this);
    controls_ = new QWidget(this);
    auto* inner = new QVBoxLayout(controls_);
    inner->setContentsMargins(0, 0, 0, 0);

    // The version text ends in a line feed: both labels keep to the top of the row.
    auto* firmware = new QHBoxLayout;
    firmware->addWidget(new QLabel("Firmware version:", controls_), 0, Qt::AlignTop);
    version_ = new QLabel(controls_);
    version_->setObjectName("version");
    version_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    firmware->addWidget(version_, 1, Qt::AlignTop);
    inner->addLayout(firmware);

    auto* carriage = new QGroupBox("Carriage", controls_);
    auto* moves = new QHBoxLayout(carriage);
    auto* home = new QPushButton("Home", carriage);
    connect(home, &QPushButton::clicked, this, &DiagnosticsDialog::HomeCarriage);
    moves->addWidget(home);
    for (int i = 0; i < static_cast<int>(CameraDiagnostics::kTestPositions.size()); ++i) {
        const auto position = CameraDiagnostics::kTestPositions[static_cast<std::size_t>(i)];
        auto* button = new QPushButton(QString::number(position), carriage);
        button->setObjectName(QStringLiteral("position%1").arg(position));
        connect(button, &QPushButton::clicked, this, [this, i] { MoveToTestPosition(i); });
        moves->addWidget(button);
    }
    inner->addWidget(carriage);

    auto* disk = new QPushButton("Initialize Disk...", controls_);
    disk->setObjectName("initializeDisk");
    connect(disk, &QPushButton::clicked, this, &DiagnosticsDialog::InitializeDisk);
    inner->addWidget(disk, 0, Qt::AlignLeft);

    auto* exchange = new QGroupBox("Command", controls_);
    auto* fields = new QFormLayout(exchange);
    command_ = new QLineEdit(exchange);
    command_->setObjectName("command");
    command_->setPlaceholderText("Type a command and press Enter");
    connect(command_, &QLineEdit::returnPressed, this, &DiagnosticsDialog::SendCommand);
    reply_ = new QLineEdit(exchange);
    reply_->setObjectName("reply");
    reply_->setReadOnly(true);
    fields->addRow("Send:", command_);
    fields->addRow("Reply:", reply_);
    inner->addWidget(exchange);
    layout->addWidget(controls_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &DiagnosticsDialog::reject);
    layout->addWidget(buttons);
    // Enter in the command field sends; it never closes the dialog.
    for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
    jobs_ = std::make_unique<CameraJobs>(*controls_);

    RunJob([this] {
        const QString version = QString::fromStdString(diagnostics_.ReadVersion());
        return [this, version] { version_->setText(version); };
    });
}

DiagnosticsDialog::~DiagnosticsDialog() = default;

bool DiagnosticsDialog::Busy() const
{
    return jobs_->Busy();
}

void DiagnosticsDialog::RunJob(std::function<std::function<void()>()> work)
{
    jobs_->Start([this, work = std::move(work)]() -> CameraJobs::Continuation {
        std::function<void()> then = work();
        return [this, then = std::move(then)] {
            if (then)
                then();
            if (std::exchange(closeWhenIdle_, false))
                reject();
        };
    });
}

void DiagnosticsDialog::InitializeDisk()
{
    SCANORA_ASSERT_GUI_THREAD();
    RunJob([this] {
        DiskInitialisation(camera_, ui_).Run();
        return std::function<void()>();
    });
}

void DiagnosticsDialog::HomeCarriage()
{
    SCANORA_ASSERT_GUI_THREAD();
    RunJob([this] {
        diagnostics_.HomeCarriage();
        return std::function<void()>();
    });
}

void DiagnosticsDialog::MoveToTestPosition(int index)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (index < 0 || index >= static_cast<int>(CameraDiagnostics::kTestPositions.size()))
        return;
    const auto position = CameraDiagnostics::kTestPositions[static_cast<std::size_t>(index)];
    RunJob([this, position] {
        diagnostics_.MoveCarriage(position);
        return std::function<void()>();
    });
}

void DiagnosticsDialog::SendCommand()
{
    SCANORA_ASSERT_GUI_THREAD();
    // The camera reads one byte a character, in its own character set.
    const std::string typed = TextConversion::ToWindows1252(command_->text().toStdString());
    if (typed.empty() || Busy())
        return;
    RunJob([this, typed] {
        const QString reply =
            QString::fromStdString(TextConversion::FromCamera(diagnostics_.SendTyped(typed).text));
        return [this, reply] {
            reply_->setText(reply);
            command_->clear();
            command_->setFocus();
        };
    });
}

void DiagnosticsDialog::reject()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (Busy()) {
        closeWhenIdle_ = true;
        return;
    }
    QDialog::reject();
}

}  // namespace scanora::ui
