#pragma once

#include "util/Object.h"
#include "util/String.h"

// The program's one exception type: created with new, thrown as Exception*, caught as
// Exception*. Its message names Class::Operation() first, then a line break and the detail.
class Exception : public Object {
public:
    Exception(const wchar_t* format, ...);

    const String& GetMessageText() const { return message; }
    // A message box without owner, titled "Exception thrown".
    void Show() const;

private:
    String message;
};
