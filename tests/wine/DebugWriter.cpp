// Writes each argument as one text of debug output, as any program does.
#include <windows.h>

int main(int argc, char** argv) {
    for (int arg = 1; arg < argc; ++arg)
        ::OutputDebugStringA(argv[arg]);
    return 0;
}
