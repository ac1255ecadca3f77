#pragma once

#include "app/ProcessType.h"
#include "common/RestartPolicy.h"
#include "common/ServerSettings.h"
#include "util/Object.h"
#include "util/OutputEncoding.h"
#include "util/String.h"

class Process;

// One configured process: the fields of a "process" element of the configuration, its kind, and
// the process object made from them. The fields are plain data, filled by the configuration
// reader and edited by the settings window.
class ProcessInfo : public Object {
public:
    ProcessInfo();
    ~ProcessInfo() override;
    // A copy holds every field, the process pointer (shared, not owned) and modified included.
    ProcessInfo(const ProcessInfo& other) = default;
    ProcessInfo& operator=(const ProcessInfo& other) = default;

    // True when the entries differ in a configured field or the type (texts compared with letter
    // case, a null text equal only to a null text); process and modified are not compared, nor
    // the restart policy and the console output settings, which a running process takes without a
    // restart (TakeLiveSettings).
    bool operator!=(const ProcessInfo& other) const;
    bool operator==(const ProcessInfo& other) const { return !(*this != other); }

    // The process object, made on the first call from the fields as they are then; later calls
    // return the same object. Throws for an entry that is neither standard nor Java.
    Process* GetProcess();
    // A reload found this entry unchanged (==): take the settings that apply to a running process
    // as they are (restart policy, stop, log file, start order) from the reloaded entry, and pass
    // them to the process.
    // as they are, the restart policy and the console output settings (from its next launch on),
    // from the reloaded entry, and pass them to the process.
    void TakeLiveSettings(const ProcessInfo& reloaded);

    // ---- Server settings: environment, stop, log file and start order ----
    // path made absolute: relative paths start in the configuration's folder; "" stays "".
    String ResolvePath(const std::wstring& path) const;
    // The log file's full path: %NAME% expanded from this program's environment and the entry's
    // variables, then resolved; "" without a log file.
    String ResolveLogPath() const;
    // Adds one line to configurationError.
    void AddConfigurationError(const std::wstring& line);

    String title;
    String executable;
    String startupclassname;
    String classpath;
    String javaOptions;
    String initialDir;
    String commandLineArguments;
    bool start;
    bool disabled;
    RestartPolicy::Mode restart;
    bool restartSet;  // the "restart" element is present (and written back)

    // Console output: how the child's bytes are decoded, and whether its environment gets the
    // console hints. Each is written back only when its element was present or set.
    util::OutputEncoding::Mode outputEncoding;
    bool outputEncodingSet;
    bool consoleHints;
    bool consoleHintsSet;

    ProcessType type;
    // Not owned: the process window that shows this entry deletes it. Copies share the pointer.
    Process* process;
    bool modified;

    // ---- Server settings: environment, stop, log file and start order ----
    ServerSettings server;
    String configurationFolder;  // where the entry's configuration file is, without a final "\\"
    String logPath;              // ResolveLogPath() at the load
    // Why the entry cannot run, one line per problem ("" when it can): its window shows it and
    // its process is not started. Other entries are not affected.
    String configurationError;
};
