#include "adapterdriver/Receive/ReceiveListener.hpp"

#include <memory>
#include <mutex>

#include "adapterdriver/Device/HandleAccess.hpp"

namespace adapterdriver {

void notifyReceiveListener(DeviceExtension& record) {
    std::shared_ptr<const std::function<void()>> listener;
    {
        std::lock_guard guard(record.listenerMutex);
        listener = record.receiveListener;
    }
    // Called outside the lock, so the listener may take locks of its own
    // that its owner holds while it replaces the listener.
    if (listener) {
        (*listener)();
    }
}

AD_STATUS setReceiveListener(AD_HANDLE handle, ReceiveListener listener) {
    return withRecord(handle, [&](DeviceExtension& record) {
        auto shared = listener ? std::make_shared<const std::function<void()>>(std::move(listener)) : nullptr;
        std::lock_guard guard(record.listenerMutex);
        record.receiveListener = std::move(shared);
        return AD_OK;
    });
}

} // namespace adapterdriver
