#pragma once

#include "util/Object.h"

namespace util {

// Puts a completely written temporary file in the place of a target file so that no failure
// loses the target: ReplaceFileW keeps the target's permissions and attributes; where the system
// refuses to replace it (another program holds it open without delete sharing), the target is
// rewritten in place from the temporary copy, which is kept until that rewrite has succeeded.
class FileReplacement : public Object {
public:
    // Throws an Exception naming the step that failed and, when the copy is kept, where it is.
    static void Replace(const wchar_t* target, const wchar_t* temporary);

private:
    static void RewriteInPlace(const wchar_t* target, const wchar_t* temporary);
};

}  // namespace util
