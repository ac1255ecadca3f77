#include "util/SystemError.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(SystemErrorText, DescribesTheLastErrorAndKeepsIt) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    std::wstring text = GetSystemErrorText();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    SetLastError(0x2FFFFFFF);  // no message for this code
    EXPECT_STREQ(L"", GetSystemErrorText());
}

DWORD WINAPI FormatAnotherError(LPVOID) {
    SetLastError(ERROR_ACCESS_DENIED);
    GetSystemErrorText();
    return 0;
}

TEST(SystemErrorText, EachThreadHasItsOwnText) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    const wchar_t* mine = GetSystemErrorText();
    std::wstring before = mine;
    DWORD otherThread = 0;
    HANDLE thread = CreateThread(nullptr, 0, FormatAnotherError, nullptr, 0, &otherThread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(before, std::wstring(mine));
}

}  // namespace
