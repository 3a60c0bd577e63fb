#pragma once
// The system's answer to "may this user unlock the motor tuning values",
// asked of polkit through its command-line checker, pkcheck. The checker runs
// as a child process, so the main thread goes on while polkit's agent shows
// its password dialog. The process is named by pid, start time and uid, which
// a reused pid cannot match.
//
// Made, used and destroyed on the main thread (Qt's event loop); completions
// run through the main queue.

#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "Dotfield/Platform/Authorizer.hpp"

class QProcess;

namespace Dotfield {

class PolkitAuthorizer final : public Authorizer {
  public:
    // The action the policy file com.veltrane.Dotfield.policy declares.
    static constexpr const char* actionIdentifier = "com.veltrane.Dotfield.TuningParameters";

    // Runs "pkcheck" as found on the PATH.
    PolkitAuthorizer();
    // Runs the checker at this path (tests give a stand-in).
    explicit PolkitAuthorizer(QString checkerProgram);
    // A check still running is ended and its completions are dropped, never
    // called: they may refer to whatever is being torn down with us.
    ~PolkitAuthorizer() override;

    PolkitAuthorizer(const PolkitAuthorizer&) = delete;
    PolkitAuthorizer& operator=(const PolkitAuthorizer&) = delete;

    // Exit status 0 of the checker grants. Any other status (1 refused,
    // 2 no authentication agent, 3 dialog dismissed, 127 checker error), a
    // checker that cannot be started or that crashes refuses, with a log line.
    // A request made while a check runs joins it: both completions get the
    // answer of that one check, since they ask the same question of the same
    // process, and the user sees one dialog rather than two.
    void requestAuthorization(std::function<void(bool granted)> completion) override;

  private:
    void startCheck();
    void finishCheck(bool granted, const QString& refusal);

    QString checkerProgram_;
    std::unique_ptr<QProcess> check_;
    std::vector<std::function<void(bool)>> waiting_;
    // Expires with the authorizer, so completions posted to the main queue
    // are dropped once it is gone.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

} // namespace Dotfield
