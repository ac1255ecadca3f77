#include "common/ConsoleHints.h"

#include "common/EnvironmentBlock.h"

bool ConsoleHints::Apply(EnvironmentBlock& block) {
    bool fitted = true;
    if (!block.Contains(L"FORCE_COLOR") && !block.Contains(L"NO_COLOR")) {
        fitted = block.Append(L"FORCE_COLOR", L"1");
    }
    if (fitted && !block.Contains(L"PYTHONUNBUFFERED")) {
        fitted = block.Append(L"PYTHONUNBUFFERED", L"1");
    }
    return fitted;
}
