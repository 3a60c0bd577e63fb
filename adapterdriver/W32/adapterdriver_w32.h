#ifndef ADAPTERDRIVER_W32_ADAPTERDRIVER_W32_H
#define ADAPTERDRIVER_W32_ADAPTERDRIVER_W32_H
/*
 * The classic serial-port calls in the Win32 style, over the same handles as
 * the rest of the library. Each answers a boolean (1 true, 0 false) and keeps
 * the driver status of a failing step in the handle's last-error word
 * (AD_W32_GetLastError). An invalid handle gives false and touches nothing.
 * The functions marked "null gives 6" answer a missing pointer with the
 * number 6. Included by adapterdriver.h.
 */

#include <stdint.h>

#include "adapterdriver/adapterdriver.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef int AD_W32_BOOL;

/* What AD_W32_CreateFile answers when it opens nothing. */
#define AD_W32_INVALID_HANDLE_VALUE ((AD_HANDLE)(uintptr_t)0xFFFFFFFFu)

/* AD_W32_CreateFile: the name is a serial number or a description. */
#define AD_W32_OPEN_BY_SERIAL_NUMBER 1u
#define AD_W32_OPEN_BY_DESCRIPTION 2u

/* Line settings. */
typedef struct {
    uint32_t DCBlength;
    uint32_t BaudRate;
    uint32_t flags; /* AD_DCB_ bits below */
    uint16_t wReserved;
    uint16_t XonLim;
    uint16_t XoffLim;
    uint8_t ByteSize;
    uint8_t Parity;
    uint8_t StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    uint16_t wReserved1;
} ADDCB;

#define AD_DCB_OUTX_CTS_FLOW 0x0004u
#define AD_DCB_OUTX_DSR_FLOW 0x0008u
#define AD_DCB_DTR_CONTROL_SHIFT 4u /* two bits */
#define AD_DCB_DTR_CONTROL_MASK 0x0030u
#define AD_DCB_OUTX 0x0100u
#define AD_DCB_INX 0x0200u
#define AD_DCB_RTS_CONTROL_SHIFT 12u /* two bits */
#define AD_DCB_RTS_CONTROL_MASK 0x3000u

/* fDtrControl and fRtsControl values. */
#define AD_DTR_CONTROL_DISABLE 0u
#define AD_DTR_CONTROL_ENABLE 1u
#define AD_RTS_CONTROL_DISABLE 0u
#define AD_RTS_CONTROL_ENABLE 1u

typedef struct {
    uint32_t ReadIntervalTimeout;
    uint32_t ReadTotalTimeoutMultiplier;
    uint32_t ReadTotalTimeoutConstant;
    uint32_t WriteTotalTimeoutMultiplier;
    uint32_t WriteTotalTimeoutConstant;
} ADTIMEOUTS;

typedef struct {
    uint32_t flags; /* bits 0-6: CTS, DSR, RLSD and XOFF hold, XOFF sent, EOF, immediate transmit */
    uint32_t cbInQue;
    uint32_t cbOutQue;
} ADCOMSTAT;

/* Line errors reported by AD_W32_ClearCommError. */
#define AD_CE_OVERRUN 0x0002u
#define AD_CE_RXPARITY 0x0004u
#define AD_CE_FRAME 0x0008u
#define AD_CE_BREAK 0x0010u

/* Event mask bits. */
#define AD_EV_RXCHAR 0x0001u
#define AD_EV_RXFLAG 0x0002u
#define AD_EV_TXEMPTY 0x0004u
#define AD_EV_CTS 0x0008u
#define AD_EV_DSR 0x0010u
#define AD_EV_RLSD 0x0020u
#define AD_EV_ERR 0x0080u
#define AD_EV_RING 0x0100u

/* AD_W32_PurgeComm flags. */
#define AD_PURGE_TXABORT 0x0001u
#define AD_PURGE_RXABORT 0x0002u
#define AD_PURGE_TXCLEAR 0x0004u
#define AD_PURGE_RXCLEAR 0x0008u

/* AD_W32_EscapeCommFunction functions. */
#define AD_SETRTS 3u
#define AD_CLRRTS 4u
#define AD_SETDTR 5u
#define AD_CLRDTR 6u
#define AD_SETBREAK 8u
#define AD_CLRBREAK 9u

AD_HANDLE AD_W32_CreateFile(const void* name, uint32_t access, uint32_t shareMode, void* security,
                            uint32_t create, uint32_t flagsAndAttributes, void* templateFile);
AD_W32_BOOL AD_W32_CloseHandle(AD_HANDLE handle);
AD_W32_BOOL AD_W32_ReadFile(AD_HANDLE handle, void* buffer, uint32_t bytesToRead, uint32_t* bytesReturned,
                            void* overlapped);
AD_W32_BOOL AD_W32_WriteFile(AD_HANDLE handle, void* buffer, uint32_t bytesToWrite, uint32_t* bytesWritten,
                             void* overlapped);
AD_W32_BOOL AD_W32_GetOverlappedResult(AD_HANDLE handle, void* overlapped, uint32_t* bytesTransferred,
                                       AD_W32_BOOL wait);
AD_W32_BOOL AD_W32_CancelIo(AD_HANDLE handle);

AD_W32_BOOL AD_W32_ClearCommBreak(AD_HANDLE handle);
AD_W32_BOOL AD_W32_SetCommBreak(AD_HANDLE handle);
AD_W32_BOOL AD_W32_ClearCommError(AD_HANDLE handle, uint32_t* errors, ADCOMSTAT* comstat);
AD_W32_BOOL AD_W32_EscapeCommFunction(AD_HANDLE handle, uint32_t function);
AD_W32_BOOL AD_W32_GetCommModemStatus(AD_HANDLE handle, uint32_t* modemStatus);
AD_W32_BOOL AD_W32_GetCommState(AD_HANDLE handle, ADDCB* dcb);              /* null gives 6 */
AD_W32_BOOL AD_W32_SetCommState(AD_HANDLE handle, ADDCB* dcb);              /* null gives 6 */
AD_W32_BOOL AD_W32_GetCommTimeouts(AD_HANDLE handle, ADTIMEOUTS* timeouts); /* null gives 6 */
AD_W32_BOOL AD_W32_SetCommTimeouts(AD_HANDLE handle, ADTIMEOUTS* timeouts); /* null gives 6 */
uint32_t AD_W32_GetLastError(AD_HANDLE handle);                             /* 1 for an invalid handle */
AD_W32_BOOL AD_W32_PurgeComm(AD_HANDLE handle, uint32_t flags);
AD_W32_BOOL AD_W32_SetCommMask(AD_HANDLE handle, uint32_t mask);
AD_W32_BOOL AD_W32_SetupComm(AD_HANDLE handle, uint32_t readBufferSize, uint32_t writeBufferSize);
/* Blocks until an event of the mask arrives (true, *mask = those events), the
 * mask is changed (true, *mask = 0) or the handle is closed (false). null
 * gives 6. */
AD_W32_BOOL AD_W32_WaitCommEvent(AD_HANDLE handle, uint32_t* mask, void* overlapped);

/* The handle AD_Open gives for the index, or 0 when it fails. */
AD_HANDLE OpenHandleByIndex(uint32_t index);

#ifdef __cplusplus
}
#endif

#endif
