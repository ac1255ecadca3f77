#include "gui/MessageDispatch.h"

#include <gtest/gtest.h>

namespace {

using gui::MessageDispatch;

TEST(MessageRoutes, PrivateRangeIsWmUserToWmAppPlus3FF) {
    EXPECT_EQ(MessageDispatch::Default, MessageDispatch::Classify(0x03FF, 0));
    EXPECT_EQ(MessageDispatch::Private, MessageDispatch::Classify(0x0400, 0));
    EXPECT_EQ(MessageDispatch::Private, MessageDispatch::Classify(0x8000, 0));
    EXPECT_EQ(MessageDispatch::Private, MessageDispatch::Classify(0x83FF, 0));
    EXPECT_EQ(MessageDispatch::Default, MessageDispatch::Classify(0x8400, 0));
}

TEST(MessageRoutes, EditUpdateNeverReachesTheCommandHandler) {
    const uintptr_t editUpdate = static_cast<uintptr_t>(0x0400) << 16 | 7;
    const uintptr_t editChange = static_cast<uintptr_t>(0x0300) << 16 | 7;
    EXPECT_EQ(MessageDispatch::Default, MessageDispatch::Classify(0x0111, editUpdate));
    EXPECT_EQ(MessageDispatch::Command, MessageDispatch::Classify(0x0111, editChange));
    EXPECT_EQ(MessageDispatch::Command, MessageDispatch::Classify(0x0111, 40002));
}

TEST(MessageRoutes, HandledMessages) {
    EXPECT_EQ(MessageDispatch::Destroy, MessageDispatch::Classify(0x0002, 0));
    EXPECT_EQ(MessageDispatch::Size, MessageDispatch::Classify(0x0005, 0));
    EXPECT_EQ(MessageDispatch::Paint, MessageDispatch::Classify(0x000F, 0));
    EXPECT_EQ(MessageDispatch::Close, MessageDispatch::Classify(0x0010, 0));
    EXPECT_EQ(MessageDispatch::PositionChanged, MessageDispatch::Classify(0x0047, 0));
    EXPECT_EQ(MessageDispatch::Notify, MessageDispatch::Classify(0x004E, 0));
    EXPECT_EQ(MessageDispatch::Timer, MessageDispatch::Classify(0x0113, 0));
    EXPECT_EQ(MessageDispatch::Default, MessageDispatch::Classify(0x0003, 0));  // WM_MOVE
}

}  // namespace
