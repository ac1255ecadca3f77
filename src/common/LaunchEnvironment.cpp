#include "common/LaunchEnvironment.h"

#include "common/ChildEnvironment.h"
#include "common/ConsoleHints.h"
#include "util/Exception.h"

void LaunchEnvironment::RequireFit(bool fitted) {
    if (!fitted) {
        throw new Exception(
            L"Process::BuildEnvironment()\nThe environment does not fit in the child's block of %d bytes.",
            static_cast<int>(EnvironmentBlock::CapacityUnits * sizeof(wchar_t)));
    }
}

void LaunchEnvironment::Build(const EnvironmentSettings& settings, bool java, bool consoleHints) {
    std::wstring problem;
    if (!ChildEnvironment::Build(settings, java, block, shown, problem)) {
        throw new Exception(L"Process::BuildEnvironment()\n%s", problem.c_str());  // the run fails to start
    }
    // The hints go after the user's own variables, so that a NO_COLOR of theirs counts.
    if (consoleHints) {
        RequireFit(ConsoleHints::Apply(block));
        std::vector<std::wstring> entries = block.Entries();
        for (size_t i = shown.size(); i < entries.size(); ++i) {
            shown.push_back(entries[i]);
        }
    }
}

void LaunchEnvironment::Add(const wchar_t* name, const wchar_t* value) {
    RequireFit(block.Append(name, value));
    shown.push_back(std::wstring(name) + L"=" + value);
}

void LaunchEnvironment::Sort() {
    block.Sort();
    EnvironmentBlock::SortEntries(shown);
}
