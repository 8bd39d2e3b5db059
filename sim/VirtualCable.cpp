#include "sim/VirtualCable.h"

#include "sim/VirtualHidBus.h"
#include "sim/VirtualMouse.h"

namespace ms1::sim {
namespace {

// What the mouse says of its battery over the cable: charging, at the level it had.
constexpr std::uint8_t kBatteryCharging = 3;
constexpr std::uint8_t kBatteryOnBattery = 1;

}  // namespace

VirtualCable::VirtualCable(VirtualHidBus& bus, int receiver) : bus_(bus), receiver_(receiver) {}

VirtualCable::~VirtualCable() {
    CloseMonitor();
}

VendorHidFunctions VirtualCable::Functions() {
    VendorHidFunctions functions;
    functions.setVidPid = [](std::uint16_t, std::uint16_t) { return 1; };
    functions.openDevMonitor = [this](const Ms1WindowHandle* window, std::uint32_t data,
                                      std::uint32_t state) {
        return OpenMonitor(window, data, state);
    };
    functions.openFeatureDevice = [this] { return OpenFeature(); };
    functions.closeFeatureDevice = [this] { featureOpen_ = false; };
    functions.closeDevMonitor = [this] { CloseMonitor(); };
    functions.setFeature = [this](const std::uint8_t* data, std::size_t length) {
        return SetFeature(data, length);
    };
    functions.getFeature = [](std::uint8_t*, std::size_t) { return 0; };
    return functions;
}

void VirtualCable::Plug() {
    if (plugged_.exchange(true))
        return;
    bus_.WithMouse(receiver_, [](VirtualMouse& mouse) {
        mouse.SetBattery(kBatteryCharging, mouse.BatteryLevel());
    });
    wake_.Signal();
    std::lock_guard lock(mutex_);
    if (monitoring_)
        Ms1PostMessage(&window_, stateMessage_, 1, 0);
}

void VirtualCable::Unplug() {
    if (!plugged_.exchange(false))
        return;
    featureOpen_ = false;
    bus_.WithMouse(receiver_, [](VirtualMouse& mouse) {
        mouse.SetBattery(kBatteryOnBattery, mouse.BatteryLevel());
    });
    wake_.Signal();
    std::lock_guard lock(mutex_);
    if (monitoring_)
        Ms1PostMessage(&window_, stateMessage_, 0, 0);
}

int VirtualCable::OpenMonitor(const Ms1WindowHandle* window, std::uint32_t dataMessage,
                              std::uint32_t stateMessage) {
    std::lock_guard lock(mutex_);
    if (monitoring_)
        return 1;
    window_ = window != nullptr ? *window : Ms1WindowHandle{};
    dataMessage_ = dataMessage;
    stateMessage_ = stateMessage;
    monitoring_ = true;
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    return 1;
}

void VirtualCable::CloseMonitor() {
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        if (!monitoring_)
            return;
        monitoring_ = false;
        stop_ = true;
        thread.swap(thread_);
    }
    wake_.Signal();
    thread.join();
}

int VirtualCable::OpenFeature() {
    if (!plugged_)
        return 0;
    featureOpen_ = true;
    return 1;
}

int VirtualCable::SetFeature(const std::uint8_t* data, std::size_t length) {
    if (!featureOpen_ || !plugged_ || refusing_ || data == nullptr || length == 0)
        return 0;
    return bus_.SendOverCable(receiver_, data, length) ? 1 : 0;
}

void VirtualCable::Run() {
    while (!stop_) {
        InputReport report{};
        bool got = false;
        if (plugged_) {
            bus_.WithMouse(receiver_,
                           [&](VirtualMouse& mouse) { got = mouse.TakeInputReport(report); });
        }
        if (!got) {
            // Asleep until the mouse has something to say over a plugged cable, the cable is
            // plugged or pulled, or the monitor ends.
            if (plugged_)
                bus_.WaitForMouseReport(receiver_, wake_.Fd());
            else
                wake_.Wait();
            wake_.Drain();
            continue;
        }
        if (report[0] != 0x11)
            continue;
        const auto a = static_cast<std::uintptr_t>(report[1] | (report[2] << 8));
        const auto v = static_cast<std::intptr_t>(report[3] | (report[4] << 8));
        std::lock_guard lock(mutex_);
        if (monitoring_)
            Ms1PostMessage(&window_, dataMessage_, a, v);
    }
}

}  // namespace ms1::sim
