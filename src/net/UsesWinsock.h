#pragma once

#include "util/Object.h"

namespace net {

// Brackets one use of the socket library: starts it (version 2.2) at construction and stops
// it at destruction. The library counts the pairs itself.
class UsesWinsock : public Object {
public:
    UsesWinsock();
    ~UsesWinsock() override;
    UsesWinsock(const UsesWinsock&) = delete;
    UsesWinsock& operator=(const UsesWinsock&) = delete;
};

}  // namespace net
