#include "app/ConfigurationFile.h"

#include <shellapi.h>

#include <map>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/EntryChecks.h"
#include "app/ServerSettingsXml.h"
#include "common/EnvironmentBuilder.h"
#include "util/Exception.h"
#include "util/TextCodec.h"
#include "win32/Registry.h"

namespace {

const wchar_t kSample[] =
    L"<processes>"
    L"<process>"
    L"<title>Tomcat</title>"
    L"<startupclassname>org.apache.catalina.startup.Bootstrap</startupclassname>"
    L"<javaOptions>-Xdebug -Xrunjdwp:transport=dt_socket,address=8000,server=y,suspend=n "
    L"-Dcom.sun.management.jmxremote</javaOptions>"
    L"<classpath>bin\\bootstrap.jar</classpath>"
    L"<initialDir>D:\\opt-server\\apache-tomcat-6.0.32</initialDir>"
    L"</process>"
    L"<process>"
    L"<title>Apache SVN</title>"
    L"<executable>start.cmd</executable>"
    L"<initialDir>D:\\Fernhollow\\Server\\SVNServer</initialDir>"
    L"<commandLineArguments>arg1 arg2</commandLineArguments>"
    L"<start>false</start>"
    L"<disabled>false</disabled>"
    L"</process>"
    L"</processes>";

// The value of the first direct child element named name (ASCII letter case ignored); false
// when there is none.
bool GetChildText(xml::IXMLElement* element, const wchar_t* name, String& text) {
    for (xml::IXMLNode* node : element->GetChildNodes()) {
        xml::IXMLElement* child = static_cast<xml::IXMLElement*>(node);
        if (String(child->GetTagName()).EqualsNoCase(name)) {
            text = child->GetValue();
            return true;
        }
    }
    return false;
}

// A field read from an empty element is "" rather than absent: it is written back as an empty
// element, so that it reads back equal and a reload sees no change.
void AddChild(xml::IXMLDocument& document,
              xml::IXMLElement* parent,
              const wchar_t* name,
              const String& value,
              bool evenWhenAbsent) {
    if (evenWhenAbsent || !value.IsNull()) {
        parent->AddChildNode(document.CreateElement(name, value.IsNull() ? L"" : value.GetBuffer()));
    }
}

}  // namespace

ConfigurationFile::ConfigurationFile() {
    className = L"ConfigurationFile";
}

ConfigurationFile::~ConfigurationFile() = default;

String ConfigurationFile::GetDefaultPath() {
    String program;
    if (Application::GetCurrent()) {
        program = Application::GetCurrent()->executablePath;
    } else {
        wchar_t module[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, module, MAX_PATH);
        program = module;
    }
    // Only a dot in the file name starts the extension, not one in a folder name.
    int dot = program.FindLast(L".");
    if (dot > program.FindLast(L"\\") && dot > program.FindLast(L"/")) {
        program.Truncate(dot);
    }
    program.Append(L".xml");
    return program;
}

void ConfigurationFile::SetPath(const wchar_t* newPath) {
    if (newPath && *newPath) {
        path = newPath;
    } else {
        path = GetDefaultPath();
    }
}

ProcessInfo* ConfigurationFile::ReadProcess(xml::IXMLElement* element) {
    std::unique_ptr<ProcessInfo> info(new ProcessInfo());
    if (!GetChildText(element, L"title", info->title)) {
        info->title = L"untitle process";
    }
    if (GetChildText(element, L"executable", info->executable)) {
        info->type = ProcessType::Standard;
    } else if (GetChildText(element, L"startupclassname", info->startupclassname)) {
        info->type = ProcessType::Java;
        GetChildText(element, L"classpath", info->classpath);
        GetChildText(element, L"javaOptions", info->javaOptions);
    } else {
        throw new Exception(L"The process read is neither a standard process nor a java one.");
    }
    GetChildText(element, L"initialDir", info->initialDir);
    GetChildText(element, L"commandLineArguments", info->commandLineArguments);
    String flag;
    info->start = !(GetChildText(element, L"start", flag) && flag.EqualsNoCase(L"false"));
    info->disabled = GetChildText(element, L"disabled", flag) && flag.EqualsNoCase(L"true");
    if (GetChildText(element, L"restart", flag)) {
        const wchar_t* policy = flag.IsNull() ? L"" : flag.GetBuffer();
        if (!RestartPolicy::Parse(policy, info->restart)) {
            throw new Exception(L"The process read has an unknown restart policy \"%s\" (never, on-failure or always).",
                                policy);
        }
        info->restartSet = true;
    }
    ReadServerSettings(element, *info);
    ReadConsoleSettings(element, *info);
    return info.release();
}

// ---- Console output elements ("outputEncoding", "consoleHints") ----

void ConfigurationFile::ReadConsoleSettings(xml::IXMLElement* element, ProcessInfo& info) {
    String text;
    if (GetChildText(element, L"outputEncoding", text)) {
        const wchar_t* value = text.IsNull() ? L"" : text.GetBuffer();
        if (!util::OutputEncoding::Parse(value, info.outputEncoding)) {
            throw new Exception(L"The process \"%s\" has an unknown output encoding \"%s\" (auto, utf-8, ansi or oem).",
                                info.title.GetBuffer(), value);
        }
        info.outputEncodingSet = true;
    }
    if (GetChildText(element, L"consoleHints", text)) {
        const wchar_t* value = text.IsNull() ? L"" : text.GetBuffer();
        if (text.EqualsNoCase(L"true")) {
            info.consoleHints = true;
        } else if (text.EqualsNoCase(L"false")) {
            info.consoleHints = false;
        } else {
            throw new Exception(L"The process \"%s\" has an unknown console hints value \"%s\" (true or false).",
                                info.title.GetBuffer(), value);
        }
        info.consoleHintsSet = true;
    }
}

void ConfigurationFile::AppendConsoleSettings(xml::IXMLElement* element, const ProcessInfo& info) {
    if (info.outputEncodingSet) {
        element->AddChildNode(CreateElement(L"outputEncoding", util::OutputEncoding::Name(info.outputEncoding)));
    }
    if (info.consoleHintsSet) {
        element->AddChildNode(CreateElement(L"consoleHints", info.consoleHints ? L"true" : L"false"));
    }
}

// ---- end of the console output elements ----

// ---- Server settings: environment, stop, log file and start order ----

void ConfigurationFile::ReadServerSettings(xml::IXMLElement* element, ProcessInfo& info) {
    std::wstring problems = ServerSettingsXml::Read(element, info.server);
    if (!problems.empty()) {
        info.AddConfigurationError(problems);
    }
    if (info.type == ProcessType::Java) {
        for (const EnvironmentSettings::Change& change : info.server.environment.changes) {
            if (!change.remove && String(change.name.c_str()).EqualsNoCase(L"CLASSPATH")) {
                info.AddConfigurationError(
                    L"<environment>: a Java entry takes its class path from <classpath>, not from a CLASSPATH "
                    L"variable.");
            }
        }
    }
}

String ConfigurationFile::GetFolder() const {
    String folder = path;
    int slash = folder.FindLast(L"\\") > folder.FindLast(L"/") ? folder.FindLast(L"\\") : folder.FindLast(L"/");
    if (slash < 0) {
        return String(L"");
    }
    folder.Truncate(slash);
    return folder;
}

void ConfigurationFile::CheckEntries(const std::vector<ProcessInfo*>& list) {
    String folder = GetFolder();
    std::map<std::wstring, size_t> lastOfTitle;
    for (size_t i = 0; i < list.size(); ++i) {
        lastOfTitle[list[i]->title.IsNull() ? L"" : list[i]->title.GetBuffer()] = i;
    }
    std::vector<EntryChecks::Entry> entries;
    for (size_t i = 0; i < list.size(); ++i) {
        ProcessInfo& info = *list[i];
        info.configurationFolder = folder;
        info.logPath = info.ResolveLogPath();
        EntryChecks::Entry entry;
        entry.title = info.title.IsNull() ? L"" : info.title.GetBuffer();
        entry.hasAfter = info.server.order.afterSet;
        entry.after = info.server.order.after;
        entry.logPath = info.logPath.IsNull() ? L"" : info.logPath.GetBuffer();
        entry.applied = !info.disabled && lastOfTitle[entry.title] == i;
        entries.push_back(entry);
    }
    std::vector<std::wstring> problems = EntryChecks::Check(entries);
    for (size_t i = 0; i < list.size(); ++i) {
        if (!problems[i].empty()) {
            list[i]->AddConfigurationError(problems[i]);
        }
    }
}

void ConfigurationFile::ReadProcesses() {
    std::vector<std::unique_ptr<ProcessInfo>> read;
    for (xml::IXMLElement* element : GetElementsByTagName(L"process")) {
        read.emplace_back(ReadProcess(element));
    }
    processes.clear();
    for (std::unique_ptr<ProcessInfo>& info : read) {
        processes.push_back(info.release());
    }
    CheckEntries(processes);
}

void ConfigurationFile::AppendProcess(xml::IXMLElement* root, const ProcessInfo& info) {
    // What is written must read back as the same kind of entry: a standard entry always has its
    // "executable", a Java entry always its "startupclassname" and never an "executable".
    bool standard = info.type == ProcessType::Standard;
    bool java = info.type == ProcessType::Java;
    xml::IXMLElement* element = CreateElement(L"process", nullptr);
    AddChild(*this, element, L"title", info.title, false);
    if (!java) {
        AddChild(*this, element, L"executable", info.executable, standard);
    }
    AddChild(*this, element, L"commandLineArguments", info.commandLineArguments, false);
    AddChild(*this, element, L"initialDir", info.initialDir, false);
    AddChild(*this, element, L"startupclassname", info.startupclassname, java);
    AddChild(*this, element, L"classpath", info.classpath, false);
    AddChild(*this, element, L"javaOptions", info.javaOptions, false);
    if (!info.start) {
        element->AddChildNode(CreateElement(L"start", L"false"));
    }
    if (info.disabled) {
        element->AddChildNode(CreateElement(L"disabled", L"true"));
    }
    if (info.restartSet) {
        element->AddChildNode(CreateElement(L"restart", RestartPolicy::Name(info.restart)));
    }
    ServerSettingsXml::Write(info.server, element,
                             [this](const wchar_t* name, const wchar_t* value) { return CreateElement(name, value); });
    AppendConsoleSettings(element, info);
    root->AddChildNode(element);
}

void ConfigurationFile::WriteProcesses(const std::vector<ProcessInfo*>& list) {
    processes = list;
    if (GetRootElement() == nullptr) {
        Parse(L"<processes/>");  // a document that was never loaded starts from an empty root
    }
    xml::IXMLElement* root = GetRootElement();
    root->RemoveAllChildNodes();
    for (const ProcessInfo* info : list) {
        AppendProcess(root, *info);
    }
    Save(nullptr);
}

// The bytes that saving the sample writes: new documents are UTF-8 text without a mark.
std::string ConfigurationFile::SampleBytes() {
    String text;
    ToString(text);
    std::wstring line = std::wstring(text.GetBuffer()) + L"\r\n";
    return util::TextCodec::Encode(line.data(), line.size(), util::Ansi);
}

String ConfigurationFile::WriteSampleFile() {
    std::unique_ptr<ConfigurationFile> sample(new ConfigurationFile());  // large: its node pool
    sample->Parse(kSample);
    const std::string bytes = sample->SampleBytes();
    String defaultPath = GetDefaultPath();
    String stem = defaultPath;
    stem.Truncate(stem.GetLength() - 4);  // without ".xml"
    for (int attempt = 0; attempt < 100; ++attempt) {
        String candidate;
        if (attempt == 0) {
            candidate = defaultPath;
        } else {
            candidate.Format(attempt == 1 ? L"%s.sample.xml" : L"%s.sample%d.xml", stem.GetBuffer(), attempt);
        }
        // A sample that an earlier start wrote is used again; any other file stays untouched.
        util::File claim(candidate.GetBuffer());
        if (claim.OpenFile(GENERIC_READ, OPEN_EXISTING) != INVALID_HANDLE_VALUE) {
            if (claim.GetSize() == bytes.size() && claim.LoadIntoString() == bytes) {
                return candidate;
            }
            continue;
        }
        // Creating the file only when it does not exist claims the name.
        if (claim.OpenFile(GENERIC_WRITE, CREATE_NEW) != INVALID_HANDLE_VALUE) {
            claim.Close();
            return SaveSampleAt(*sample, candidate);
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    return String();
}

String ConfigurationFile::SaveSampleAt(ConfigurationFile& sample, const String& samplePath) {
    try {
        sample.Save(samplePath.GetBuffer());
        return samplePath;
    } catch (Exception* e) {
        // The claimed name must not stay behind as an empty file; a sample is only a help, and
        // the box still reports why the configuration failed.
        DeleteFileW(samplePath.GetBuffer());
        delete e;
        return String();
    }
}

void ConfigurationFile::WriteSample(const wchar_t* message, HWND owner) {
    String samplePath;
    try {
        samplePath = WriteSampleFile();
    } catch (Exception* e) {
        delete e;
    }
    String text;
    text.Format(L"%s\r\nCommand line processes not configured.\r\nCheck the sample .xml file created", message);
    if (!samplePath.IsNull()) {
        text.AppendFormat(L"\r\n%s", samplePath.GetBuffer());
    }
    MessageBoxW(owner, text.GetBuffer(), L"Error", MB_ICONERROR);
    try {
        OpenInEditor(owner);
    } catch (Exception* e) {
        MessageBoxW(owner, e->GetMessageText().GetBuffer(), L"Error", MB_ICONERROR);
        delete e;
    }
}

void ConfigurationFile::OpenInEditor(HWND owner) {
    // A 64-bit Notepad++ registers in the 64-bit view of the registry, a 32-bit one in the other.
    String folder;
    if (win32::Registry::ReadString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Notepad++", nullptr, folder, true) ||
        win32::Registry::ReadString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Notepad++", nullptr, folder, false)) {
        String program;
        program.Format(L"%s\\notepad++.exe", folder.GetBuffer());
        // Notepad++ splits its parameters at blanks; the quotes keep the path one argument.
        String parameters;
        parameters.Format(L"\"%s\"", path.GetBuffer());
        RequireLaunched(ShellExecuteW(owner, L"open", program.GetBuffer(), parameters.GetBuffer(), nullptr, SW_SHOW),
                        program.GetBuffer());
    } else {
        RequireLaunched(ShellExecuteW(owner, L"edit", path.GetBuffer(), nullptr, nullptr, SW_SHOW), nullptr);
    }
}

void ConfigurationFile::RequireLaunched(HINSTANCE result, const wchar_t* editor) {
    // ShellExecute reports success as a value above 32; below that it is the reason.
    INT_PTR code = reinterpret_cast<INT_PTR>(result);
    if (code > 32) {
        return;
    }
    const wchar_t* reason = code == SE_ERR_NOASSOC ? L"No editor is associated with this kind of file."
                            : code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                                ? L"The file or the editor was not found."
                                : L"The system could not start the editor.";
    throw new Exception(L"ConfigurationFile::OpenInEditor()\nThe editor could not be started for %s%s%s\n%s (%d)",
                        path.GetBuffer(), editor ? L"\nEditor: " : L"", editor ? editor : L"", reason,
                        static_cast<int>(code));
}
