#pragma once

// Configuration texts whose entries run the probe child (tests/helpers/ProcessProbe.cpp).
#include <string>

#include "common/ProcessList.h"
#include "support/TestPaths.h"

namespace apptest {

// The build folder's path is ASCII, so narrowing keeps it intact.
inline std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

inline std::string ProbeEntry(const std::string& title, const std::string& arguments, const std::string& extra = "") {
    return "<process><title>" + title + "</title><executable>" + Narrow(testsupport::HelperPath(L"ProcessProbe.exe")) +
           "</executable><commandLineArguments>" + arguments + "</commandLineArguments>" + extra + "</process>";
}

inline std::string Processes(const std::string& entries) {
    return "<processes>" + entries + "</processes>";
}

// How many runs a process window shows: each run starts with a debug block naming its command line.
inline int Runs(const std::wstring& text) {
    int runs = 0;
    for (size_t at = text.find(L"Command line  "); at != std::wstring::npos;
         at = text.find(L"Command line  ", at + 1)) {
        ++runs;
    }
    return runs;
}

// Probe processes started from this test program (and still running).
inline int Probes() {
    return testsupport::CountProcesses(L"ProcessProbe.exe");
}

}  // namespace apptest
