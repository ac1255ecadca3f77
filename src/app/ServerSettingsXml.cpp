#include "app/ServerSettingsXml.h"

#include <cwctype>
#include <vector>

namespace {

bool SameName(const wchar_t* tag, const wchar_t* name) {
    for (; *tag && *name; ++tag, ++name) {
        if (std::towlower(*tag) != std::towlower(*name)) {
            return false;
        }
    }
    return *tag == L'\0' && *name == L'\0';
}

std::vector<xml::IXMLElement*> Children(xml::IXMLElement* parent, const wchar_t* name) {
    std::vector<xml::IXMLElement*> found;
    for (xml::IXMLNode* node : parent->GetChildNodes()) {
        xml::IXMLElement* child = static_cast<xml::IXMLElement*>(node);
        if (SameName(child->GetTagName(), name)) {
            found.push_back(child);
        }
    }
    return found;
}

xml::IXMLElement* Child(xml::IXMLElement* parent, const wchar_t* name) {
    std::vector<xml::IXMLElement*> found = Children(parent, name);
    return found.empty() ? nullptr : found.front();
}

bool ReadText(xml::IXMLElement* parent, const wchar_t* name, std::wstring& text) {
    xml::IXMLElement* child = Child(parent, name);
    if (child) {
        text = child->GetValue();
    }
    return child != nullptr;
}

std::wstring Trimmed(const std::wstring& text) {
    size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) {
        return std::wstring();
    }
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

// Collects the problems of one entry, one line each.
class Problems {
public:
    void Add(const std::wstring& line) {
        if (!text.empty()) {
            text += L"\r\n";
        }
        text += line;
    }
    const std::wstring& Text() const { return text; }

private:
    std::wstring text;
};

// A variable name: not empty, without "=" (which would end it early in the child's block).
bool ValidName(const std::wstring& name) {
    return !name.empty() && name.find(L'=') == std::wstring::npos && name.find(L'\0') == std::wstring::npos;
}

void ReadEnvironment(xml::IXMLElement* process, EnvironmentSettings& environment, Problems& problems) {
    xml::IXMLElement* element = Child(process, L"environment");
    if (element) {
        environment.present = true;
        for (xml::IXMLNode* node : element->GetChildNodes()) {
            xml::IXMLElement* child = static_cast<xml::IXMLElement*>(node);
            EnvironmentSettings::Change change;
            if (SameName(child->GetTagName(), L"variable")) {
                ReadText(child, L"name", change.name);
                ReadText(child, L"value", change.value);  // none: the variable is set empty
            } else if (SameName(child->GetTagName(), L"remove")) {
                change.name = child->GetValue();
                change.remove = true;
            } else {
                continue;
            }
            change.name = Trimmed(change.name);
            if (!ValidName(change.name)) {
                problems.Add(L"<environment>: a <" + std::wstring(change.remove ? L"remove" : L"variable") +
                             L"> has no valid name (\"" + change.name + L"\": empty or with \"=\").");
                continue;
            }
            environment.changes.push_back(change);
        }
    }
    environment.fileSet = ReadText(process, L"environmentFile", environment.file);
    if (environment.fileSet && Trimmed(environment.file).empty()) {
        problems.Add(L"<environmentFile> names no file.");
    }
}

void ReadStop(xml::IXMLElement* process,
              StopSettings& stop,
              Problems& problems,
              std::vector<ServerSettings::Unread>& unread) {
    xml::IXMLElement* element = Child(process, L"stop");
    if (!element) {
        return;
    }
    stop.present = true;
    stop.executableSet = ReadText(element, L"executable", stop.executable);
    stop.argumentsSet = ReadText(element, L"commandLineArguments", stop.arguments);
    std::wstring text;
    if (ReadText(element, L"console", text) && !StopSettings::ParseConsole(Trimmed(text), stop.console)) {
        problems.Add(L"<stop><console>: \"" + text + L"\" is neither ctrl-c nor ctrl-break.");
        unread.push_back({L"stop", L"console", text});
    }
    if (ReadText(element, L"window", text)) {
        stop.windowSet = ServerSettingsXml::ParseFlag(text, stop.window);
        if (!stop.windowSet) {
            problems.Add(L"<stop><window>: \"" + text + L"\" is neither true nor false.");
            unread.push_back({L"stop", L"window", text});
        }
    }
    uint64_t number = 0;
    if (ReadText(element, L"timeout", text)) {
        stop.timeoutSet = ServerSettingsXml::ParseNumber(text, StopSettings::LongestTimeoutMs, number);
        if (stop.timeoutSet) {
            stop.timeoutMs = static_cast<uint32_t>(number);
        } else {
            problems.Add(L"<stop><timeout>: \"" + text + L"\" is not a number of milliseconds from 0 to 86400000.");
            unread.push_back({L"stop", L"timeout", text});
        }
    }
}

void ReadLog(xml::IXMLElement* process,
             LogSettings& log,
             Problems& problems,
             std::vector<ServerSettings::Unread>& unread) {
    xml::IXMLElement* element = Child(process, L"log");
    if (!element) {
        return;
    }
    log.present = true;
    if (!ReadText(element, L"file", log.file) || Trimmed(log.file).empty()) {
        problems.Add(L"<log> has no <file>.");
    }
    std::wstring text;
    uint64_t number = 0;
    if (ReadText(element, L"maxBytes", text)) {
        log.maxBytesSet = ServerSettingsXml::ParseNumber(text, UINT64_MAX / 2, number) &&
                          (number == 0 || number >= LogSettings::SmallestMaxBytes);
        if (log.maxBytesSet) {
            log.maxBytes = number;
        } else {
            problems.Add(L"<log><maxBytes>: \"" + text + L"\" is neither 0 nor a number of bytes from 1024 up.");
            unread.push_back({L"log", L"maxBytes", text});
        }
    }
    if (ReadText(element, L"backups", text)) {
        log.backupsSet = ServerSettingsXml::ParseNumber(text, LogSettings::MostBackups, number);
        if (log.backupsSet) {
            log.backups = static_cast<uint32_t>(number);
        } else {
            problems.Add(L"<log><backups>: \"" + text + L"\" is not a number from 0 to 999.");
            unread.push_back({L"log", L"backups", text});
        }
    }
}

void ReadStartOrder(xml::IXMLElement* process, StartOrderSettings& order, Problems& problems) {
    order.afterSet = ReadText(process, L"after", order.after);
    order.readySet = ReadText(process, L"ready", order.ready);
    if (order.afterSet && order.after.empty()) {
        problems.Add(L"<after> names no entry.");
    }
    if (order.readySet && !order.afterSet) {
        problems.Add(L"<ready> is set without <after>.");
    }
    if (order.readySet && order.ready.empty()) {
        problems.Add(L"<ready> holds no text.");
    }
}

void Add(xml::IXMLElement* parent,
         const ServerSettingsXml::ElementFactory& create,
         const wchar_t* name,
         const std::wstring& value) {
    parent->AddChildNode(create(name, value.c_str()));
}

void AddUnread(const ServerSettings& settings,
               const wchar_t* parentName,
               xml::IXMLElement* parent,
               const ServerSettingsXml::ElementFactory& create) {
    for (const ServerSettings::Unread& value : settings.unread) {
        if (value.parent == parentName) {
            Add(parent, create, value.name.c_str(), value.text);
        }
    }
}

}  // namespace

bool ServerSettingsXml::ParseNumber(const std::wstring& text, uint64_t most, uint64_t& number) {
    std::wstring digits = Trimmed(text);
    if (digits.empty() || digits.size() > 19) {
        return false;
    }
    uint64_t value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - L'0');  // 19 digits cannot overflow
    }
    if (value > most) {
        return false;
    }
    number = value;
    return true;
}

bool ServerSettingsXml::ParseFlag(const std::wstring& text, bool& flag) {
    std::wstring word = Trimmed(text);
    if (SameName(word.c_str(), L"true") || SameName(word.c_str(), L"false")) {
        flag = SameName(word.c_str(), L"true");
        return true;
    }
    return false;
}

std::wstring ServerSettingsXml::Read(xml::IXMLElement* process, ServerSettings& settings) {
    settings = ServerSettings();
    Problems problems;
    ReadEnvironment(process, settings.environment, problems);
    ReadStop(process, settings.stop, problems, settings.unread);
    ReadLog(process, settings.log, problems, settings.unread);
    ReadStartOrder(process, settings.order, problems);
    return problems.Text();
}

void ServerSettingsXml::Write(const ServerSettings& settings, xml::IXMLElement* process, const ElementFactory& create) {
    const EnvironmentSettings& environment = settings.environment;
    if (environment.present || !environment.changes.empty()) {
        xml::IXMLElement* element = create(L"environment", nullptr);
        for (const EnvironmentSettings::Change& change : environment.changes) {
            if (change.remove) {
                Add(element, create, L"remove", change.name);
                continue;
            }
            xml::IXMLElement* variable = create(L"variable", nullptr);
            Add(variable, create, L"name", change.name);
            Add(variable, create, L"value", change.value);
            element->AddChildNode(variable);
        }
        process->AddChildNode(element);
    }
    if (environment.fileSet) {
        Add(process, create, L"environmentFile", environment.file);
    }
    const StopSettings& stop = settings.stop;
    if (stop.present) {
        xml::IXMLElement* element = create(L"stop", nullptr);
        if (stop.executableSet) {
            Add(element, create, L"executable", stop.executable);
        }
        if (stop.argumentsSet) {
            Add(element, create, L"commandLineArguments", stop.arguments);
        }
        if (stop.console != StopSettings::Console::None) {
            Add(element, create, L"console", StopSettings::ConsoleName(stop.console));
        }
        if (stop.windowSet) {
            Add(element, create, L"window", stop.window ? L"true" : L"false");
        }
        if (stop.timeoutSet) {
            Add(element, create, L"timeout", std::to_wstring(stop.timeoutMs));
        }
        AddUnread(settings, L"stop", element, create);
        process->AddChildNode(element);
    }
    const LogSettings& log = settings.log;
    if (log.present) {
        xml::IXMLElement* element = create(L"log", nullptr);
        Add(element, create, L"file", log.file);
        if (log.maxBytesSet) {
            Add(element, create, L"maxBytes", std::to_wstring(log.maxBytes));
        }
        if (log.backupsSet) {
            Add(element, create, L"backups", std::to_wstring(log.backups));
        }
        AddUnread(settings, L"log", element, create);
        process->AddChildNode(element);
    }
    if (settings.order.afterSet) {
        Add(process, create, L"after", settings.order.after);
    }
    if (settings.order.readySet) {
        Add(process, create, L"ready", settings.order.ready);
    }
}
