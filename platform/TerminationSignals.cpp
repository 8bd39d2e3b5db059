#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace ms1 {
namespace {

// One process-wide pipe: a signal handler cannot reach an object.
int g_pipe[2] = {-1, -1};

void OnSignal(int signalNumber) {
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing else is safe in a handler; a full pipe already holds a pending request.
    [[maybe_unused]] ssize_t written = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });

    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

void TerminationSignals::Drain() {
    unsigned char byte = 0;
    const ssize_t got = ::read(g_pipe[0], &byte, 1);
    if (got == 1)
        emit Requested(byte);
}

}  // namespace ms1
