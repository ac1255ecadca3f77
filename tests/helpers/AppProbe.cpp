// A program with an application object, for the tests of start-up: it prints what the
// application learned at construction, then ends as its arguments ask:
//   --exit N       Run returns N
//   --throw        Run throws the program's Exception
//   --throw-std    Run throws a standard exception
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <stdexcept>

#include "app/ConfigurationFile.h"
#include "app/Entry.h"
#include "app/WindowsApplication.h"
#include "util/Exception.h"

namespace {

class ProbeApp : public WindowsApplication {
public:
    int Run() override {
        std::printf("name=%s\n", Utf8(name));
        std::printf("moduleName=%s\n", Utf8(moduleName));
        std::printf("executablePath=%s\n", Utf8(executablePath));
        std::printf("startDirectory=%s\n", Utf8(startDirectory));
        std::printf("defaultConfiguration=%s\n", Utf8(ConfigurationFile::GetDefaultPath()));
        std::printf("argc=%d\n", argc);
        std::printf("errorMode=%u\n", GetErrorMode());
        std::fflush(stdout);
        for (int i = 1; i < argc; ++i) {
            if (arguments[i].Equals(L"--throw")) {
                throw new Exception(L"ProbeApp::Run()\nAsked to fail.");
            }
            if (arguments[i].Equals(L"--throw-std")) {
                throw std::runtime_error("standard failure");
            }
            if (arguments[i].Equals(L"--exit") && i + 1 < argc) {
                return static_cast<int>(std::wcstol(arguments[i + 1].GetBuffer(), nullptr, 10));
            }
        }
        return 0;
    }

private:
    static const char* Utf8(const String& s) {
        static String copy;
        copy = s;
        const char* bytes = copy.GetUTF8();
        return bytes ? bytes : "<null>";
    }
};

ProbeApp probe;

}  // namespace

int wmain() {
    return RunApplicationEntry();
}
