#include "app/ProcessInfo.h"

#include "common/JavaProcess.h"
#include "common/Process.h"
#include "util/Exception.h"

namespace {

// Letter case counts; a null text equals only a null text.
bool SameText(const String& a, const String& b) {
    if (a.IsNull() || b.IsNull()) {
        return a.IsNull() == b.IsNull();
    }
    return a.Equals(b);
}

}  // namespace

ProcessInfo::ProcessInfo()
    : start(false), disabled(false), type(ProcessType::Unknown), process(nullptr), modified(false) {
    className = L"ProcessInfo";
}

ProcessInfo::~ProcessInfo() = default;

bool ProcessInfo::operator!=(const ProcessInfo& other) const {
    return !SameText(title, other.title) || !SameText(executable, other.executable) ||
           !SameText(startupclassname, other.startupclassname) || !SameText(classpath, other.classpath) ||
           !SameText(javaOptions, other.javaOptions) || !SameText(initialDir, other.initialDir) ||
           !SameText(commandLineArguments, other.commandLineArguments) || type != other.type ||
           start != other.start || disabled != other.disabled;
}

Process* ProcessInfo::GetProcess() {
    if (process) {
        return process;
    }
    Process* made = nullptr;
    if (type == ProcessType::Standard) {
        made = new Process();
        made->SetExecutable(executable);
    } else if (type == ProcessType::Java) {
        java::JavaProcess* javaProcess = new java::JavaProcess();
        javaProcess->SetClasspath(classpath);
        javaProcess->SetStartupClass(startupclassname);
        javaProcess->SetJavaOptions(javaOptions);
        made = javaProcess;
    } else {
        throw new Exception(L"ProcessInfo::GetProcess()\n Unknown process type for %s", title.GetBuffer());
    }
    made->SetArguments(commandLineArguments);
    made->SetWorkingDirectory(initialDir);
    process = made;
    return process;
}
