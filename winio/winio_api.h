#ifndef TARNWICK_WINIO_WINIO_API_H_
#define TARNWICK_WINIO_WINIO_API_H_

#include <windows.h>

// The public API of the port-access library WINIO.dll: plain names, stdcall.
// The program imports these four and nothing else from it; this project's
// own WINIO.dll (the simulated board) defines them.
extern "C" {

// Obtains direct port access for the process. True on success.
bool __stdcall InitializeWinIo();

// Releases what InitializeWinIo obtained.
void __stdcall ShutdownWinIo();

// Reads `bSize` bytes (1, 2 or 4) from port `wPortAddr` into *pdwPortVal.
bool __stdcall GetPortVal(WORD wPortAddr, PDWORD pdwPortVal, BYTE bSize);

// Writes the low `bSize` bytes of `dwPortVal` to port `wPortAddr`.
bool __stdcall SetPortVal(WORD wPortAddr, DWORD dwPortVal, BYTE bSize);

}  // extern "C"

#endif  // TARNWICK_WINIO_WINIO_API_H_
