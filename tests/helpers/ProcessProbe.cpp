// A console child for the process tests. It carries out its arguments as commands, in order:
//   print <text>        writes the text and CRLF
//   envhex <name>       writes the variable's UTF-16 units in hex: "<name>=0041 03A9"
//   cwd                 writes the current directory
//   bytes <hex>         writes these bytes in one write ("7882")
//   burst <n> [size]    writes n bytes ('a' to 'z', CRLF every 64) in writes of size bytes
//   sleep <ms>          sleeps
//   ticks <n> <ms>      writes "tick 1" to "tick n", one line every ms milliseconds
//   flush               waits until the reader has taken everything written so far
//   spawn <depth> <ms>  starts itself with "spawn <depth-1> <ms>" (until depth 0), then sleeps
//   launch <commands>   starts itself with these commands (one argument), inheriting our handles
//   handle <hex>        writes "handle open" when that handle is a pipe's server end, else "handle closed"
//   exit <code>         ends with that code (decimal or 0x hex)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HANDLE out = nullptr;

void Write(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0) {
            ExitProcess(90);  // the reader is gone
        }
        done += written;
    }
}

std::string Ansi(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    return bytes;
}

void Line(const std::wstring& text) {
    Write(Ansi(text) + "\r\n");
}

void Burst(long long total, long long size) {
    std::string block(static_cast<size_t>(size), '\n');
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = i % 64 == 62 ? '\r' : i % 64 == 63 ? '\n' : static_cast<char>('a' + i % 64 % 26);
    }
    while (total > 0) {
        size_t n = static_cast<size_t>(total < size ? total : size);
        Write(block.substr(0, n));
        total -= static_cast<long long>(n);
    }
}

bool StartSelf(const std::wstring& arguments, bool inherit) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" " + arguments;  // CreateProcessW may write to it
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (inherit) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = out;
    }
    PROCESS_INFORMATION info = {};
    return CreateProcessW(nullptr, &line[0], nullptr, nullptr, inherit, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                          &info) &&
           CloseHandle(info.hThread) && CloseHandle(info.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (int i = 1; i < argc; ++i) {
        std::wstring command = argv[i];
        auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : std::wstring(); };
        if (command == L"print") {
            Line(next());
        } else if (command == L"envhex") {
            std::wstring name = next();
            wchar_t value[32768];
            DWORD n = GetEnvironmentVariableW(name.c_str(), value, 32768);
            std::string units = n ? "" : " <none>";
            for (DWORD k = 0; k < n; ++k) {
                char unit[8];
                snprintf(unit, sizeof(unit), " %04X", static_cast<unsigned>(value[k]));
                units += unit;
            }
            Write(Ansi(name) + "=" + units.substr(1) + "\r\n");
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
            long long total = _wtoi64(next().c_str());
            long long size = (i + 1 < argc && iswdigit(argv[i + 1][0])) ? _wtoi64(next().c_str()) : 65536;
            Burst(total, size > 0 ? size : 65536);
        } else if (command == L"ticks") {
            int count = _wtoi(next().c_str());
            DWORD ms = static_cast<DWORD>(_wtoi(next().c_str()));
            for (int tick = 1; tick <= count; ++tick) {
                Line(L"tick " + std::to_wstring(tick));
                Sleep(ms);
            }
        } else if (command == L"flush") {
            FlushFileBuffers(out);
        } else if (command == L"sleep") {
            Sleep(static_cast<DWORD>(_wtoi(next().c_str())));
        } else if (command == L"spawn") {
            int depth = _wtoi(next().c_str());
            std::wstring ms = next();
            if (depth > 0) {
                // Nothing inherited: a sleeper left behind must not hold the test's output open.
                StartSelf(L"spawn " + std::to_wstring(depth - 1) + L" " + ms, false);
            }
            Sleep(static_cast<DWORD>(_wtoi(ms.c_str())));
        } else if (command == L"launch") {
            StartSelf(next(), true);
        } else if (command == L"handle") {
            HANDLE other = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(wcstoull(next().c_str(), nullptr, 16)));
            DWORD flags = 0;
            bool open = GetNamedPipeInfo(other, &flags, nullptr, nullptr, nullptr) && (flags & PIPE_SERVER_END);
            Line(open ? L"handle open" : L"handle closed");
        } else if (command == L"exit") {
            return static_cast<int>(wcstoul(next().c_str(), nullptr, 0));
        }
    }
    return 0;
}
