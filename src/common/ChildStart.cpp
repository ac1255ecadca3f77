#include "common/ChildStart.h"

#include <vector>

#include "util/Exception.h"
#include "util/SystemError.h"

namespace {

// The list of handles a child may inherit, for CreateProcessW's extended start-up information.
class InheritList {
public:
    explicit InheritList(std::vector<HANDLE>& handles) : handles(handles) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
        if (InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            initialised = true;
            if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles.data(),
                                          handles.size() * sizeof(HANDLE), nullptr, nullptr)) {
                ready = list;
            }
        }
    }
    ~InheritList() {
        if (initialised) {
            DeleteProcThreadAttributeList(reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data()));
        }
    }
    InheritList(const InheritList&) = delete;
    InheritList& operator=(const InheritList&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return ready; }

private:
    std::vector<HANDLE>& handles;  // must outlive the list, which refers to it
    std::vector<char> storage;
    bool initialised = false;
    LPPROC_THREAD_ATTRIBUTE_LIST ready = nullptr;
};

}  // namespace

PROCESS_INFORMATION ChildStart::Create(const String& application,
                                       const String& commandLine,
                                       const wchar_t* environment,
                                       const String& directory) {
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = nullptr;  // a child has no input
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = output;
    // Launches on other workers overlap with this one: the child inherits this run's own pipe
    // end only, never another run's.
    std::vector<HANDLE> inherited{output};
    InheritList list(inherited);
    startup.lpAttributeList = list.Get();
    if (!list.Get()) {
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", GetSystemErrorText());
    }

    const wchar_t* text = commandLine.GetBuffer() ? commandLine.GetBuffer() : L"";
    std::vector<wchar_t> writable(text, text + commandLine.GetLength() + 1);  // CreateProcessW may write to it
    PROCESS_INFORMATION information = {};
    const wchar_t* folder = directory.IsEmpty() ? nullptr : directory.GetBuffer();
    if (!CreateProcessW(application.GetBuffer(), writable.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED |
                            EXTENDED_STARTUPINFO_PRESENT,
                        const_cast<wchar_t*>(environment), folder, &startup.StartupInfo, &information)) {
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", GetSystemErrorText());
    }
    return information;
}
