// The few Windows types the capture core uses, so that it also builds on the host.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

typedef uint16_t WORD;
typedef uint32_t DWORD;
#endif
