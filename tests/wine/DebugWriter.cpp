// Writes debug output as any program does, through OutputDebugStringA: each argument's bytes,
// written in hexadecimal, as one text.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    for (int arg = 1; arg < argc; ++arg) {
        std::string text;
        for (const char* hex = argv[arg]; hex[0] && hex[1]; hex += 2)
            text += static_cast<char>(std::stoi(std::string(hex, 2), nullptr, 16));
        ::OutputDebugStringA(text.c_str());
    }
    return 0;
}
