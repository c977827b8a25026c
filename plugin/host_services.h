// The library-wide state of the plug-in: the one Matrix view, its popup menu and
// the optional address-to-name conversion module, with the calls that reach it.
#pragma once

#include "hostdb/convert_mapped_address.h"
#include "platform/afx.h"

class CMatrixView;

extern AFX_EXTENSION_MODULE g_extensionModule;
extern CMatrixView* g_matrixView;
extern CMenu* g_popupMenu;
// Both set or both null.
extern HMODULE g_parlanceModule;
extern ConvertMappedAddressProc g_convertMappedAddress;

// Calls the conversion function when it is bound; for CONVERT_REGISTER and
// CONVERT_UNREGISTER address, scratch and row are 0.
void CallConvertMappedAddress(int command, uint32_t* slot, const char* address = nullptr,
                              char* scratch = nullptr, intptr_t row = 0);

// Binds the conversion module named by the host's win.ini: "Dir=" in the first
// entry of its section gives the folder of Parlance.dll.
void BindConversionModule();
