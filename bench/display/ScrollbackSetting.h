#pragma once

#include <string>

// Sets the program's "ScrollbackCharacters" value for the benchmark's run and puts back what was
// there before (or removes it) at destruction, so that a value left by a test neither skews the
// figures nor is lost.
class ScrollbackSetting {
public:
    explicit ScrollbackSetting(const std::wstring& value);
    ~ScrollbackSetting();
    ScrollbackSetting(const ScrollbackSetting&) = delete;
    ScrollbackSetting& operator=(const ScrollbackSetting&) = delete;

private:
    bool existed;
    std::wstring previous;
};
