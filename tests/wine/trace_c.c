/* The client header in a C file of a program that includes it in C++ too, with KT off. */
#define KESTRIN_TRACE_OFF
#include "kestrin_trace.h"

BOOL TraceFromC(const char* text, int* evaluated) {
    KT("%d", ++*evaluated);
    (void)evaluated; /* which KT, being off, leaves unused */
    return KestrinTraceTimeout(INFINITE, "C: %s", text);
}
