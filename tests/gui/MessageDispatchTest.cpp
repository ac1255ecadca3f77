#include "gui/MessageDispatch.h"

#include <gtest/gtest.h>

namespace {

using gui::MessageDispatch;

TEST(MessageRoutes, ThePrivateRangeAndCommandsWithoutEditUpdate) {
    const uintptr_t editUpdate = static_cast<uintptr_t>(0x0400) << 16 | 7;
    const uintptr_t editChange = static_cast<uintptr_t>(0x0300) << 16 | 7;
    struct Case {
        unsigned message;
        uintptr_t wParam;
        MessageDispatch::Route expected;
    };
    const Case cases[] = {
        // Private messages run from WM_USER to WM_APP + 0x3FF.
        {0x03FF, 0, MessageDispatch::Default}, {0x0400, 0, MessageDispatch::Private},
        {0x8000, 0, MessageDispatch::Private}, {0x83FF, 0, MessageDispatch::Private},
        {0x8400, 0, MessageDispatch::Default},
        // EN_UPDATE never reaches the command handler; other notifications and menu commands do.
        {0x0111, editUpdate, MessageDispatch::Default}, {0x0111, editChange, MessageDispatch::Command},
        {0x0111, 40002, MessageDispatch::Command},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, MessageDispatch::Classify(c.message, c.wParam))
            << std::hex << "message 0x" << c.message << " wParam 0x" << c.wParam;
    }
}

}  // namespace
