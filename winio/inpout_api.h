#ifndef TARNWICK_WINIO_INPOUT_API_H_
#define TARNWICK_WINIO_INPOUT_API_H_

#include <windows.h>

// The public API of the port-access library InpOut (inpout32.dll for 32-bit
// programs, inpoutx64.dll for 64-bit ones): plain names, stdcall. The
// library opens its driver when it is loaded and closes it when unloaded.
// This project's own InpOut DLL (the simulated board) defines these; the
// command line finds the four it uses at run time.
extern "C" {

// The original API: one byte out to, or in from, a port.
void __stdcall Out32(SHORT PortAddress, SHORT data);
SHORT __stdcall Inp32(SHORT PortAddress);

// TRUE when the library's driver was opened: port access works.
BOOL __stdcall IsInpOutDriverOpen();
// TRUE on 64-bit Windows.
BOOL __stdcall IsXP64Bit();

// The DriverLINX Port I/O names, in 8, 16 and 32 bits.
UCHAR __stdcall DlPortReadPortUchar(USHORT port);
void __stdcall DlPortWritePortUchar(USHORT port, UCHAR Value);
USHORT __stdcall DlPortReadPortUshort(USHORT port);
void __stdcall DlPortWritePortUshort(USHORT port, USHORT Value);
ULONG __stdcall DlPortReadPortUlong(ULONG port);
void __stdcall DlPortWritePortUlong(ULONG port, ULONG Value);

}  // extern "C"

#endif  // TARNWICK_WINIO_INPOUT_API_H_
