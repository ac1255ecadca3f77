#pragma once

#include <cstddef>
#include <string>
#include <vector>

class EnvironmentBlock;

// Builds a child's environment from this program's own, then an environment file, then the
// configured changes, later settings winning. Names compare without letter case, a variable
// keeps the spelling and the place it first had, and %NAME% in a value expands from what is
// built so far, as ExpandEnvironmentStrings does: unknown references stay as written. Free of
// Windows, tested natively.
class EnvironmentBuilder {
public:
    // The longest value a variable may have, in UTF-16 units.
    static constexpr size_t LongestValue = 32767;

    // Where a value came from: values read from an environment file are never shown.
    enum class Origin { Inherited, File, Configured };

    // Takes one "name=value" entry of this program's own environment, split at the first "="
    // after the first character (so that names such as "=C:" stay whole). Entries without "="
    // are skipped.
    void Inherit(const std::wstring& entry);
    // Sets name to value as it stands.
    void Set(const std::wstring& name, const std::wstring& value, Origin origin);
    // Sets name to value with its %NAME% references expanded from the variables so far.
    void SetExpanded(const std::wstring& name, const std::wstring& value, Origin origin);
    void Remove(const std::wstring& name);

    // text with every %NAME% of a known variable replaced by its value.
    std::wstring Expand(const std::wstring& text) const;
    // The value of name, or null.
    const std::wstring* Find(const std::wstring& name) const;
    size_t Count() const { return variables.size(); }

    // "" when every value is within LongestValue, else the problem with the first one too long.
    std::wstring CheckLimits() const;
    // Appends every variable to block; false when the block is full.
    bool Fill(EnvironmentBlock& block) const;
    // The "name=value" lines for the debug block, "name=****" for a secret.
    std::vector<std::wstring> ShownLines() const;
    // Whether name's value is not to be shown: from the file, built from a secret, or named with
    // PASSWORD, SECRET, TOKEN or KEY in it (any letter case).
    bool IsSecret(const std::wstring& name) const;
    static bool HasSecretName(const std::wstring& name);

private:
    struct Variable {
        std::wstring name;
        std::wstring value;
        bool secret;
    };

    Variable* Lookup(const std::wstring& name);
    const Variable* Lookup(const std::wstring& name) const;
    // Expands text; secret is set when a secret variable's value went into it.
    std::wstring Expand(const std::wstring& text, bool& secret) const;
    static bool SameName(const std::wstring& a, const std::wstring& b);

    std::vector<Variable> variables;
};
