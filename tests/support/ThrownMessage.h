#pragma once

#include <string>

#include "util/Exception.h"

namespace testsupport {

// Runs action and returns the message of the Exception* it threw (deleted here), or "<no exception>".
template <typename Action>
std::wstring ThrownMessage(Action action) {
    try {
        action();
    } catch (Exception* e) {
        std::wstring message = e->GetMessageText().IsNull() ? L"" : e->GetMessageText().GetBuffer();
        delete e;
        return message;
    }
    return L"<no exception>";
}

}  // namespace testsupport
