#include "app/EntryChecks.h"

#include <cwctype>
#include <map>

namespace {

std::wstring Folded(const std::wstring& text) {
    std::wstring folded;
    for (wchar_t c : text) {
        folded += static_cast<wchar_t>(std::towlower(c));
    }
    return folded;
}

std::wstring Quoted(const std::wstring& title) {
    return L"\"" + title + L"\"";
}

}  // namespace

void EntryChecks::Add(std::wstring& problems, const std::wstring& line) {
    if (!problems.empty()) {
        problems += L"\r\n";
    }
    problems += line;
}

std::vector<std::wstring> EntryChecks::Check(const std::vector<Entry>& entries) {
    std::vector<std::wstring> problems(entries.size());
    CheckStartOrder(entries, problems);
    CheckLogFiles(entries, problems);
    return problems;
}

void EntryChecks::CheckStartOrder(const std::vector<Entry>& entries, std::vector<std::wstring>& problems) {
    // Titles name windows exactly, and the last entry of a title is the one its window shows.
    std::map<std::wstring, size_t> byTitle;
    for (size_t i = 0; i < entries.size(); ++i) {
        byTitle[entries[i].title] = i;
    }
    const size_t none = entries.size();
    std::vector<size_t> next(entries.size(), none);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].hasAfter || entries[i].after.empty()) {
            continue;  // an empty "after" is reported with the entry's own elements
        }
        auto found = byTitle.find(entries[i].after);
        if (found == byTitle.end()) {
            Add(problems[i], L"<after> names " + Quoted(entries[i].after) + L", which no entry has as its title.");
        } else {
            next[i] = found->second;
        }
    }
    // Each entry waits for at most one other: following the chain from an entry either ends or
    // comes round to an entry seen on the way, which closes a cycle.
    for (size_t i = 0; i < entries.size(); ++i) {
        std::vector<size_t> path;
        std::vector<bool> seen(entries.size(), false);
        size_t at = i;
        while (at != none && !seen[at]) {
            seen[at] = true;
            path.push_back(at);
            at = next[at];
        }
        if (at == none) {
            continue;
        }
        std::wstring cycle;
        size_t start = 0;
        while (path[start] != at) {
            ++start;
        }
        for (size_t k = start; k < path.size(); ++k) {
            cycle += Quoted(entries[path[k]].title) + L" -> ";
        }
        cycle += Quoted(entries[at].title);
        if (start == 0) {
            Add(problems[i], L"The start order goes round in a cycle: " + cycle + L".");
        } else {
            Add(problems[i], L"The start order waits on a cycle: " + cycle + L".");
        }
    }
}

void EntryChecks::CheckLogFiles(const std::vector<Entry>& entries, std::vector<std::wstring>& problems) {
    std::map<std::wstring, size_t> firstUser;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].applied || entries[i].logPath.empty()) {
            continue;
        }
        auto claimed = firstUser.emplace(Folded(entries[i].logPath), i);
        if (!claimed.second) {
            Add(problems[i], L"<log><file> " + entries[i].logPath + L" is already the log file of " +
                                 Quoted(entries[claimed.first->second].title) + L".");
        }
    }
}
