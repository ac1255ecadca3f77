#pragma once

#include <string>
#include <vector>

#include "common/EnvironmentBlock.h"
#include "common/EnvironmentSettings.h"

// The environment block one launch hands its child, with its lines for the run's debug block
// (secrets masked): this program's own environment without CLASSPATH, then the entry's file and
// variables, then the console hints unless they are off. What cannot be built throws: the launch
// fails to start then.
class LaunchEnvironment {
public:
    void Clear() { block.Clear(); }
    // Throws when the block cannot be built: a file that cannot be read, a value or block too long.
    void Build(const EnvironmentSettings& settings, bool java, bool consoleHints);
    // Adds a variable after the block was built, shown in the debug block as it is.
    void Add(const wchar_t* name, const wchar_t* value);
    // Sorts the block by name, as the system expects of a child's, and the shown lines too.
    void Sort();

    const wchar_t* Data() const { return block.Data(); }
    const std::vector<std::wstring>& Shown() const { return shown; }

private:
    // Throws the environment-full failure when an entry could not be added.
    static void RequireFit(bool fitted);

    EnvironmentBlock block;
    std::vector<std::wstring> shown;  // the debug block's lines, secrets masked
};
