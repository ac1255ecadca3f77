// A console child for the process tests. It carries out its arguments as commands, in order:
//   print <text>        writes the text and CRLF
//   envhex <name>       writes the variable's UTF-16 units in hex: "<name>=0041 03A9" ("<none>", "<empty>")
//   cwd                 writes the current directory
//   bytes <hex>         writes these bytes in one write ("7882")
//   burst <n> <size>    writes n bytes ('a' to 'z', CRLF every 64) in writes of size bytes
//   sleep <ms>          sleeps
//   ticks <n> <ms>      writes "tick 1" to "tick n", one line every ms milliseconds
//   flush               waits until the reader has taken everything written so far
//   spawn <depth> <ms>  starts itself with "spawn <depth-1> <ms>" (until depth 0), then sleeps
//   launch <commands>   starts itself with these commands (one argument), inheriting our handles
//   threads <n> <count> <size>  n threads at once, thread k writing count writes of size bytes of
//                       the letter 'A' + k; then "lost <writes>" for the writes that failed
//   handle <value>      writes "handle open" when that handle is an end of a pipe, else "handle closed"
//   waitevent <name>    waits until the named event (made if need be) is set
//   setevent <name>     sets the named event (made if need be)
//   window              shows a top-level window and waits until it is closed (WM_CLOSE)
//   ctrlc               waits at most 30 s for Ctrl+C on its console, then writes "got Ctrl+C" or "no Ctrl+C"
//   exit <code>         ends with that code
// Numbers are decimal or 0x hex.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

HANDLE out = nullptr;

void Write(const std::string& bytes) {
    DWORD written = 0;
    for (size_t done = 0; done < bytes.size(); done += written) {
        if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0) {
            ExitProcess(90);  // the reader is gone
        }
    }
}

// Writes the text in the ANSI code page, and CRLF.
void Line(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');  // n = 0 for an empty text: nothing is written
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    Write(bytes + "\r\n");
}

void Burst(unsigned long long total, size_t size) {
    std::string block;
    for (size_t i = 0; i < size; ++i) {
        block += i % 64 == 62 ? '\r' : i % 64 == 63 ? '\n' : static_cast<char>('a' + i % 64 % 26);
    }
    for (; total >= size; total -= size) {
        Write(block);
    }
    Write(block.substr(0, static_cast<size_t>(total)));
}

// Each thread writes its own letter, so that what arrives can be counted per thread whatever
// the order of the writes. A failed write is counted, not repeated: its bytes are lost.
void Threads(unsigned n, unsigned long long count, size_t size) {
    std::atomic<unsigned long long> lost(0);
    std::vector<std::thread> writers;
    for (unsigned k = 0; k < n; ++k) {
        writers.emplace_back([&lost, k, count, size] {
            std::string block(size, static_cast<char>('A' + k));
            for (unsigned long long i = 0; i < count; ++i) {
                DWORD written = 0;
                if (!WriteFile(out, block.data(), static_cast<DWORD>(size), &written, nullptr) || written != size) {
                    ++lost;
                }
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    Line(L"lost " + std::to_wstring(lost.load()));
}

bool StartSelf(const std::wstring& arguments, bool inherit) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" " + arguments;  // CreateProcessW may write to it
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = inherit ? STARTF_USESTDHANDLES : 0;  // without the flag the handles are not looked at
    startup.hStdOutput = startup.hStdError = out;
    PROCESS_INFORMATION info = {};
    return CreateProcessW(nullptr, &line[0], nullptr, nullptr, inherit, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                          &info) &&
           CloseHandle(info.hThread) && CloseHandle(info.hProcess);
}

HANDLE gotCtrlC = CreateEventW(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI NoteCtrlC(DWORD event) {
    return event == CTRL_C_EVENT && SetEvent(gotCtrlC);
}

HANDLE NamedEvent(const std::wstring& name) {
    return CreateEventW(nullptr, TRUE, FALSE, name.c_str());
}

// Until WM_CLOSE: the default handling destroys the window, which ends the loop.
LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    message == WM_DESTROY ? PostQuitMessage(0) : static_cast<void>(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

void ShowWindowUntilClosed() {
    WNDCLASSW type = {};
    type.lpfnWndProc = ProbeWindowProc;
    type.lpszClassName = L"ProcessProbeWindow";
    RegisterClassW(&type);
    CreateWindowExW(0, type.lpszClassName, L"Probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                    nullptr, nullptr);
    Line(L"window shown");
    for (MSG message; GetMessageW(&message, nullptr, 0, 0) > 0;) {
        DispatchMessageW(&message);
    }
    Line(L"window closed");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (int i = 1; i < argc; ++i) {
        std::wstring command = argv[i];
        auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : std::wstring(); };
        auto number = [&] { return wcstoull(next().c_str(), nullptr, 0); };  // decimal or 0x hex
        if (command == L"print") {
            Line(next());
        } else if (command == L"envhex") {
            std::wstring name = next();
            wchar_t value[32768], unit[8];
            SetLastError(0);  // an empty value returns 0 as well, without an error
            DWORD n = GetEnvironmentVariableW(name.c_str(), value, 32768);
            bool absent = n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND;
            std::wstring units = n ? L"" : absent ? L" <none>" : L" <empty>";
            for (DWORD k = 0; k < n; ++k) {
                swprintf(unit, 8, L" %04X", static_cast<unsigned>(value[k]));
                units += unit;
            }
            Line(name + L"=" + units.substr(1));
        } else if (command == L"cwd") {
            wchar_t directory[MAX_PATH];
            GetCurrentDirectoryW(MAX_PATH, directory);
            Line(directory);
        } else if (command == L"bytes") {
            std::wstring hex = next();
            std::string bytes;
            for (size_t d = 0; d + 1 < hex.size(); d += 2) {
                bytes += static_cast<char>(wcstoul(hex.substr(d, 2).c_str(), nullptr, 16));
            }
            Write(bytes);
        } else if (command == L"burst") {
            unsigned long long total = number();
            Burst(total, static_cast<size_t>(number()));
        } else if (command == L"ticks") {
            unsigned long long count = number();
            DWORD ms = static_cast<DWORD>(number());
            for (unsigned long long tick = 1; tick <= count; ++tick) {
                Line(L"tick " + std::to_wstring(tick));
                Sleep(ms);
            }
        } else if (command == L"threads") {
            unsigned n = static_cast<unsigned>(number());
            unsigned long long count = number();
            Threads(n, count, static_cast<size_t>(number()));
        } else if (command == L"flush") {
            FlushFileBuffers(out);
        } else if (command == L"sleep") {
            Sleep(static_cast<DWORD>(number()));
        } else if (command == L"spawn") {
            unsigned long long depth = number();
            std::wstring ms = next();
            // Nothing inherited: a sleeper left behind must not hold the test's output open.
            if (depth == 0 || StartSelf(L"spawn " + std::to_wstring(depth - 1) + L" " + ms, false)) {
                Sleep(wcstoul(ms.c_str(), nullptr, 10));
            }
        } else if (command == L"launch") {
            StartSelf(next(), true);
        } else if (command == L"handle") {
            HANDLE other = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(number()));
            DWORD flags = 0;
            bool open = GetNamedPipeInfo(other, &flags, nullptr, nullptr, nullptr) != FALSE;
            Line(open ? L"handle open" : L"handle closed");
        } else if (command == L"waitevent") {
            WaitForSingleObject(NamedEvent(next()), INFINITE);
        } else if (command == L"setevent") {
            SetEvent(NamedEvent(next()));
        } else if (command == L"ctrlc") {
            SetConsoleCtrlHandler(NoteCtrlC, TRUE);
            Line(WaitForSingleObject(gotCtrlC, 30000) == WAIT_OBJECT_0 ? L"got Ctrl+C" : L"no Ctrl+C");
        } else if (command == L"window") {
            ShowWindowUntilClosed();
        } else if (command == L"exit") {
            return static_cast<int>(number());
        }
    }
    return 0;
}
