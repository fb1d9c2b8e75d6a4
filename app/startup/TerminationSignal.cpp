#include "app/startup/TerminationSignal.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {
// The pipe end the handler writes to; -1 while no object is active.
volatile std::sig_atomic_t g_writeFd = -1;
} // namespace

void TerminationSignal::Handler(int signal) {
    const int saved = errno;
    const int fd = g_writeFd;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

TerminationSignal::TerminationSignal(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { Drain(); });
    g_writeFd = writeFd_;

    struct sigaction action {};
    action.sa_handler = &TerminationSignal::Handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &oldTerm_);
    ::sigaction(SIGINT, &action, &oldInt_);
}

TerminationSignal::~TerminationSignal() {
    if (notifier_ == nullptr) {
        return;
    }
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
    ::sigaction(SIGINT, &oldInt_, nullptr);
    g_writeFd = -1;
    notifier_.reset();
    ::close(readFd_);
    ::close(writeFd_);
}

void TerminationSignal::Drain() {
    unsigned char byte = 0;
    int signal = 0;
    while (::read(readFd_, &byte, 1) == 1) {
        signal = byte;
    }
    if (signal != 0 && onSignal_) {
        onSignal_(signal);
    }
}
