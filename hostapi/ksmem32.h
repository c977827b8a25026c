// The host runtime's text localisation. Implemented by libksmem32 (host/ksmem32).
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Returns the text to display in place of the English text. The result stays valid
// for the life of the process; callers never free it.
const char* Localize(const char* text);

#ifdef __cplusplus
}
#endif
