// A full apply as ms1ctl makes it, against the virtual mouse on the real clock, with the real
// pauses: the preamble and the four groups, each acknowledged at once (2.5 s of pauses). What
// it takes beyond the pauses is the cost of the link, the decoding and the worker.
#include <benchmark/benchmark.h>

#include "cli/HeadlessHost.h"

namespace ms1 {
namespace {

void BM_FullApplyOfTheDefaultProfile(benchmark::State& state) {
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    cli::HeadlessHost host(std::string("receiver"), *profile);
    if (host.ConnectMouse(std::chrono::seconds(3)) != cli::HeadlessHost::Connection::kConnected) {
        state.SkipWithError("the virtual mouse did not connect");
        return;
    }
    for (auto _ : state) {
        {
            auto lock = host.profiles().Lock();
            host.profiles().FullApplyPending() = true;
        }
        const ApplyResult result = host.Apply();
        if (!result.AllConfirmed() || result.reports.size() != 5)
            state.SkipWithError("the apply was not the five confirmed reports");
    }
}
BENCHMARK(BM_FullApplyOfTheDefaultProfile)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Start-up to the first report of the mouse: what `ms1ctl status` waits before it can answer.
void BM_ConnectToTheVirtualMouse(benchmark::State& state) {
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    for (auto _ : state) {
        cli::HeadlessHost host(std::string("receiver"), *profile);
        if (host.ConnectMouse(std::chrono::seconds(3)) != cli::HeadlessHost::Connection::kConnected)
            state.SkipWithError("the virtual mouse did not connect");
    }
}
BENCHMARK(BM_ConnectToTheVirtualMouse)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ms1
