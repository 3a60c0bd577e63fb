#include "Dotfield/Application/UI/Shell/TerminationSignals.hpp"

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {

constexpr std::array<int, 3> terminationSignals{SIGINT, SIGTERM, SIGHUP};

// The pipe the handler writes to: [0] read end, [1] write end.
std::array<int, 2> signalPipe{-1, -1};
std::array<struct sigaction, terminationSignals.size()> previousActions{};

extern "C" void writeSignalToPipe(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request to end: the byte may be dropped.
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (signalPipe[0] != -1) {
        Diagnostics::stopProgram("Only one TerminationSignals at a time");
    }
    if (::pipe2(signalPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        Diagnostics::stopProgram("The signal pipe could not be made");
    }
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    for (std::size_t i = 0; i < terminationSignals.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = writeSignalToPipe;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(terminationSignals[i], &action, &previousActions[i]);
    }
}

TerminationSignals::~TerminationSignals() {
    for (std::size_t i = 0; i < terminationSignals.size(); ++i) {
        ::sigaction(terminationSignals[i], &previousActions[i], nullptr);
    }
    delete notifier_;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe = {-1, -1};
}

void TerminationSignals::readSignal() {
    unsigned char byte = 0;
    while (::read(signalPipe[0], &byte, 1) == 1) {
        emit terminationRequested(byte);
    }
}

} // namespace Dotfield
