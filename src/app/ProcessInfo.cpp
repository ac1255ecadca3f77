#include "app/ProcessInfo.h"

#include <shlwapi.h>
#include <windows.h>

#include <vector>

#include "app/Application.h"
#include "common/EnvironmentBuilder.h"
#include "common/JavaProcess.h"
#include "common/Process.h"
#include "common/SystemEnvironment.h"
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
           disabled != other.disabled || server.environment != other.server.environment ||
           !configurationError.Equals(other.configurationError) ||
           !configurationFolder.Equals(other.configurationFolder);
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
        }
        made = javaProcess;
    } else {
        throw new Exception(L"ProcessInfo::GetProcess()\n Unknown process type for %s", title.GetBuffer());
    }
    if (Application* application = Application::GetCurrent()) {
        made->SetStartDirectory(application->startDirectory);
        made->SetHostName(application->GetDisplayName());
    }
    made->SetArguments(commandLineArguments);
    made->SetWorkingDirectory(initialDir);
    made->SetRestartPolicy(restart);
    // ---- Server settings ----
    EnvironmentSettings environment = server.environment;
    if (environment.fileSet) {
        environment.file = ResolvePath(environment.file).GetBuffer();
    }
    made->SetEnvironmentSettings(environment);
    made->SetLogFile(logPath.IsNull() ? std::wstring() : std::wstring(logPath.GetBuffer()), server.log);
    made->SetStopSettings(server.stop);
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
    server.stop = reloaded.server.stop;
    server.log = reloaded.server.log;
    server.order = reloaded.server.order;
    logPath = reloaded.logPath;
    if (process) {
        process->SetRestartPolicy(restart);
        process->SetOutputEncoding(outputEncoding);
        process->SetConsoleHints(consoleHints);
        process->SetLogFile(logPath.IsNull() ? std::wstring() : std::wstring(logPath.GetBuffer()), server.log);
        process->SetStopSettings(server.stop);
    }
}

// ---- Server settings: environment, stop, log file and start order ----

String ProcessInfo::ResolvePath(const std::wstring& path) const {
    if (path.empty()) {
        return String(L"");
    }
    std::wstring joined = path;
    if (PathIsRelativeW(path.c_str()) && !configurationFolder.IsEmpty()) {
        joined = std::wstring(configurationFolder.GetBuffer()) + L"\\" + path;
    }
    DWORD needed = GetFullPathNameW(joined.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return String(joined.c_str());
    }
    std::vector<wchar_t> full(needed + 1);
    GetFullPathNameW(joined.c_str(), needed + 1, full.data(), nullptr);
    return String(full.data());
}

String ProcessInfo::ResolveLogPath() const {
    if (!server.log.present || server.log.file.empty()) {
        return String(L"");
    }
    EnvironmentBuilder builder;
    SystemEnvironment::Inherit(builder, true);
    for (const EnvironmentSettings::Change& change : server.environment.changes) {
        if (change.remove) {
            builder.Remove(change.name);
        } else {
            builder.SetExpanded(change.name, change.value, EnvironmentBuilder::Origin::Configured);
        }
    }
    return ResolvePath(builder.Expand(server.log.file));
}

void ProcessInfo::AddConfigurationError(const std::wstring& line) {
    if (!configurationError.IsEmpty()) {
        configurationError.Append(L"\r\n");
    }
    configurationError.Append(line.c_str());
}
