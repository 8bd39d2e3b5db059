#include "transport/WakeEvent.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace ms1 {

WakeEvent::WakeEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

WakeEvent::~WakeEvent() {
    if (fd_ >= 0)
        ::close(fd_);
}

void WakeEvent::Signal() {
    const std::uint64_t one = 1;
    // A counter that is full is readable already: the sleeper wakes either way.
    [[maybe_unused]] const ssize_t written = ::write(fd_, &one, sizeof one);
}

void WakeEvent::Drain() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(fd_, &count, sizeof count);
}

void WakeEvent::Wait() {
    pollfd event{fd_, POLLIN, 0};
    while (::poll(&event, 1, -1) < 0 && errno == EINTR) {
    }
}

}  // namespace ms1
