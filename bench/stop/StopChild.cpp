// The graceful stop benchmark's child, in one of two roles:
//   serve <event>  prints "ready", waits until the event is set, then ends 300 ms after it
//   ask <event>    the stop program: sets the event as it starts and ends
// The event holds the stop program's start time: the serving child ends 300 ms after it.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
    if (strcmp(argv[1], "ask") == 0) {
        SetEvent(event);
        return 0;
    }
    printf("ready\n");
    fflush(stdout);
    WaitForSingleObject(event, INFINITE);
    Sleep(300);
    return 0;
}
