#ifndef ADAPTERDRIVER_EEPROM_ADAPTERDRIVER_EEPROM_H
#define ADAPTERDRIVER_EEPROM_ADAPTERDRIVER_EEPROM_H
/*
 * EEPROM access of the adapter driver library: word access, programming and
 * reading through AD_PROGRAM_DATA, the chip-specific AD_EEPROM_Read
 * structures and the user area. Included by adapterdriver.h.
 */

#include <stdint.h>

#include "adapterdriver/adapterdriver.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Sizes of the string buffers a caller hands to the reading functions,
 * terminator included. Longer strings in an EEPROM are cut to fit. */
#define AD_EE_MANUFACTURER_SIZE 32u
#define AD_EE_MANUFACTURER_ID_SIZE 16u
#define AD_EE_DESCRIPTION_SIZE 64u
#define AD_EE_SERIAL_NUMBER_SIZE 16u

/*
 * Programming record. Signature1 = 0, Signature2 = 0xFFFFFFFF and Version
 * (0 BM, 1 2232C, 2 232R, 3 2232H, 4 4232H, 5 232H) form the header. A record
 * of the older layout has no header: it is the bytes of this record from
 * VendorId on. Drive currents are in mA (4, 8, 12, 16); flags are 0 or 1.
 */
typedef struct {
    uint32_t Signature1;
    uint32_t Signature2;
    uint32_t Version;

    /* Every chip (version 0 on). */
    uint16_t VendorId;
    uint16_t ProductId;
    char* Manufacturer;
    char* ManufacturerId;
    char* Description;
    char* SerialNumber;
    uint16_t MaxPower; /* mA, at most 500 */
    uint16_t PnP;
    uint16_t SelfPowered;
    uint16_t RemoteWakeup;
    /* BM (version 0). */
    uint8_t Rev4;
    uint8_t IsoIn;
    uint8_t IsoOut;
    uint8_t PullDownEnable;
    uint8_t SerNumEnable;
    uint8_t USBVersionEnable;
    uint16_t USBVersion;

    /* 2232C (version 1). */
    uint8_t Rev5;
    uint8_t IsoInA;
    uint8_t IsoInB;
    uint8_t IsoOutA;
    uint8_t IsoOutB;
    uint8_t PullDownEnable5;
    uint8_t SerNumEnable5;
    uint8_t USBVersionEnable5;
    uint16_t USBVersion5;
    uint8_t AIsHighCurrent;
    uint8_t BIsHighCurrent;
    uint8_t IFAIsFifo;
    uint8_t IFAIsFifoTar;
    uint8_t IFAIsFastSer;
    uint8_t AIsVCP;
    uint8_t IFBIsFifo;
    uint8_t IFBIsFifoTar;
    uint8_t IFBIsFastSer;
    uint8_t BIsVCP;

    /* 232R (version 2). */
    uint8_t UseExtOsc;
    uint8_t HighDriveIOs;
    uint8_t EndpointSize;
    uint8_t PullDownEnableR;
    uint8_t SerNumEnableR;
    uint8_t InvertTXD;
    uint8_t InvertRXD;
    uint8_t InvertRTS;
    uint8_t InvertCTS;
    uint8_t InvertDTR;
    uint8_t InvertDSR;
    uint8_t InvertDCD;
    uint8_t InvertRI;
    uint8_t Cbus0;
    uint8_t Cbus1;
    uint8_t Cbus2;
    uint8_t Cbus3;
    uint8_t Cbus4;
    uint8_t RIsDirectDriver;

    /* 2232H (version 3). */
    uint8_t PullDownEnable7;
    uint8_t SerNumEnable7;
    uint8_t ALSlowSlew;
    uint8_t ALSchmittInput;
    uint8_t ALDriveCurrent;
    uint8_t AHSlowSlew;
    uint8_t AHSchmittInput;
    uint8_t AHDriveCurrent;
    uint8_t BLSlowSlew;
    uint8_t BLSchmittInput;
    uint8_t BLDriveCurrent;
    uint8_t BHSlowSlew;
    uint8_t BHSchmittInput;
    uint8_t BHDriveCurrent;
    uint8_t IFAIsFifo7;
    uint8_t IFAIsFifoTar7;
    uint8_t IFAIsFastSer7;
    uint8_t AIsVCP7;
    uint8_t IFBIsFifo7;
    uint8_t IFBIsFifoTar7;
    uint8_t IFBIsFastSer7;
    uint8_t BIsVCP7;
    uint8_t PowerSaveEnable;

    /* 4232H (version 4). */
    uint8_t PullDownEnable8;
    uint8_t SerNumEnable8;
    uint8_t ASlowSlew;
    uint8_t ASchmittInput;
    uint8_t ADriveCurrent;
    uint8_t BSlowSlew;
    uint8_t BSchmittInput;
    uint8_t BDriveCurrent;
    uint8_t CSlowSlew;
    uint8_t CSchmittInput;
    uint8_t CDriveCurrent;
    uint8_t DSlowSlew;
    uint8_t DSchmittInput;
    uint8_t DDriveCurrent;
    uint8_t ARIIsTXDEN;
    uint8_t BRIIsTXDEN;
    uint8_t CRIIsTXDEN;
    uint8_t DRIIsTXDEN;
    uint8_t AIsVCP8;
    uint8_t BIsVCP8;
    uint8_t CIsVCP8;
    uint8_t DIsVCP8;

    /* 232H (version 5). */
    uint8_t PullDownEnableH;
    uint8_t SerNumEnableH;
    uint8_t ACSlowSlewH;
    uint8_t ACSchmittInputH;
    uint8_t ACDriveCurrentH;
    uint8_t ADSlowSlewH;
    uint8_t ADSchmittInputH;
    uint8_t ADDriveCurrentH;
    uint8_t Cbus0H;
    uint8_t Cbus1H;
    uint8_t Cbus2H;
    uint8_t Cbus3H;
    uint8_t Cbus4H;
    uint8_t Cbus5H;
    uint8_t Cbus6H;
    uint8_t Cbus7H;
    uint8_t Cbus8H;
    uint8_t Cbus9H;
    uint8_t IsFifoH;
    uint8_t IsFifoTarH;
    uint8_t IsFastSerH;
    uint8_t IsFT1248H;
    uint8_t FT1248CpolH;
    uint8_t FT1248LsbH;
    uint8_t FT1248FlowControlH;
    uint8_t IsVCPH;
    uint8_t PowerSaveEnableH;
} AD_PROGRAM_DATA;

/* Structures of AD_EEPROM_Read: the header, then the chip's own fields. */
typedef struct {
    uint32_t deviceType; /* AD_DEVICE_ chip type; must match the handle's */
    uint16_t VendorId;
    uint16_t ProductId;
    uint8_t SerNumEnable;
    uint16_t MaxPower; /* mA */
    uint8_t SelfPowered;
    uint8_t RemoteWakeup;
    uint8_t PullDownEnable;
} AD_EEPROM_HEADER;

typedef struct {
    AD_EEPROM_HEADER common;
} AD_EEPROM_232B;

typedef struct {
    AD_EEPROM_HEADER common;
    uint8_t AIsHighCurrent;
    uint8_t BIsHighCurrent;
    uint8_t AIsFifo;
    uint8_t AIsFifoTar;
    uint8_t AIsFastSer;
    uint8_t BIsFifo;
    uint8_t BIsFifoTar;
    uint8_t BIsFastSer;
    uint8_t ADriverType;
    uint8_t BDriverType;
} AD_EEPROM_2232;

typedef struct {
    AD_EEPROM_HEADER common;
    uint8_t IsHighCurrent;
    uint8_t UseExtOsc;
    uint8_t InvertTXD;
    uint8_t InvertRXD;
    uint8_t InvertRTS;
    uint8_t InvertCTS;
    uint8_t InvertDTR;
    uint8_t InvertDSR;
    uint8_t InvertDCD;
    uint8_t InvertRI;
    uint8_t Cbus0;
    uint8_t Cbus1;
    uint8_t Cbus2;
    uint8_t Cbus3;
    uint8_t Cbus4;
    uint8_t DriverType;
} AD_EEPROM_232R;

typedef struct {
    AD_EEPROM_HEADER common;
    uint8_t ALSlowSlew;
    uint8_t ALSchmittInput;
    uint8_t ALDriveCurrent;
    uint8_t AHSlowSlew;
    uint8_t AHSchmittInput;
    uint8_t AHDriveCurrent;
    uint8_t BLSlowSlew;
    uint8_t BLSchmittInput;
    uint8_t BLDriveCurrent;
    uint8_t BHSlowSlew;
    uint8_t BHSchmittInput;
    uint8_t BHDriveCurrent;
    uint8_t AIsFifo;
    uint8_t AIsFifoTar;
    uint8_t AIsFastSer;
    uint8_t BIsFifo;
    uint8_t BIsFifoTar;
    uint8_t BIsFastSer;
    uint8_t PowerSaveEnable;
    uint8_t ADriverType;
    uint8_t BDriverType;
} AD_EEPROM_2232H;

typedef struct {
    AD_EEPROM_HEADER common;
    uint8_t ASlowSlew;
    uint8_t ASchmittInput;
    uint8_t ADriveCurrent;
    uint8_t BSlowSlew;
    uint8_t BSchmittInput;
    uint8_t BDriveCurrent;
    uint8_t CSlowSlew;
    uint8_t CSchmittInput;
    uint8_t CDriveCurrent;
    uint8_t DSlowSlew;
    uint8_t DSchmittInput;
    uint8_t DDriveCurrent;
    uint8_t ARIIsTXDEN;
    uint8_t BRIIsTXDEN;
    uint8_t CRIIsTXDEN;
    uint8_t DRIIsTXDEN;
    uint8_t ADriverType;
    uint8_t BDriverType;
    uint8_t CDriverType;
    uint8_t DDriverType;
} AD_EEPROM_4232H;

typedef struct {
    AD_EEPROM_HEADER common;
    uint8_t ACSlowSlew;
    uint8_t ACSchmittInput;
    uint8_t ACDriveCurrent;
    uint8_t ADSlowSlew;
    uint8_t ADSchmittInput;
    uint8_t ADDriveCurrent;
    uint8_t Cbus0;
    uint8_t Cbus1;
    uint8_t Cbus2;
    uint8_t Cbus3;
    uint8_t Cbus4;
    uint8_t Cbus5;
    uint8_t Cbus6;
    uint8_t Cbus7;
    uint8_t Cbus8;
    uint8_t Cbus9;
    uint8_t FT1248Cpol;
    uint8_t FT1248Lsb;
    uint8_t FT1248FlowControl;
    uint8_t IsFifo;
    uint8_t IsFifoTar;
    uint8_t IsFastSer;
    uint8_t IsFT1248;
    uint8_t PowerSaveEnable;
    uint8_t DriverType;
} AD_EEPROM_232H;

typedef struct {
    AD_EEPROM_HEADER common;
    uint8_t ACSlowSlew;
    uint8_t ACSchmittInput;
    uint8_t ACDriveCurrent;
    uint8_t ADSlowSlew;
    uint8_t ADSchmittInput;
    uint8_t ADDriveCurrent;
    uint8_t Cbus0;
    uint8_t Cbus1;
    uint8_t Cbus2;
    uint8_t Cbus3;
    uint8_t Cbus4;
    uint8_t Cbus5;
    uint8_t Cbus6;
    uint8_t InvertTXD;
    uint8_t InvertRXD;
    uint8_t InvertRTS;
    uint8_t InvertCTS;
    uint8_t InvertDTR;
    uint8_t InvertDSR;
    uint8_t InvertDCD;
    uint8_t InvertRI;
    uint8_t BCDEnable;
    uint8_t BCDForceCbusPWREN;
    uint8_t BCDDisableSleep;
    uint16_t I2CSlaveAddress;
    uint32_t I2CDeviceId;
    uint8_t I2CDisableSchmitt;
    uint8_t FT1248Cpol;
    uint8_t FT1248Lsb;
    uint8_t FT1248FlowControl;
    uint8_t RS485EchoSuppress;
    uint8_t PowerSaveEnable;
    uint8_t DriverType;
} AD_EEPROM_X_SERIES;

/* Word access (word offsets below 2048). */
AD_STATUS AD_ReadEE(AD_HANDLE handle, uint32_t wordOffset, uint16_t* value);
AD_STATUS AD_WriteEE(AD_HANDLE handle, uint32_t wordOffset, uint16_t value);
AD_STATUS AD_EraseEE(AD_HANDLE handle);

/* Programming and reading through AD_PROGRAM_DATA. An empty or missing
 * serial number is generated from ManufacturerId and the time of day. The
 * reading functions fill the string buffers the record points at (sizes
 * above) when they are given. */
AD_STATUS AD_EE_Program(AD_HANDLE handle, AD_PROGRAM_DATA* data);
AD_STATUS AD_EE_ProgramEx(AD_HANDLE handle, AD_PROGRAM_DATA* data, char* manufacturer, char* manufacturerId,
                          char* description, char* serialNumber);
AD_STATUS AD_EE_Read(AD_HANDLE handle, AD_PROGRAM_DATA* data);
AD_STATUS AD_EE_ReadEx(AD_HANDLE handle, AD_PROGRAM_DATA* data, char* manufacturer, char* manufacturerId,
                       char* description, char* serialNumber);

/* The user area: the free words between the strings and the checksum. */
AD_STATUS AD_EE_UASize(AD_HANDLE handle, uint32_t* size);
AD_STATUS AD_EE_UAWrite(AD_HANDLE handle, uint8_t* data, uint32_t length);
AD_STATUS AD_EE_UARead(AD_HANDLE handle, uint8_t* buffer, uint32_t length, uint32_t* bytesRead);

/* Reads the EEPROM into the chip's structure (AD_EEPROM_232B ...
 * AD_EEPROM_X_SERIES, chosen by structure->deviceType). All four string
 * buffers are required. */
AD_STATUS AD_EEPROM_Read(AD_HANDLE handle, void* structure, uint32_t structureSize, char* manufacturer,
                         char* manufacturerId, char* description, char* serialNumber);

/* Present for completeness; they answer AD_NOT_SUPPORTED. */
AD_STATUS AD_EEPROM_Program(AD_HANDLE handle, void* structure, uint32_t structureSize, char* manufacturer,
                            char* manufacturerId, char* description, char* serialNumber);
AD_STATUS AD_EE_ReadConfig(AD_HANDLE handle, uint8_t address, uint8_t* value);
AD_STATUS AD_EE_WriteConfig(AD_HANDLE handle, uint8_t address, uint8_t value);
AD_STATUS AD_EE_ReadECC(AD_HANDLE handle, uint8_t option, uint16_t* value);

#ifdef __cplusplus
}
#endif

#endif
