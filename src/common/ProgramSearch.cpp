#include "common/ProgramSearch.h"

#include <cwctype>
#include <initializer_list>
#include <utility>

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool EndsWithNoCase(const std::wstring& text, const wchar_t* tail) {
    std::wstring end(tail);
    if (text.size() < end.size()) {
        return false;
    }
    for (size_t i = 0; i < end.size(); ++i) {
        if (std::towlower(text[text.size() - end.size() + i]) != std::towlower(end[i])) {
            return false;
        }
    }
    return true;
}

std::wstring Trimmed(const std::wstring& text) {
    size_t begin = text.find_first_not_of(L" \t");
    if (begin == std::wstring::npos) {
        return std::wstring();
    }
    return text.substr(begin, text.find_last_not_of(L" \t") - begin + 1);
}

}  // namespace

ProgramSearch::ProgramSearch(FileTest isFile) : isFile(std::move(isFile)) {}

void ProgramSearch::SetFolders(const std::wstring& programFolder,
                               const std::wstring& system,
                               const std::wstring& windowsFolder) {
    systemFolder = system;
    folders.clear();
    for (const std::wstring* folder : {&programFolder, &system, &windowsFolder}) {
        if (!folder->empty()) {
            folders.push_back(*folder);
        }
    }
}

void ProgramSearch::SetPath(const std::wstring& path) {
    pathFolders.clear();
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L';', start);
        end = end == std::wstring::npos ? path.size() : end;
        std::wstring folder;
        for (size_t i = start; i < end; ++i) {
            if (path[i] != L'"') {
                folder += path[i];
            }
        }
        folder = Trimmed(folder);
        // A relative entry ("." or "bin") would be taken against the current directory.
        if (IsAbsolute(folder)) {
            pathFolders.push_back(folder);
        }
        start = end + 1;
    }
}

std::wstring ProgramSearch::Find(const std::wstring& program) const {
    if (program.empty()) {
        return std::wstring();
    }
    std::vector<std::wstring> candidates;
    bool bare = program.find_first_of(L"\\/:") == std::wstring::npos;
    if (!bare) {
        candidates.push_back(Absolute(program));
    } else {
        for (const std::vector<std::wstring>* list : {&folders, &pathFolders}) {
            for (const std::wstring& folder : *list) {
                candidates.push_back(InFolder(folder, program));
            }
        }
    }
    for (const std::wstring& candidate : candidates) {
        if (isFile(candidate)) {
            return candidate;
        }
        if (!EndsWithNoCase(candidate, L".exe") && isFile(candidate + L".exe")) {
            return candidate + L".exe";
        }
    }
    return std::wstring();
}

std::wstring ProgramSearch::InFolder(const std::wstring& folder, const std::wstring& name) const {
    return IsSeparator(folder.back()) ? folder + name : folder + L"\\" + name;
}

std::wstring ProgramSearch::Absolute(const std::wstring& path) const {
    if (IsAbsolute(path) || base.empty()) {
        return path;
    }
    if (IsSeparator(path[0])) {
        // Rooted on the base folder's drive.
        return base.size() >= 2 && base[1] == L':' ? base.substr(0, 2) + path : path;
    }
    if (path.size() >= 2 && path[1] == L':') {
        // "D:tool.exe": relative to the base folder only when that is on the same drive.
        bool sameDrive = base.size() >= 2 && std::towupper(base[0]) == std::towupper(path[0]);
        return sameDrive ? InFolder(base, path.substr(2)) : path.substr(0, 2) + L"\\" + path.substr(2);
    }
    return InFolder(base, path);
}

ProgramSearch::Value ProgramSearch::Split(const std::wstring& value) {
    Value split;
    std::wstring text = Trimmed(value);
    if (text.empty() || text[0] != L'"') {
        split.program = text;
        return split;
    }
    split.quoted = true;
    size_t closing = text.find(L'"', 1);
    if (closing == std::wstring::npos) {
        split.unclosed = true;
        split.program = text.substr(1);
        return split;
    }
    split.program = text.substr(1, closing - 1);
    split.rest = Trimmed(text.substr(closing + 1));
    return split;
}

bool ProgramSearch::IsBatchFile(const std::wstring& path) {
    return EndsWithNoCase(path, L".bat") || EndsWithNoCase(path, L".cmd");
}

bool ProgramSearch::IsAbsolute(const std::wstring& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return true;  // a share or a device path
    }
    return path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]);
}
