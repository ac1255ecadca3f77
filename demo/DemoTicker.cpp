// A console program for the demo configuration: one line a second, now and then one on standard
// error, until it is stopped.
#include <windows.h>

#include <cstdio>

int main() {
    for (unsigned long tick = 1;; ++tick) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        std::printf("%02d:%02d:%02d tick %lu\n", now.wHour, now.wMinute, now.wSecond, tick);
        std::fflush(stdout);
        if (tick % 15 == 0) {
            std::fprintf(stderr, "warning: %lu ticks and nobody stopped me\n", tick);
            std::fflush(stderr);
        }
        Sleep(1000);
    }
}
