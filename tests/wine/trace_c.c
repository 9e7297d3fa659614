/* The client header in a C file of a program that includes it in C++ too, with KT off. */
#define KESTRIN_TRACE_OFF
#include "kestrin_trace.h"

BOOL TraceFromC(const char* text) {
    return KestrinTraceTimeout(INFINITE, "C: %s", text);
}

int TraceOffEvaluations(void) {
    int evaluated = 0;
    KT("%d", ++evaluated);
    return evaluated;
}
