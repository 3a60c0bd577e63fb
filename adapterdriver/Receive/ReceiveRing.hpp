#pragma once
// The receive side of a handle: four bulk-in transfers kept in flight by the
// reader thread, completed on the library's event thread, and unpacked by the
// processor thread into the 256 KB ring that AD_Read drains. Every USB packet
// from the adapter starts with two status bytes (modem status, line status);
// they are stripped here and feed the modem status and the events. A quiet
// adapter sends a packet of status bytes alone every latency period; when it
// repeats the status already taken, the event thread hands the transfer
// straight back to the adapter, and the reader and processor sleep on.

#include <cstddef>

#include "adapterdriver/Device/DeviceExtension.hpp"

namespace adapterdriver {

// Thread bodies, started by the open.
void readerThreadMain(DeviceExtension* record);
void processorThreadMain(DeviceExtension* record);

// Completion callback of the bulk-in transfers (runs on the event thread).
void receiveTransferCompleted(USBTransfer& transfer);

// Splits one bulk-in transfer into packets, takes their status bytes and
// stores their payload in the ring.
void processReceivedBuffer(DeviceExtension& record, const unsigned char* data, std::size_t length);

// The receive purge: empties the ring and drops what queued transfers bring.
void discardReceivedData(DeviceExtension& record);

// Cancels the bulk-in transfers still in flight and waits for their
// callbacks; false when one did not come back in time (it must then be
// leaked rather than freed).
bool retireReceiveTransfers(DeviceExtension& record);

} // namespace adapterdriver
