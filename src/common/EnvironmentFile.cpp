#include "common/EnvironmentFile.h"

#include "util/Platform.h"

namespace {

const wchar_t Blanks[] = L" \t";

std::wstring Trimmed(const std::wstring& text) {
    size_t first = text.find_first_not_of(Blanks);
    if (first == std::wstring::npos) {
        return std::wstring();
    }
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

}  // namespace

bool EnvironmentFile::Parse(const std::string& bytes, std::vector<Entry>& entries, std::wstring& problem) {
    entries.clear();
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::wstring text;
    if (!platform::Utf8ToWide(bytes.data() + start, bytes.size() - start, text)) {
        problem = L"the file is not UTF-8 text.";
        return false;
    }
    size_t number = 1;
    for (size_t at = 0; at <= text.size(); ++number) {
        size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring line = text.substr(at, end - at);
        if (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }
        if (!ParseLine(line, number, entries, problem)) {
            return false;
        }
        at = end + 1;
    }
    return true;
}

bool EnvironmentFile::ParseLine(const std::wstring& line,
                                size_t number,
                                std::vector<Entry>& entries,
                                std::wstring& problem) {
    std::wstring content = Trimmed(line);
    if (content.empty() || content[0] == L'#') {
        return true;
    }
    size_t equals = content.find(L'=');
    Entry entry;
    if (equals != std::wstring::npos) {
        entry.name = Trimmed(content.substr(0, equals));
    }
    if (equals == std::wstring::npos || entry.name.empty()) {
        // Never the line itself: it may hold a secret, and this text reaches the window and the log.
        problem = L"line " + std::to_wstring(number) +
                  (equals == std::wstring::npos ? L": no \"=\" in it." : L": no name before its \"=\".");
        return false;
    }
    entry.value = Trimmed(content.substr(equals + 1));
    const std::wstring& value = entry.value;
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0]) {
        entry.value = value.substr(1, value.size() - 2);
        entry.quoted = true;
    }
    entries.push_back(entry);
    return true;
}
