#pragma once
// Ends the program in order when it receives SIGINT (Ctrl+C in the terminal
// that started it), SIGTERM or SIGHUP: the signal handler only writes a byte
// into a pipe, and the main thread, woken by it, quits the event loop, so the
// shutdown runs as it does for Quit and the exit status is 0.

#include <QObject>

class QSocketNotifier;

namespace Dotfield {

class TerminationSignals final : public QObject {
    Q_OBJECT

  public:
    // One at a time; main thread.
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts the previous handlers back.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

  signals:
    void terminationRequested(int signal);

  private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace Dotfield
