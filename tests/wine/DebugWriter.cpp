// Writes debug output as any program does, through OutputDebugStringA.
// "debug-writer COUNT TAG": COUNT texts "TAG i", i from 0. "debug-writer - HEX...": each
// argument's bytes, written in hexadecimal, as one text.
#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    if (std::string(argv[1]) != "-") {
        const long count = std::strtol(argv[1], nullptr, 10);
        for (long i = 0; i < count; ++i)
            ::OutputDebugStringA((std::string(argv[2]) + " " + std::to_string(i)).c_str());
        return 0;
    }
    for (int arg = 2; arg < argc; ++arg) {
        std::string text;
        for (const char* hex = argv[arg]; hex[0] && hex[1]; hex += 2)
            text += static_cast<char>(std::stoi(std::string(hex, 2), nullptr, 16));
        ::OutputDebugStringA(text.c_str());
    }
    return 0;
}
