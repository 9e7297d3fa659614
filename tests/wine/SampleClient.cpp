// Sends Kestrin three messages through the About box's routine, compiled in as shown.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "ClientSampleRoutine.inc"

int main() {
    // The routine takes a char *, as old code did.
    char counted[] = "%s: %d items, %.2f%% done";
    char padded[] = "%s: [%-5s|%5s] 0x%04X %c";
    char plain[] = "plain text, no conversions";
    DT(counted, "tag", 42, 99.5);
    DT(padded, "tag", "ab", "cd", 0xBEEF, 'K');
    DT(plain);
    return 0;
}
