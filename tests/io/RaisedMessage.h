#pragma once

#include <functional>
#include <string>

#include "util/Exception.h"

namespace testsupport {

// Runs action and gives the message of the Exception it raises, or "(nothing raised)".
inline std::wstring RaisedMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (Exception* e) {
        std::wstring message = e->GetMessageText().GetBuffer();
        delete e;
        return message;
    }
    return L"(nothing raised)";
}

}  // namespace testsupport
