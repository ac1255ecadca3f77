#include "common/ExitLine.h"

#include <gtest/gtest.h>

namespace {

TEST(ExitLine, CodesDurationsAndReasons) {
    struct Case {
        uint32_t code;
        uint64_t ms;
        ExitLine::Reason reason;
        const wchar_t* line;
    };
    const Case cases[] = {
        {3, 2549, ExitLine::Reason::ByItself, L"Exit code 3, ran 0:00:02.5, ended by itself\r\n"},
        {0xC0000005u, 61000, ExitLine::Reason::ByItself,
         L"Exit code 3221225477 (0xC0000005), ran 0:01:01.0, ended by itself\r\n"},
        {0x40010004u, 3600000, ExitLine::Reason::Stopped,
         L"Exit code 1073807364 (0x40010004), ran 1:00:00.0, stopped\r\n"},
        {1, 100ull * 3600000 + 59999, ExitLine::Reason::Restarted,
         L"Exit code 1, ran 100:00:59.9, ended for a restart\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.line, ExitLine::Format(c.code, c.ms, c.reason));
    }
}

}  // namespace
