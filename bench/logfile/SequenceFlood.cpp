// The log benchmark's child: writes the given number of 64-byte lines, each starting with its
// sequence number ("0000000042 ..."), as fast as it can, in writes of 64 KB.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    long long lines = argc > 1 ? std::atoll(argv[1]) : 0;
    std::vector<char> block(65536);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (long long line = 0; line < lines;) {
        size_t used = 0;
        for (; used + 64 <= block.size() && line < lines; used += 64, ++line) {
            std::snprintf(&block[used], 12, "%010lld ", line);
            for (size_t i = used + 11; i < used + 63; ++i) {
                block[i] = static_cast<char>('a' + i % 26);
            }
            block[used + 63] = '\n';
        }
        for (size_t done = 0; done < used;) {
            DWORD written = 0;
            if (!WriteFile(out, block.data() + done, static_cast<DWORD>(used - done), &written, nullptr) ||
                written == 0) {
                return 1;  // the reader has gone
            }
            done += written;
        }
    }
    return 0;
}
