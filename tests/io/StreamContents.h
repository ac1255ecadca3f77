#pragma once

#include <string>

#include "io/ByteArrayOutputStream.h"

namespace testsupport {

// The bytes written to stream, zero bytes included; empty when nothing was written.
inline std::string Contents(io::ByteArrayOutputStream& stream) {
    return stream.GetData() ? std::string(stream.GetData(), stream.GetSize()) : std::string();
}

}  // namespace testsupport
