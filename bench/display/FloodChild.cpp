// The display benchmark's child program.
//   first <text>                 writes text as one line and ends
//   flood <event name> <file>    waits for the event "<name>-go", reads "<bytes> <round> <kind>"
//                                from the file (kind a floodtext::Kind, plain when missing), writes
//                                that many bytes of that kind of lines and the round's marker, or
//                                for a progress line that many steps, one write each and no
//                                marker, and waits again; ends when "<name>-quit" is set or after
//                                5 idle minutes
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "FloodText.h"

namespace {

bool Write(const std::string& bytes) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (size_t done = 0; done < bytes.size();) {
        DWORD piece = static_cast<DWORD>(bytes.size() - done < 65536 ? bytes.size() - done : 65536);
        DWORD written = 0;
        if (!WriteFile(out, bytes.data() + done, piece, &written, nullptr) || written == 0) {
            return false;  // the reader has gone
        }
        done += written;
    }
    return true;
}

bool Answer(size_t bytes, int round, floodtext::Kind kind) {
    if (kind == floodtext::Kind::Progress) {
        for (size_t step = 1; step <= bytes; ++step) {
            if (!Write(floodtext::ProgressStep(step, bytes))) {
                return false;
            }
        }
        return true;
    }
    std::string text = kind == floodtext::Kind::LongLine ? floodtext::LongLine(bytes) : floodtext::Lines(bytes, kind);
    return Write(text + floodtext::Marker(round));
}

int Flood(const wchar_t* name, const wchar_t* requestFile) {
    std::wstring prefix(name);
    HANDLE events[2] = {OpenEventW(SYNCHRONIZE, FALSE, (prefix + L"-go").c_str()),
                        OpenEventW(SYNCHRONIZE, FALSE, (prefix + L"-quit").c_str())};
    if (!events[0] || !events[1]) {
        return 2;
    }
    while (WaitForMultipleObjects(2, events, FALSE, 5 * 60 * 1000) == WAIT_OBJECT_0) {
        FILE* file = _wfopen(requestFile, L"r");
        long long bytes = 0;
        int round = 0, kind = 0;
        if (!file || fscanf(file, "%lld %d %d", &bytes, &round, &kind) < 2) {
            return 3;
        }
        fclose(file);
        if (!Answer(static_cast<size_t>(bytes), round, static_cast<floodtext::Kind>(kind))) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"first" && argc > 2) {
        std::wstring text(argv[2]);
        return Write(std::string(text.begin(), text.end()) + "\r\n") ? 0 : 1;
    }
    if (mode == L"flood" && argc > 3) {
        return Flood(argv[2], argv[3]);
    }
    return 2;
}
