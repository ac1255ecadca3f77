#include "app/ServerSettingsText.h"

#include <algorithm>

#include "app/ServerSettingsXml.h"

namespace {

using Change = EnvironmentSettings::Change;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsQuote(wchar_t c) {
    return c == L'"' || c == L'\'';
}

std::wstring Trimmed(const std::wstring& text) {
    size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) {
        return std::wstring();
    }
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

// What the line parser would change about value: blanks at either end, or quotes around it.
bool NeedsQuotes(const std::wstring& value) {
    return !value.empty() &&
           (IsBlank(value.front()) || IsBlank(value.back()) || IsQuote(value.front()) || IsQuote(value.back()));
}

// A text field read as a setting: set when it holds more than blanks.
void ReadText(const std::wstring& text, std::wstring& value, bool& set) {
    set = !Trimmed(text).empty();
    value = set ? text : std::wstring();
}

// A number field: empty for "not set", else a whole number that check accepts.
template <typename Number>
bool ReadNumber(const std::wstring& text,
                uint64_t most,
                bool (*check)(uint64_t),
                Number fallback,
                Number& value,
                bool& set) {
    if (Trimmed(text).empty()) {
        value = fallback;
        set = false;
        return true;
    }
    uint64_t number = 0;
    if (!ServerSettingsXml::ParseNumber(text, most, number) || (check && !check(number))) {
        return false;
    }
    value = static_cast<Number>(number);
    set = true;
    return true;
}

bool NoneOrRotatable(uint64_t bytes) {
    return bytes == 0 || bytes >= LogSettings::SmallestMaxBytes;
}

// Whether the file held a value of parent in error, which is written back as it stood.
bool HasUnread(const ServerSettings& settings, const wchar_t* parent) {
    for (const ServerSettings::Unread& value : settings.unread) {
        if (value.parent == parent) {
            return true;
        }
    }
    return false;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

}  // namespace

std::wstring ServerSettingsText::FormatEnvironment(const std::vector<Change>& changes) {
    std::wstring text;
    for (const Change& change : changes) {
        if (!text.empty()) {
            text += L"\r\n";
        }
        if (change.remove) {
            text += L"-" + change.name;
        } else {
            text += change.name + L"=" + (NeedsQuotes(change.value) ? Quoted(change.value) : change.value);
        }
    }
    return text;
}

bool ServerSettingsText::ParseEnvironment(const std::wstring& text,
                                          std::vector<Change>& changes,
                                          std::wstring& problem) {
    std::vector<Change> read;
    size_t number = 0;
    for (size_t at = 0; at <= text.size();) {
        size_t end = std::min(text.find(L'\n', at), text.size());
        std::wstring line = Trimmed(text.substr(at, end - at));
        at = end + 1;
        ++number;
        if (line.empty()) {
            continue;
        }
        Change change;
        size_t equals = line.find(L'=');
        if (equals != std::wstring::npos) {
            change.name = Trimmed(line.substr(0, equals));
            change.value = Trimmed(line.substr(equals + 1));
            const std::wstring& value = change.value;
            if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
                change.value = value.substr(1, value.size() - 2);
            }
        } else if (line[0] == L'-') {
            change.name = Trimmed(line.substr(1));
            change.remove = true;
        }
        if (change.name.empty()) {
            problem = L"line " + std::to_wstring(number) +
                      (equals != std::wstring::npos ? L": no name before its \"=\"."
                       : change.remove              ? L": no name after its \"-\"."
                                                    : L": neither NAME=value nor -NAME.");
            return false;
        }
        read.push_back(change);
    }
    changes = read;
    return true;
}

ServerSettingsText::Fields ServerSettingsText::Show(const ServerSettings& settings) {
    Fields fields;
    const EnvironmentSettings& environment = settings.environment;
    fields.environment = FormatEnvironment(environment.changes);
    fields.environmentFile = environment.fileSet ? environment.file : std::wstring();
    const StopSettings& stop = settings.stop;
    fields.stopExecutable = stop.executableSet ? stop.executable : std::wstring();
    fields.stopArguments = stop.argumentsSet ? stop.arguments : std::wstring();
    fields.console = stop.console;
    fields.window = stop.windowSet && stop.window;
    // A value the file held in error is shown as it stands, for the user to correct.
    fields.timeout = stop.timeoutSet ? std::to_wstring(stop.timeoutMs) : UnreadText(settings, L"stop", L"timeout");
    const LogSettings& log = settings.log;
    fields.logFile = log.present ? log.file : std::wstring();
    fields.maxBytes = log.maxBytesSet ? std::to_wstring(log.maxBytes) : UnreadText(settings, L"log", L"maxBytes");
    fields.backups = log.backupsSet ? std::to_wstring(log.backups) : UnreadText(settings, L"log", L"backups");
    fields.after = settings.order.afterSet ? settings.order.after : std::wstring();
    fields.ready = settings.order.readySet ? settings.order.ready : std::wstring();
    return fields;
}

bool ServerSettingsText::Read(const Fields& fields,
                              const ServerSettings& base,
                              ServerSettings& settings,
                              std::wstring& problem) {
    const Fields shown = Show(base);
    ServerSettings read = base;
    if (!ReadEnvironment(fields, shown, read, problem) || !ReadStop(fields, shown, read, problem) ||
        !ReadLog(fields, shown, read, problem) || !ReadOrder(fields, shown, read, problem)) {
        return false;
    }
    settings = read;
    return true;
}

bool ServerSettingsText::ReadEnvironment(const Fields& fields,
                                         const Fields& shown,
                                         ServerSettings& settings,
                                         std::wstring& problem) {
    EnvironmentSettings& environment = settings.environment;
    if (fields.environment != shown.environment) {
        std::wstring lineProblem;
        if (!ParseEnvironment(fields.environment, environment.changes, lineProblem)) {
            problem = L"Environment variables, " + lineProblem;
            return false;
        }
        environment.present = !environment.changes.empty();
    }
    if (fields.environmentFile != shown.environmentFile) {
        environment.file = Trimmed(fields.environmentFile);
        environment.fileSet = !environment.file.empty();
    }
    return true;
}

bool ServerSettingsText::ReadStop(const Fields& fields,
                                  const Fields& shown,
                                  ServerSettings& settings,
                                  std::wstring& problem) {
    StopSettings& stop = settings.stop;
    bool changed = false;
    if (fields.stopExecutable != shown.stopExecutable) {
        ReadText(fields.stopExecutable, stop.executable, stop.executableSet);
        changed = true;
    }
    if (fields.stopArguments != shown.stopArguments) {
        ReadText(fields.stopArguments, stop.arguments, stop.argumentsSet);
        changed = true;
    }
    if (fields.console != shown.console) {
        stop.console = fields.console;
        DropUnread(settings, L"stop", L"console");
        changed = true;
    }
    if (fields.window != shown.window) {
        // Unticked is the default: the element goes rather than being written as "false".
        stop.window = fields.window;
        stop.windowSet = fields.window;
        DropUnread(settings, L"stop", L"window");
        changed = true;
    }
    if (fields.timeout != shown.timeout) {
        if (!ReadNumber<uint32_t>(fields.timeout, StopSettings::LongestTimeoutMs, nullptr,
                                  StopSettings::DefaultTimeoutMs, stop.timeoutMs, stop.timeoutSet)) {
            problem = L"Stop timeout (ms): " + Quoted(fields.timeout) +
                      L" is not a number of milliseconds from 0 to 86400000.";
            return false;
        }
        DropUnread(settings, L"stop", L"timeout");
        changed = true;
    }
    if (changed) {
        stop.present = stop.executableSet || stop.argumentsSet || stop.console != StopSettings::Console::None ||
                       stop.windowSet || stop.timeoutSet || HasUnread(settings, L"stop");
    }
    return true;
}

bool ServerSettingsText::ReadLog(const Fields& fields,
                                 const Fields& shown,
                                 ServerSettings& settings,
                                 std::wstring& problem) {
    LogSettings& log = settings.log;
    bool changed = false;
    if (fields.logFile != shown.logFile) {
        log.file = Trimmed(fields.logFile);
        changed = true;
    }
    if (fields.maxBytes != shown.maxBytes) {
        if (!ReadNumber<uint64_t>(fields.maxBytes, UINT64_MAX / 2, NoneOrRotatable, LogSettings::DefaultMaxBytes,
                                  log.maxBytes, log.maxBytesSet)) {
            problem =
                L"Log maxBytes: " + Quoted(fields.maxBytes) + L" is neither 0 nor a number of bytes from 1024 up.";
            return false;
        }
        DropUnread(settings, L"log", L"maxBytes");
        changed = true;
    }
    if (fields.backups != shown.backups) {
        if (!ReadNumber<uint32_t>(fields.backups, LogSettings::MostBackups, nullptr, LogSettings::DefaultBackups,
                                  log.backups, log.backupsSet)) {
            problem = L"Log backups: " + Quoted(fields.backups) + L" is not a number from 0 to 999.";
            return false;
        }
        DropUnread(settings, L"log", L"backups");
        changed = true;
    }
    if (!changed) {
        return true;
    }
    log.present = !log.file.empty() || log.maxBytesSet || log.backupsSet || HasUnread(settings, L"log");
    if (log.present && log.file.empty()) {
        problem = L"Log file: none is named, but Log maxBytes or Log backups is set; name a file or empty them.";
        return false;
    }
    return true;
}

bool ServerSettingsText::ReadOrder(const Fields& fields,
                                   const Fields& shown,
                                   ServerSettings& settings,
                                   std::wstring& problem) {
    StartOrderSettings& order = settings.order;
    if (fields.after == shown.after && fields.ready == shown.ready) {
        return true;
    }
    if (fields.after != shown.after) {
        ReadText(fields.after, order.after, order.afterSet);
    }
    if (fields.ready != shown.ready) {
        ReadText(fields.ready, order.ready, order.readySet);
    }
    if (order.readySet && !order.afterSet) {
        problem = L"Ready text: it is looked for in the output of the entry to start after; choose one in Start after.";
        return false;
    }
    return true;
}

void ServerSettingsText::DropUnread(ServerSettings& settings, const wchar_t* parent, const std::wstring& name) {
    std::vector<ServerSettings::Unread>& unread = settings.unread;
    unread.erase(std::remove_if(
                     unread.begin(), unread.end(),
                     [&](const ServerSettings::Unread& value) { return value.parent == parent && value.name == name; }),
                 unread.end());
}

std::wstring ServerSettingsText::UnreadText(const ServerSettings& settings,
                                            const wchar_t* parent,
                                            const wchar_t* name) {
    for (const ServerSettings::Unread& value : settings.unread) {
        if (value.parent == parent && value.name == name) {
            return value.text;
        }
    }
    return std::wstring();
}
