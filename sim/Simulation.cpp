#include "sim/Simulation.h"

#include <algorithm>

#include "sim/SteadySimClock.h"
#include "sim/VirtualCable.h"
#include "sim/VirtualGattMouse.h"

namespace ms1::sim {

const std::vector<std::string>& SimulationScenarios() {
    static const std::vector<std::string> kScenarios = {
        "receiver",  "noack",      "slowack",        "refuse",
        "asleep",    "not11",      "two-receivers",  "many-collections",
        "unplugged", "wired",      "wired+receiver", "no-access",
        "ble",       "low-battery"};
    return kScenarios;
}

std::unique_ptr<VirtualHidBus> MakeSimulation(std::string_view scenario,
                                              std::shared_ptr<const SimClock> clock) {
    const auto& known = SimulationScenarios();
    if (clock == nullptr || std::find(known.begin(), known.end(), scenario) == known.end()) {
        return nullptr;
    }
    auto bus = std::make_unique<VirtualHidBus>(std::move(clock));
    ReceiverOptions options;
    if (scenario == "noack") {
        options.ackMode = AckMode::kNever;
    } else if (scenario == "slowack") {
        options.ackMode = AckMode::kLate;
    } else if (scenario == "refuse") {
        options.ackMode = AckMode::kRefuse;
    } else if (scenario == "asleep") {
        options.asleep = true;
    } else if (scenario == "not11") {
        options.firstReportNotStatus = true;
    } else if (scenario == "no-access") {
        options.openDenied = true;
    } else if (scenario == "many-collections") {
        options.extraInputCollections = 21;
        options.extraFeatureCollections = 21;
    }
    const int first = bus->AddReceiver(options);
    if (scenario == "two-receivers") {
        ReceiverOptions second;
        second.instanceKey = "1f40b2d6";
        bus->Plug(first);
        bus->Plug(bus->AddReceiver(second));
    } else if (scenario != "unplugged" && scenario != "wired" && scenario != "ble") {
        bus->Plug(first);
    }
    // The mouse of the first receiver also has its cable plugged in.
    if (scenario == "wired" || scenario == "wired+receiver")
        bus->AttachCable(first).Plug();
    // Its battery is nearly empty (it says so at every heartbeat).
    if (scenario == "low-battery")
        bus->WithMouse(first, [](VirtualMouse& mouse) { mouse.SetBattery(1, 10); });
    // Or it is connected over Bluetooth LE, its receiver left in the drawer.
    if (scenario == "ble")
        bus->AttachGatt(first).Connect();
    return bus;
}

std::unique_ptr<VirtualHidBus> MakeSimulation(std::string_view scenario) {
    return MakeSimulation(scenario, std::make_shared<SteadySimClock>());
}

}  // namespace ms1::sim
