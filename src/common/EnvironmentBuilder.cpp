#include "common/EnvironmentBuilder.h"

#include <cwctype>

#include "common/EnvironmentBlock.h"

namespace {

std::wstring Upper(const std::wstring& text) {
    std::wstring upper;
    for (wchar_t c : text) {
        upper += static_cast<wchar_t>(std::towupper(c));
    }
    return upper;
}

}  // namespace

bool EnvironmentBuilder::SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i])) {
            return false;
        }
    }
    return true;
}

EnvironmentBuilder::Variable* EnvironmentBuilder::Lookup(const std::wstring& name) {
    for (Variable& variable : variables) {
        if (SameName(variable.name, name)) {
            return &variable;
        }
    }
    return nullptr;
}

const EnvironmentBuilder::Variable* EnvironmentBuilder::Lookup(const std::wstring& name) const {
    return const_cast<EnvironmentBuilder*>(this)->Lookup(name);
}

void EnvironmentBuilder::Inherit(const std::wstring& entry) {
    size_t equals = entry.find(L'=', 1);
    if (equals != std::wstring::npos) {
        Set(entry.substr(0, equals), entry.substr(equals + 1), Origin::Inherited);
    }
}

void EnvironmentBuilder::Set(const std::wstring& name, const std::wstring& value, Origin origin) {
    bool secret = origin == Origin::File || HasSecretName(name);
    Variable* existing = Lookup(name);
    if (existing) {
        existing->value = value;
        existing->secret = secret;
    } else {
        variables.push_back(Variable{name, value, secret});
    }
}

void EnvironmentBuilder::SetExpanded(const std::wstring& name, const std::wstring& value, Origin origin) {
    bool fromSecret = false;
    std::wstring expanded = Expand(value, fromSecret);
    Set(name, expanded, origin);
    if (fromSecret) {
        Lookup(name)->secret = true;  // a value built from a secret would show it
    }
}

void EnvironmentBuilder::Remove(const std::wstring& name) {
    for (auto at = variables.begin(); at != variables.end(); ++at) {
        if (SameName(at->name, name)) {
            variables.erase(at);
            return;
        }
    }
}

std::wstring EnvironmentBuilder::Expand(const std::wstring& text) const {
    bool secret = false;
    return Expand(text, secret);
}

std::wstring EnvironmentBuilder::Expand(const std::wstring& text, bool& secret) const {
    std::wstring out;
    size_t at = 0;
    while (at < text.size()) {
        size_t open = text.find(L'%', at);
        size_t close = open == std::wstring::npos ? std::wstring::npos : text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            out.append(text, at, std::wstring::npos);
            break;
        }
        out.append(text, at, open - at);
        const Variable* variable = close > open + 1 ? Lookup(text.substr(open + 1, close - open - 1)) : nullptr;
        if (variable) {
            out += variable->value;
            secret = secret || variable->secret;
            at = close + 1;
        } else {
            // An unknown name stays as written; its closing "%" may open the next reference.
            out.append(text, open, close - open);
            at = close;
        }
    }
    return out;
}

const std::wstring* EnvironmentBuilder::Find(const std::wstring& name) const {
    const Variable* variable = Lookup(name);
    return variable ? &variable->value : nullptr;
}

std::wstring EnvironmentBuilder::CheckLimits() const {
    for (const Variable& variable : variables) {
        if (variable.value.size() > LongestValue) {
            return L"the value of " + variable.name + L" has " + std::to_wstring(variable.value.size()) +
                   L" characters, more than the 32767 a variable may have.";
        }
    }
    return std::wstring();
}

bool EnvironmentBuilder::Fill(EnvironmentBlock& block) const {
    for (const Variable& variable : variables) {
        if (!block.Append(variable.name.c_str(), variable.value.c_str())) {
            return false;
        }
    }
    return true;
}

bool EnvironmentBuilder::HasSecretName(const std::wstring& name) {
    std::wstring upper = Upper(name);
    for (const wchar_t* word : {L"PASSWORD", L"SECRET", L"TOKEN", L"KEY"}) {
        if (upper.find(word) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

bool EnvironmentBuilder::IsSecret(const std::wstring& name) const {
    const Variable* variable = Lookup(name);
    return variable ? variable->secret : HasSecretName(name);
}

std::vector<std::wstring> EnvironmentBuilder::ShownLines() const {
    std::vector<std::wstring> lines;
    for (const Variable& variable : variables) {
        lines.push_back(variable.name + L"=" + (variable.secret ? std::wstring(L"****") : variable.value));
    }
    return lines;
}
