// The benchmark's child: writes the given number of bytes (0: without end) to its standard
// output as fast as it can, in writes of 64 KB.
#include <windows.h>

#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    long long total = argc > 1 ? std::atoll(argv[1]) : 0;
    std::vector<char> block(65536);
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = (i % 64 == 63) ? '\n' : static_cast<char>('a' + i % 26);
    }
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (long long left = total; total == 0 || left > 0;) {
        DWORD n = static_cast<DWORD>(total == 0 || left > 65536 ? 65536 : left);
        DWORD written = 0;
        if (!WriteFile(out, block.data(), n, &written, nullptr) || written == 0) {
            return 1;  // the reader has gone
        }
        left -= written;
    }
    return 0;
}
