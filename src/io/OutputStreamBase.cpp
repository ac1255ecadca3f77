#include "io/OutputStreamBase.h"

namespace io {

OutputStreamBase::OutputStreamBase() : count(0) {}

uint32_t OutputStreamBase::GetSize() { return count; }

void OutputStreamBase::Reset() { count = 0; }

}  // namespace io
