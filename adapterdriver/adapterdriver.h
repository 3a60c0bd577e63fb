#ifndef ADAPTERDRIVER_ADAPTERDRIVER_H
#define ADAPTERDRIVER_ADAPTERDRIVER_H
/*
 * The direct-driver programming interface for the USB serial adapters the
 * instrument uses, implemented over libusb. Every function returns an
 * AD_STATUS (AD_OK on success). Handles come from AD_Open or AD_OpenEx and
 * stay valid until AD_Close; any other value, including a closed handle, is
 * answered with AD_INVALID_HANDLE.
 */

#include <pthread.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* AD_HANDLE;
typedef uint32_t AD_STATUS;

/* Status codes. */
#define AD_OK 0u
#define AD_INVALID_HANDLE 1u
#define AD_DEVICE_NOT_FOUND 2u
#define AD_DEVICE_NOT_OPENED 3u
#define AD_IO_ERROR 4u
#define AD_INSUFFICIENT_RESOURCES 5u
#define AD_INVALID_PARAMETER 6u
#define AD_EEPROM_READ_FAILED 11u
#define AD_EEPROM_WRITE_FAILED 12u
#define AD_EEPROM_ERASE_FAILED 13u
#define AD_EEPROM_NOT_PRESENT 14u
#define AD_EEPROM_NOT_PROGRAMMED 15u
#define AD_INVALID_ARGS 16u
#define AD_NOT_SUPPORTED 17u
#define AD_OTHER_ERROR 18u

/* AD_OpenEx and listing: what identifies the device. */
#define AD_OPEN_BY_SERIAL_NUMBER 1u
#define AD_OPEN_BY_DESCRIPTION 2u
#define AD_OPEN_BY_LOCATION 4u

/* AD_ListDevices modes (combined with an AD_OPEN_BY_ flag). */
#define AD_LIST_NUMBER_ONLY 0x80000000u
#define AD_LIST_BY_INDEX 0x40000000u
#define AD_LIST_ALL 0x20000000u
#define AD_LIST_MASK 0xE0000000u

/* Published buffer sizes of device strings, terminator included. */
#define AD_SERIAL_NUMBER_SIZE 16u
#define AD_DESCRIPTION_SIZE 64u

/* Chip types. */
#define AD_DEVICE_BM 0u
#define AD_DEVICE_AM 1u
#define AD_DEVICE_100AX 2u
#define AD_DEVICE_UNKNOWN 3u
#define AD_DEVICE_2232C 4u
#define AD_DEVICE_232R 5u
#define AD_DEVICE_2232H 6u
#define AD_DEVICE_4232H 7u
#define AD_DEVICE_232H 8u
#define AD_DEVICE_X_SERIES 9u

/* Line characteristics. */
#define AD_BITS_8 8u
#define AD_BITS_7 7u
#define AD_STOP_BITS_1 0u
#define AD_STOP_BITS_2 2u
#define AD_PARITY_NONE 0u
#define AD_PARITY_ODD 1u
#define AD_PARITY_EVEN 2u
#define AD_PARITY_MARK 3u
#define AD_PARITY_SPACE 4u

/* Flow control. */
#define AD_FLOW_NONE 0x0000u
#define AD_FLOW_RTS_CTS 0x0100u
#define AD_FLOW_DTR_DSR 0x0200u
#define AD_FLOW_XON_XOFF 0x0400u

/* AD_Purge mask. */
#define AD_PURGE_RX 1u
#define AD_PURGE_TX 2u

/* Event status bits and AD_SetEventNotification mask. */
#define AD_EVENT_RXCHAR 1u
#define AD_EVENT_MODEM_STATUS 2u
#define AD_EVENT_LINE_STATUS 4u

/* AD_SetBitMode: back to plain serial operation. */
#define AD_BITMODE_RESET 0x00u

/* Device-info node flags. */
#define AD_FLAGS_OPENED 1u
#define AD_FLAGS_HISPEED 2u

/* One entry of the device-info list (104 bytes on 64-bit systems). */
typedef struct {
    uint32_t Flags;
    uint32_t Type;
    uint32_t ID;    /* vendor id << 16 | product id */
    uint32_t LocId; /* (bus << 8 | address), on multi-interface chips << 4 | interface + 1 */
    char SerialNumber[16];
    char Description[64];
    AD_HANDLE ftHandle;
} AD_DEVICE_LIST_INFO_NODE;

/* Target of AD_SetEventNotification: signalled once per batch of events. */
typedef struct {
    pthread_cond_t eCondVar;
    pthread_mutex_t eMutex;
} AD_EVENT_HANDLE;

/* Listing and opening. */
AD_STATUS AD_ListDevices(void* arg1, void* arg2, uint32_t flags);
AD_STATUS AD_Open(int deviceNumber, AD_HANDLE* handle);
AD_STATUS AD_OpenEx(void* arg, uint32_t flags, AD_HANDLE* handle);
AD_STATUS AD_Close(AD_HANDLE handle);

/* Data. */
AD_STATUS AD_Read(AD_HANDLE handle, void* buffer, uint32_t bytesToRead, uint32_t* bytesReturned);
AD_STATUS AD_Write(AD_HANDLE handle, void* buffer, uint32_t bytesToWrite, uint32_t* bytesWritten);
AD_STATUS AD_GetQueueStatus(AD_HANDLE handle, uint32_t* rxBytes);
/* As AD_GetQueueStatus, without the cap at 0x10000 bytes. */
AD_STATUS QueueStatusUncapped(AD_HANDLE handle, uint32_t* rxBytes);
AD_STATUS AD_Purge(AD_HANDLE handle, uint32_t mask);

/* Line settings. AD_SetBaudRate answers a rate the chip cannot reach within
 * 3 % with 0xFFFFFFFF and sends nothing. */
AD_STATUS AD_SetBaudRate(AD_HANDLE handle, uint32_t baudRate);
AD_STATUS AD_SetDivisor(AD_HANDLE handle, uint16_t divisor);
AD_STATUS AD_SetDataCharacteristics(AD_HANDLE handle, uint8_t wordLength, uint8_t stopBits, uint8_t parity);
AD_STATUS AD_SetFlowControl(AD_HANDLE handle, uint16_t flowControl, uint8_t xon, uint8_t xoff);
AD_STATUS AD_ResetDevice(AD_HANDLE handle);
AD_STATUS AD_SetDtr(AD_HANDLE handle);
AD_STATUS AD_ClrDtr(AD_HANDLE handle);
AD_STATUS AD_SetRts(AD_HANDLE handle);
AD_STATUS AD_ClrRts(AD_HANDLE handle);
AD_STATUS AD_SetChars(AD_HANDLE handle, uint8_t eventChar, uint8_t eventCharEnabled, uint8_t errorChar,
                      uint8_t errorCharEnabled);
AD_STATUS AD_SetTimeouts(AD_HANDLE handle, uint32_t readTimeout, uint32_t writeTimeout);
AD_STATUS AD_SetBreakOn(AD_HANDLE handle);
AD_STATUS AD_SetBreakOff(AD_HANDLE handle);
AD_STATUS AD_SetLatencyTimer(AD_HANDLE handle, uint8_t latency);
AD_STATUS AD_GetLatencyTimer(AD_HANDLE handle, uint8_t* latency);
AD_STATUS AD_SetBitMode(AD_HANDLE handle, uint8_t mask, uint8_t mode);
AD_STATUS AD_GetBitMode(AD_HANDLE handle, uint8_t* pins);
AD_STATUS AD_SetDeadmanTimeout(AD_HANDLE handle, uint32_t deadmanTimeout);
AD_STATUS AD_SetUSBParameters(AD_HANDLE handle, uint32_t inTransferSize, uint32_t outTransferSize);

/* Status and events. */
AD_STATUS AD_GetModemStatus(AD_HANDLE handle, uint32_t* modemStatus);
AD_STATUS AD_SetEventNotification(AD_HANDLE handle, uint32_t mask, void* target);
AD_STATUS AD_GetStatus(AD_HANDLE handle, uint32_t* rxBytes, uint32_t* txBytes, uint32_t* eventStatus);
AD_STATUS AD_GetEventStatus(AD_HANDLE handle, uint32_t* eventStatus);

/* Device information. serialNumber needs 17 bytes, description 65. */
AD_STATUS AD_GetDeviceInfo(AD_HANDLE handle, uint32_t* type, uint32_t* id, char* serialNumber, char* description,
                           void* reserved);
AD_STATUS AD_CreateDeviceInfoList(uint32_t* count);
AD_STATUS AD_GetDeviceInfoList(AD_DEVICE_LIST_INFO_NODE* nodes, uint32_t* count);
AD_STATUS AD_GetDeviceInfoDetail(uint32_t index, uint32_t* flags, uint32_t* type, uint32_t* id, uint32_t* locId,
                                 void* serialNumber, void* description, AD_HANDLE* handle);
AD_STATUS AD_GetLibraryVersion(uint32_t* version);
AD_STATUS AD_GetDriverVersion(AD_HANDLE handle, uint32_t* version);
AD_STATUS AD_SetVIDPID(uint32_t vid, uint32_t pid);
AD_STATUS AD_GetVIDPID(uint32_t* vid, uint32_t* pid);

/* Miscellaneous handle operations. */
AD_STATUS AD_StopInTask(AD_HANDLE handle);
AD_STATUS AD_RestartInTask(AD_HANDLE handle);
AD_STATUS AD_CyclePort(AD_HANDLE handle);

/* Present for completeness; they answer AD_NOT_SUPPORTED. */
AD_STATUS AD_IoCtl(AD_HANDLE handle, uint32_t ioControlCode, void* inBuffer, uint32_t inBufferSize, void* outBuffer,
                   uint32_t outBufferSize, uint32_t* bytesReturned, void* overlapped);
AD_STATUS AD_SetWaitMask(AD_HANDLE handle, uint32_t mask);
AD_STATUS AD_WaitOnMask(AD_HANDLE handle, uint32_t* mask);
AD_STATUS AD_SetResetPipeRetryCount(AD_HANDLE handle, uint32_t count);
AD_STATUS AD_ResetPort(AD_HANDLE handle);

#ifdef __cplusplus
}
#endif

/* EEPROM access and the Win32-style interface, each in its own header. */
#include "adapterdriver/EEPROM/adapterdriver_eeprom.h"
#include "adapterdriver/W32/adapterdriver_w32.h"

#endif
