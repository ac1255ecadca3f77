#include "app/ProcessInfo.h"

#include "app/Application.h"
#include "common/JavaProcess.h"
#include "common/Process.h"
#include "util/Exception.h"

ProcessInfo::ProcessInfo()
    : start(false),
      disabled(false),
      restart(RestartPolicy::Mode::Never),
      restartSet(false),
      outputEncoding(util::OutputEncoding::Mode::Auto),
      outputEncodingSet(false),
      consoleHints(true),
      consoleHintsSet(false),
      type(ProcessType::Unknown),
      process(nullptr),
      modified(false) {
    className = L"ProcessInfo";
}

ProcessInfo::~ProcessInfo() = default;

bool ProcessInfo::operator!=(const ProcessInfo& other) const {
    // String::Equals counts letter case and takes a null text as equal only to a null text.
    return !title.Equals(other.title) || !executable.Equals(other.executable) ||
           !startupclassname.Equals(other.startupclassname) || !classpath.Equals(other.classpath) ||
           !javaOptions.Equals(other.javaOptions) || !initialDir.Equals(other.initialDir) ||
           !commandLineArguments.Equals(other.commandLineArguments) || type != other.type || start != other.start ||
           disabled != other.disabled;
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
        if (Application* application = Application::GetCurrent()) {
            // The class path is built from the program's own folder.
            String folder = application->executablePath;
            int slash = folder.FindLast(L"\\");
            if (slash >= 0) {
                folder.Truncate(slash);
            }
            javaProcess->SetProgramFolder(folder);
            javaProcess->SetStartDirectory(application->startDirectory);
        }
        made = javaProcess;
    } else {
        throw new Exception(L"ProcessInfo::GetProcess()\n Unknown process type for %s", title.GetBuffer());
    }
    made->SetArguments(commandLineArguments);
    made->SetWorkingDirectory(initialDir);
    made->SetRestartPolicy(restart);
    made->SetOutputEncoding(outputEncoding);
    made->SetConsoleHints(consoleHints);
    process = made;
    return process;
}

void ProcessInfo::TakeLiveSettings(const ProcessInfo& reloaded) {
    restart = reloaded.restart;
    restartSet = reloaded.restartSet;
    outputEncoding = reloaded.outputEncoding;
    outputEncodingSet = reloaded.outputEncodingSet;
    consoleHints = reloaded.consoleHints;
    consoleHintsSet = reloaded.consoleHintsSet;
    if (process) {
        process->SetRestartPolicy(restart);
        process->SetOutputEncoding(outputEncoding);
        process->SetConsoleHints(consoleHints);
    }
}
