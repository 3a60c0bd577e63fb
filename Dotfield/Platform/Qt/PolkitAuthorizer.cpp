#include "Dotfield/Platform/Qt/PolkitAuthorizer.hpp"

#include <QProcess>
#include <QStringList>

#include <sys/types.h>
#include <unistd.h>

#include <utility>

#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Platform/ProcessStartTime.hpp"

namespace Dotfield {

namespace {

// The first line of what the checker wrote to standard error, kept short
// enough for one log line.
QString firstLineOf(const QByteArray& output) {
    QString line = QString::fromLocal8Bit(output).trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    constexpr qsizetype longest = 200;
    if (line.size() > longest) {
        line = line.left(longest) + QStringLiteral("...");
    }
    return line;
}

} // namespace

PolkitAuthorizer::PolkitAuthorizer() : PolkitAuthorizer(QStringLiteral("pkcheck")) {}

PolkitAuthorizer::PolkitAuthorizer(QString checkerProgram) : checkerProgram_(std::move(checkerProgram)) {}

PolkitAuthorizer::~PolkitAuthorizer() {
    waiting_.clear();
    if (check_) {
        // Ending the checker also ends its question to polkit, whose agent
        // then withdraws the dialog.
        QObject::disconnect(check_.get(), nullptr, nullptr, nullptr);
        check_->kill();
        check_->waitForFinished();
    }
}

void PolkitAuthorizer::requestAuthorization(std::function<void(bool granted)> completion) {
    waiting_.push_back(std::move(completion));
    if (!check_) {
        startCheck();
    }
}

void PolkitAuthorizer::startCheck() {
    const auto startTime = currentProcessStartTime();
    if (!startTime) {
        // Without the start time the process could only be named by its pid,
        // which another process may have taken over by the time polkit looks.
        finishCheck(false,
                    QStringLiteral("the start time of this process cannot be read from /proc/self/stat"));
        return;
    }
    const QString subject = QStringLiteral("%1,%2,%3")
                                .arg(static_cast<qlonglong>(::getpid()))
                                .arg(static_cast<qulonglong>(*startTime))
                                .arg(static_cast<qulonglong>(::getuid()));

    check_ = std::make_unique<QProcess>();
    QProcess* process = check_.get();
    process->setProgram(checkerProgram_);
    process->setArguments({QStringLiteral("--action-id"), QString::fromLatin1(actionIdentifier),
                           QStringLiteral("--process"), subject, QStringLiteral("--allow-user-interaction")});
    process->setStandardInputFile(QProcess::nullDevice());
    // Its details on standard output are not needed; its diagnostic on
    // standard error goes into the log line of a refusal.
    process->setStandardOutputFile(QProcess::nullDevice());

    QObject::connect(
        process, &QProcess::finished, process,
        [this, process](int exitCode, QProcess::ExitStatus exitStatus) {
            if (check_.get() != process) {
                return;
            }
            if (exitStatus != QProcess::NormalExit) {
                finishCheck(false, QStringLiteral("%1 crashed").arg(checkerProgram_));
                return;
            }
            QString refusal;
            if (exitCode != 0) {
                refusal = QStringLiteral("%1 exited with status %2").arg(checkerProgram_).arg(exitCode);
                const QString diagnostic = firstLineOf(process->readAllStandardError());
                if (!diagnostic.isEmpty()) {
                    refusal += QStringLiteral(": ") + diagnostic;
                }
            }
            finishCheck(exitCode == 0, refusal);
        });
    QObject::connect(
        process, &QProcess::errorOccurred, process, [this, process](QProcess::ProcessError error) {
            // A crash is answered by the finished signal that follows it; only a
            // failure to start ends the check here.
            if (error == QProcess::FailedToStart && check_.get() == process) {
                finishCheck(
                    false,
                    QStringLiteral("%1 cannot be started: %2").arg(checkerProgram_, process->errorString()));
            }
        });
    // May fail at once and end the check before it returns: nothing of the
    // process is touched after this.
    process->start();
}

void PolkitAuthorizer::finishCheck(bool granted, const QString& refusal) {
    if (check_) {
        // Called from one of the process's own signals: it is deleted once
        // that signal has returned.
        QObject::disconnect(check_.get(), nullptr, nullptr, nullptr);
        check_.release()->deleteLater();
    }
    if (!granted) {
        writeLogLine("Unlocking the motor tuning values was refused: " + refusal.toStdString());
    }
    // The completions run later, never inside the request or inside a signal
    // of the finished process, so they may ask again or destroy the
    // authorizer.
    MainQueue::main().async(
        [lifetime = std::weak_ptr<int>(lifetime_), completions = std::move(waiting_), granted] {
            for (const auto& completion : completions) {
                if (lifetime.expired()) {
                    return;
                }
                if (completion) {
                    completion(granted);
                }
            }
        });
    waiting_.clear();
}

} // namespace Dotfield
