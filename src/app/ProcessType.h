#pragma once

#include <cstdint>

// The kind of a configured process.
enum class ProcessType : std::int32_t {
    Standard = 0,  // a Windows program or batch file
    Java = 1,      // a Java class run by a Java virtual machine
    Unknown = 2,   // neither: such an entry cannot make a process
};
