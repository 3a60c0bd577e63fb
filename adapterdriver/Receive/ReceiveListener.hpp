#pragma once
// For a caller that waits for received bytes: a function the receive path
// calls after it added bytes to a handle's ring, and when the device goes
// away or the handle closes, so that a wait can sleep until something
// happened instead of asking for the queue status again and again. It runs on
// the driver's threads: it must be short and must not call the driver.
//
// Not part of the AD_ interface: the application's serial link uses it
// beside that interface.

#include <functional>

#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

using ReceiveListener = std::function<void()>;

// Replaces the handle's listener; an empty one removes it. AD_INVALID_HANDLE
// for a handle that is not open. Once this returns, the old listener is no
// longer started, though a call already under way may still finish.
AD_STATUS setReceiveListener(AD_HANDLE handle, ReceiveListener listener);

} // namespace adapterdriver
