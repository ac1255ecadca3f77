#include "util/Exception.h"

#include "util/Platform.h"

Exception::Exception(const wchar_t* format, ...) {
    className = L"Object";
    va_list args;
    va_start(args, format);
    message.FormatV(format, args);
    va_end(args);
}

void Exception::Show() const {
    platform::ShowMessage(message.GetBuffer(), L"Exception thrown", platform::MessageStyle::Exclamation);
}
