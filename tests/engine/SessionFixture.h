#pragma once

// The device session on the virtual mouse with a recording pacer and window, shared by the
// session tests.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/DeviceSession.h"
#include "sim/ManualSimClock.h"
#include "sim/Simulation.h"
#include "tests/support/Eventually.h"
#include "tests/support/ProtocolFakes.h"
#include "tests/support/Recorded.h"
#include "tests/support/RecordingApplyView.h"
#include "tests/support/ReportBytes.h"
#include "tests/support/WindowFakes.h"
#include "transport/VendorHidBinding.h"

namespace ms1 {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kPatience = 10s;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_engine_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

[[maybe_unused]] Bytes Report(std::initializer_list<std::uint8_t> head, std::size_t size = 60) {
    Bytes bytes(head);
    bytes.resize(size, 0);
    return bytes;
}

// Records the pauses instead of sleeping. Where the mouse answers, a pause lasts until its
// answer has been decoded on the window thread, as the real pause would.
struct AnsweringPacer final : Pacer {
    bool Pause(std::chrono::milliseconds duration) override {
        {
            std::lock_guard lock(mutex);
            pauses.push_back(static_cast<int>(duration.count()));
        }
        if (answered)
            test::Eventually(answered, kPatience);
        return true;
    }
    std::vector<int> Pauses() {
        std::lock_guard lock(mutex);
        return pauses;
    }
    std::function<bool()> answered;
    std::mutex mutex;
    std::vector<int> pauses;
};

using test::RecordingApplyView;
using test::RecordingWindow;

class DeviceSessionTest : public ::testing::Test {
  protected:
    void SetUp() override { App(); }
    void TearDown() override {
        if (session)
            session->Stop();
    }

    // `wired`, when set, is the wired link; without a receiver to wait for, Start returns
    // once the session started.
    void Start(const char* scenario, bool waitForReceiver = true) {
        bus = sim::MakeSimulation(scenario, clock);
        ASSERT_NE(bus, nullptr);
        DeviceSession::Ports ports{*bus, profiles, view, applyView, window, &pacer};
        ports.wiredDevice = wired;
        ports.wiredReports = wired;
        StartWith(ports, waitForReceiver);
    }
    void StartWith(DeviceSession::Ports ports, bool waitForReceiver) {
        session = std::make_unique<DeviceSession>(ports);
        session->SetApplyListener(RecordResults());
        session->Start();
        if (waitForReceiver) {
            ASSERT_TRUE(PumpUntil([this] { return session->flags().wirelessConnected.load(); }));
        }
    }

    // Runs the window thread's event loop until `condition` holds.
    bool PumpUntil(const std::function<bool()>& condition) {
        return test::Eventually(condition, kPatience, [] { QCoreApplication::processEvents(); });
    }

    // The next apply not yet taken: a request reaches the worker at once, so its result may
    // be there before the test asks.
    ApplyResult NextApply() {
        EXPECT_TRUE(PumpUntil([&] { return Results().size() > taken; }));
        const std::vector<ApplyResult> all = Results();
        return all.size() > taken ? all[taken++] : ApplyResult{};
    }
    std::vector<ApplyResult> Results() { return results.All(); }
    // The session's apply listener: each result is recorded as the worker hands it over.
    std::function<void(const ApplyResult&)> RecordResults() {
        return [this](const ApplyResult& result) { results.Add(result); };
    }

    // The pacer waits for the answer to a report once its last packet is out.
    void AnswerEachReport() {
        pacer.answered = [this] {
            const auto packets = bus->ReceivedPackets();
            if (packets.empty())
                return true;
            const Bytes& last = packets.back().bytes;
            const bool complete = last[0] != 0x19 || last[3] == 2;
            return !complete || session->sender().ackReceived().load() != 0;
        };
    }

    std::vector<Bytes> Packets() const {
        std::vector<Bytes> out;
        for (const auto& packet : bus->ReceivedPackets())
            out.push_back(packet.bytes);
        return out;
    }

    std::shared_ptr<sim::ManualSimClock> clock = std::make_shared<sim::ManualSimClock>();
    std::unique_ptr<sim::VirtualHidBus> bus;
    test::FakeProfiles profiles;
    test::FakeView view;
    RecordingApplyView applyView;
    RecordingWindow window;
    AnsweringPacer pacer;
    std::unique_ptr<DeviceSession> session;
    VendorHidBinding* wired = nullptr;
    test::Recorded<ApplyResult> results;
    std::size_t taken = 0;
};

}  // namespace
}  // namespace ms1
