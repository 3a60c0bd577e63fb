#pragma once
// Binds the main queue to Qt's event loop: work runs as queued calls on the
// application object's thread.

#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

class QtMainThreadBinding final : public MainThreadBinding {
  public:
    // Needs a QCoreApplication; its thread is the main thread.
    QtMainThreadBinding();

    bool isMainThread() const override;
    void post(std::function<void()> work) override;
};

} // namespace Dotfield
