#pragma once

#include <cstdint>

#include "io/IOutputStream.h"
#include "util/Object.h"

namespace io {

// Keeps the byte count that every output stream reports; the concrete stream stores the bytes.
class OutputStreamBase : public Object, public IOutputStream {
public:
    OutputStreamBase();

    uint32_t GetSize() override;
    void Reset() override;

protected:
    uint32_t count;
};

}  // namespace io
