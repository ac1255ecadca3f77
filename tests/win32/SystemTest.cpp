#include "win32/System.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// Fills like GetModuleFileNameW: the text cut to the buffer; since Vista with a null and the
// buffer's size returned, on XP without a null when the text fills the buffer exactly.
struct FakeModuleName {
    std::wstring path;
    bool xp;
    int calls = 0;
    unsigned long operator()(wchar_t* buffer, unsigned long size) {
        ++calls;
        size_t copied = std::min<size_t>(path.size(), xp ? size : size - 1);
        std::copy(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(copied), buffer);
        if (copied < size) {
            buffer[copied] = L'\0';
        }
        return path.size() < size ? static_cast<unsigned long>(path.size()) : size;
    }
};

TEST(SystemGrowingText, APathOfAnyLengthComesWholeWhateverTheWindowsVersion) {
    for (bool xp : {false, true}) {
        for (size_t length : {1u, 258u, 259u, 260u, 261u, 600u, 5000u}) {
            std::wstring path(length, L'p');
            path.back() = L'e';
            FakeModuleName fake{path, xp};
            String text = System::GrowingText(std::ref(fake));
            ASSERT_FALSE(text.IsNull());
            EXPECT_EQ(path, text.GetBuffer()) << length << (xp ? " xp" : "");
            EXPECT_LE(fake.calls, length < 259 ? 1 : 6) << length;
        }
    }
    EXPECT_TRUE(System::GrowingText([](wchar_t*, unsigned long) { return 0ul; }).IsNull());
}

}  // namespace
