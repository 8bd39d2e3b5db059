#include "libs/hook/CaptureThread.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace ms1::hook {
namespace {

// Translates raw events on the capture thread and passes them on.
class Translator final : public RawInputSink {
  public:
    Translator(const KeyboardLayout* layout, const CaptureThread::Deliver& deliver)
        : layout_(layout), deliver_(deliver) {}
    void OnRawInput(std::uint16_t code, std::int32_t value) override {
        if (const std::optional<HookEvent> event = TranslateInput(code, value, layout_))
            deliver_(*event);
    }

  private:
    const KeyboardLayout* layout_;
    const CaptureThread::Deliver& deliver_;
};

}  // namespace

bool CaptureThread::Start(Opener open, Deliver deliver) {
    if (thread_.joinable() && !finished_)
        return true;
    Stop();
    wake_ = UniqueFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake_.Valid())
        return false;
    stop_ = false;
    finished_ = false;
    thread_ = std::thread(
        [this, open = std::move(open), deliver = std::move(deliver)] { Run(open, deliver); });
    return true;
}

void CaptureThread::Stop() {
    if (!thread_.joinable())
        return;
    stop_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.Get(), &one, sizeof one);
    thread_.join();
    wake_.Reset();
}

void CaptureThread::Run(const Opener& open, const Deliver& deliver) {
    pthread_setname_np(pthread_self(), kThreadName);
    Capture capture = open();
    if (capture.source != nullptr && !stop_) {
        capturing_ = true;
        Translator translator(capture.layout.get(), deliver);
        while (!stop_ && capture.source->Process(translator)) {
            std::vector<pollfd> fds{{wake_.Get(), POLLIN, 0}};
            for (const int fd : capture.source->Fds())
                fds.push_back({fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
                break;
        }
        capturing_ = false;
    }
    finished_ = true;
}

}  // namespace ms1::hook
