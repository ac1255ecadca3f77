// The tree benchmark's processes: "root" starts 7 "middle" processes and writes "ready" once they
// have all exited; each "middle" starts 6 "leaf" processes and exits; a leaf sleeps. 50 processes
// in three levels, 43 of them left running under a root whose children have gone.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

HANDLE StartSelf(const char* role) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = std::string("\"") + self + "\" " + role;
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    return info.hProcess;
}

}  // namespace

int main(int argc, char** argv) {
    const char* role = argc > 1 ? argv[1] : "leaf";
    if (std::strcmp(role, "root") == 0 || std::strcmp(role, "middle") == 0) {
        bool root = role[0] == 'r';
        std::vector<HANDLE> children;
        for (int i = 0; i < (root ? 7 : 6); ++i) {
            children.push_back(StartSelf(root ? "middle" : "leaf"));
        }
        if (!root) {
            return 0;
        }
        for (HANDLE child : children) {
            if (child) {
                WaitForSingleObject(child, INFINITE);
                CloseHandle(child);
            }
        }
        printf("ready\n");
        fflush(stdout);
    }
    Sleep(INFINITE);
    return 0;
}
