#include "app/VirtualMousePanel.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

#include "sim/HeldSettingsText.h"
#include "sim/VirtualCable.h"
#include "sim/VirtualGattMouse.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualMouse.h"

namespace ms1 {
namespace {

constexpr std::array<std::uint8_t, 4> kRateCodes = {1, 2, 4, 8};  // 1000, 500, 250, 125 /s
constexpr std::array<int, 4> kRates = {1000, 500, 250, 125};
constexpr int kReceiver = 0;
// The applies run on the program's worker; the window looks at what arrived this often.
constexpr int kHeldRefreshMs = 250;
constexpr int kPanelWidth = 214;

}  // namespace

VirtualMousePanel::VirtualMousePanel(sim::VirtualHidBus& bus, QWidget* parent)
    : QWidget(parent, Qt::Tool), bus_(bus) {
    setWindowTitle(tr("Virtual mouse"));
    // It takes the main window's style sheets, the dark page style's background included.
    setObjectName(QStringLiteral("virtual_mouse_panel"));
    setAttribute(Qt::WA_StyledBackground, true);
    // One narrow column: it fits beside the main window on a 1280 × 800 screen.
    setFixedWidth(kPanelWidth);
    auto* column = new QVBoxLayout(this);
    column->setSpacing(4);
    auto add = [this, column](const QString& text, auto slot) {
        auto* button = new QPushButton(text, this);
        column->addWidget(button);
        connect(button, &QPushButton::clicked, this, slot);
    };
    add(tr("DPI button"), &VirtualMousePanel::NextStage);
    add(tr("Polling rate"), &VirtualMousePanel::NextRate);
    add(tr("Lighting mode"), &VirtualMousePanel::NextLightingMode);
    add(tr("Battery 80%"), [this] { SetBattery(1, 80); });
    add(tr("Battery 15%"), [this] { SetBattery(1, 15); });
    add(tr("Charging"), [this] { SetBattery(3, 50); });
    add(tr("Unplug / plug receiver"), &VirtualMousePanel::TogglePlugged);
    add(tr("Sleep / wake"), &VirtualMousePanel::ToggleAsleep);
    if (bus_.Cable() != nullptr) {
        add(tr("Plug / unplug cable"), &VirtualMousePanel::ToggleCable);
        add(tr("Battery full"), [this] { SetBattery(2, 100); });
    }
    if (bus_.Gatt() != nullptr) {
        add(tr("Connect / disconnect Bluetooth"), &VirtualMousePanel::ToggleBluetooth);
    }
    plugged_ = bus_.IsPlugged(kReceiver);
    state_ = new QLabel(this);
    state_->setWordWrap(true);
    column->addWidget(state_);
    held_ = new QLabel(this);
    held_->setObjectName(QStringLiteral("virtual_mouse_held"));
    held_->setWordWrap(true);
    held_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for what it holds once the first apply arrived (six lines, some wrapped), so the
    // window does not have to grow later.
    held_->setMinimumHeight(held_->fontMetrics().lineSpacing() * 10);
    held_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    column->addWidget(held_);
    heldTimer_ = new QTimer(this);
    connect(heldTimer_, &QTimer::timeout, this, &VirtualMousePanel::ShowHeld);
    heldTimer_->start(kHeldRefreshMs);
    if (parent != nullptr)
        parent->installEventFilter(this);
    ShowState();
    ShowHeld();
}

bool VirtualMousePanel::eventFilter(QObject* watched, QEvent* event) {
    // A tool window is not minimised with its owner by every window manager: follow it.
    if (watched == parentWidget() && event->type() == QEvent::WindowStateChange) {
        if (parentWidget()->isMinimized()) {
            hiddenWithOwner_ = hiddenWithOwner_ || isVisible();
            hide();
        } else if (hiddenWithOwner_) {
            hiddenWithOwner_ = false;
            show();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void VirtualMousePanel::ShowHeld() {
    int state = 0;
    int level = 0;
    sim::MouseSettings settings;
    bus_.WithMouse(kReceiver, [&](sim::VirtualMouse& mouse) {
        settings = mouse.Settings();
        state = mouse.BatteryState();
        level = mouse.BatteryLevel();
    });
    std::string held("The virtual mouse holds:\n");
    held.append(sim::DescribeHeldSettings(settings, state, level));
    const QString text = QString::fromStdString(held);
    if (held_->text() != text) {
        held_->setText(text);
        FitHeight();
    }
}

void VirtualMousePanel::FitHeight() {
    // More lines than at start: the window grows, nothing is cut off. The wrapped labels'
    // height is asked at the panel's fixed width (a label's size hint guesses another width
    // and comes out too short).
    QLayout* column = layout();
    if (column == nullptr)
        return;
    column->activate();
    const int needed = column->hasHeightForWidth() ? column->totalHeightForWidth(width())
                                                   : column->totalSizeHint().height();
    if (needed > height()) {
        setMinimumHeight(needed);
        resize(width(), needed);
    }
}

void VirtualMousePanel::NextStage() {
    bus_.WithMouse(kReceiver, [this](sim::VirtualMouse& mouse) {
        mouse.PressDpiButton();
        stage_ = mouse.Settings().activeStage;
    });
    ShowState();
}

void VirtualMousePanel::NextRate() {
    rateIndex_ = (rateIndex_ + 1) % static_cast<int>(kRateCodes.size());
    bus_.WithMouse(kReceiver, [this](sim::VirtualMouse& mouse) {
        mouse.SetRateCode(kRateCodes[static_cast<std::size_t>(rateIndex_)]);
    });
    ShowState();
}

void VirtualMousePanel::NextLightingMode() {
    lightMode_ = (lightMode_ + 1) % 16;
    bus_.WithMouse(kReceiver, [this](sim::VirtualMouse& mouse) {
        mouse.SetLightingMode(static_cast<std::uint8_t>(lightMode_));
    });
    ShowState();
}

void VirtualMousePanel::SetBattery(int state, int level) {
    bus_.WithMouse(kReceiver, [state, level](sim::VirtualMouse& mouse) {
        mouse.SetBattery(static_cast<std::uint8_t>(state), static_cast<std::uint8_t>(level));
    });
}

void VirtualMousePanel::TogglePlugged() {
    plugged_ = !plugged_;
    plugged_ ? bus_.Plug(kReceiver) : bus_.Unplug(kReceiver);
    ShowState();
}

void VirtualMousePanel::ToggleCable() {
    sim::VirtualCable* cable = bus_.Cable();
    cable->Plugged() ? cable->Unplug() : cable->Plug();
    ShowState();
}

void VirtualMousePanel::ToggleBluetooth() {
    sim::VirtualGattMouse* gatt = bus_.Gatt();
    gatt->Connected() ? gatt->Disconnect() : gatt->Connect();
    ShowState();
}

void VirtualMousePanel::ToggleAsleep() {
    asleep_ = !asleep_;
    bus_.WithMouse(kReceiver, [this](sim::VirtualMouse& mouse) { mouse.SetAsleep(asleep_); });
    ShowState();
}

void VirtualMousePanel::ShowState() {
    QString text = tr("Stage %1 · %2 reports/s · lighting mode %3 · receiver %4 · mouse %5")
                       .arg(stage_)
                       .arg(kRates[static_cast<std::size_t>(rateIndex_)])
                       .arg(lightMode_)
                       .arg(plugged_ ? tr("plugged in") : tr("unplugged"))
                       .arg(asleep_ ? tr("asleep") : tr("awake"));
    if (const sim::VirtualCable* cable = bus_.Cable())
        text += tr(" · cable %1").arg(cable->Plugged() ? tr("plugged in") : tr("unplugged"));
    if (const sim::VirtualGattMouse* gatt = bus_.Gatt())
        text += tr(" · Bluetooth %1").arg(gatt->Connected() ? tr("connected") : tr("off"));
    state_->setText(text);
    FitHeight();
}

}  // namespace ms1
