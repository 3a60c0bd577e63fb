#pragma once
// What the scripted open and save choosers for tests share: the script of
// answers that plays the operator who picks a file or cancels, the record of
// every request, and installing a scripted chooser for a scope.

#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace Dotfield {

template <typename Request> class FileChooserScript {
  public:
    // Queues the answer to the next request; nothing plays a cancel. A script
    // that has run out cancels.
    void answer(std::optional<std::filesystem::path> file) {
        const std::lock_guard lock(mutex_);
        script_.push_back(std::move(file));
    }
    std::vector<Request> requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

  protected:
    // Records the request and takes the next answer.
    std::optional<std::filesystem::path> nextAnswer(const Request& request) {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (script_.empty()) {
            return std::nullopt;
        }
        auto file = std::move(script_.front());
        script_.pop_front();
        return file;
    }

  private:
    mutable std::mutex mutex_;
    std::deque<std::optional<std::filesystem::path>> script_;
    std::vector<Request> requests_;
};

// Installs a new `Scripted` chooser with `install` for the lifetime of the
// object and restores the previous chooser afterwards.
template <typename Scripted, typename Chooser, std::shared_ptr<Chooser> (*install)(std::shared_ptr<Chooser>)>
class ScopedScriptedChooser {
  public:
    ScopedScriptedChooser() : chooser_(std::make_shared<Scripted>()), previous_(install(chooser_)) {}
    ~ScopedScriptedChooser() { install(previous_); }
    ScopedScriptedChooser(const ScopedScriptedChooser&) = delete;
    ScopedScriptedChooser& operator=(const ScopedScriptedChooser&) = delete;
    Scripted& chooser() { return *chooser_; }

  private:
    std::shared_ptr<Scripted> chooser_;
    std::shared_ptr<Chooser> previous_;
};

} // namespace Dotfield
