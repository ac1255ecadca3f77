#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "util/LineStore.h"
#include "util/TextSelection.h"

namespace {

using util::LineStore;
using util::TextPosition;
using util::TextStyle;

void Feed(LineStore& store, const std::wstring& text, int64_t arrival = 0) {
    store.AppendText(text.data(), text.size(), TextStyle(), arrival);
}

TextStyle Red() {
    TextStyle style;
    style.foreground = TextStyle::kPalette | 1;
    return style;
}

// Line breaks cut anywhere between two reads, also inside a CR LF, make the same lines.
TEST(LineStore, PlainTextGivesTheSameLinesWhereverTheReadsAreCut) {
    const std::wstring text = L"one\r\ntwo\n\nthree\r\n\r\nfour";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        LineStore store(1000);
        Feed(store, text.substr(0, cut), 1);
        Feed(store, text.substr(cut), 2);
        ASSERT_EQ(6u, store.Count()) << cut;
        EXPECT_EQ(L"one\r\ntwo\r\n\r\nthree\r\n\r\nfour", store.AllText()) << cut;
        EXPECT_EQ(store.AllText().size(), store.TextLength()) << cut;
        EXPECT_EQ(cut > 19 ? 1 : 2, store.At(5).arrival) << cut << " (the time of its first character)";
    }
}

TEST(LineStore, AnEndlessLineGoesOnInContinuationLinesThatReadBackAsOneLine) {
    LineStore store(1000000);
    std::wstring endless(LineStore::kLineBound * 2 + 10, L'x');
    // A surrogate pair across the bound (the line holds "a" first).
    endless[LineStore::kLineBound - 2] = L'\xD83D';
    endless[LineStore::kLineBound - 1] = L'\xDE00';
    store.AppendToLast(L"a", 1, Red(), 0);
    Feed(store, endless);
    Feed(store, L"\nnext");
    ASSERT_EQ(4u, store.Count());
    EXPECT_FALSE(store.At(0).continuation);
    EXPECT_EQ(LineStore::kLineBound - 1, store.At(0).text.size()) << "the pair goes whole to the next line";
    EXPECT_TRUE(store.At(1).continuation);
    EXPECT_EQ(L'\xD83D', store.At(1).text[0]);
    EXPECT_TRUE(store.At(2).continuation);
    EXPECT_FALSE(store.At(3).continuation);
    // A continuation line starts in the style the text is in, not in the one its line began with.
    EXPECT_EQ(TextStyle(), store.At(1).StyleAt(0));
    EXPECT_EQ(Red(), store.At(0).StyleAt(0));
    std::wstring expected = L"a" + endless + L"\r\nnext";
    EXPECT_TRUE(store.AllText() == expected);
    EXPECT_EQ(expected.size(), store.TextLength());
    // Offsets and positions agree both ways, across continuations and CR LFs.
    for (size_t offset : {size_t(0), LineStore::kLineBound - 1, LineStore::kLineBound, expected.size() - 6,
                          expected.size() - 4, expected.size()}) {
        TextPosition at = store.PositionAt(offset);
        EXPECT_EQ(offset, store.OffsetOf(at)) << offset;
    }
    EXPECT_EQ(expected.size() - 4, store.OffsetOf({3, 0}));
    EXPECT_EQ((TextPosition{3, 0}), store.PositionAt(expected.size() - 5)) << "inside the CR LF";
}

// Positions are line numbers: a trim leaves every kept position on its text, and the count and
// text length stay right when the oldest held line is a continuation.
TEST(LineStore, TrimKeepsPositionsOnTheSameTextAndTheCountsRight) {
    LineStore store(200);
    for (int i = 0; i < 30; ++i) {
        Feed(store, L"line " + std::to_wstring(i) + L"\n");
    }
    ASSERT_GT(store.Characters(), 200u);
    // A trim in slices drops no more than asked each time, until the store is within its limit.
    LineStore sliced = store;
    EXPECT_EQ(2u, sliced.Trim(UINT64_MAX, 2));
    EXPECT_EQ(2u, sliced.FirstNumber());
    while (sliced.Trim(UINT64_MAX, 2) > 0) {
    }
    TextPosition top = {20, 0};
    util::TextSelection selection;
    selection.Set({2, 3}, {25, 4});
    EXPECT_GT(store.Trim(), 0u);
    EXPECT_GE(store.Characters(), 150u) << "down to three quarters of the limit";
    EXPECT_LT(store.Characters(), 160u) << "but no further than the line crossing that mark";
    EXPECT_LE(sliced.Characters(), 200u);
    EXPECT_GT(sliced.Characters(), 180u) << "no further than one slice below it";
    EXPECT_GT(store.FirstNumber(), 2u);
    ASSERT_TRUE(store.Holds(top.line));
    EXPECT_EQ(L"line 20", store.At(top.line).text);
    selection.Clamp(store);
    EXPECT_EQ((TextPosition{store.FirstNumber(), 0}), selection.Start());
    EXPECT_EQ((TextPosition{25, 4}), selection.End());
    std::wstring selected = selection.Text(store);
    EXPECT_EQ(L"\r\nline", selected.substr(selected.size() - 6));

    LineStore cut(LineStore::kLineBound + 10);
    std::wstring endless(LineStore::kLineBound + 5, L'y');
    Feed(cut, endless + L"\nz");
    cut.SetLimit(10);
    cut.Trim();
    ASSERT_EQ(2u, cut.Count());
    EXPECT_TRUE(cut.At(cut.FirstNumber()).continuation);
    EXPECT_EQ(L"yyyyy\r\nz", cut.AllText()) << "no line break before the oldest line";
    EXPECT_EQ(8u, cut.TextLength());
    cut.SetLimit(1);
    cut.Trim();
    EXPECT_EQ(L"z", cut.AllText()) << "the last line is kept whatever the limit";
    EXPECT_EQ(1u, cut.TextLength());
}

TEST(LineStore, TextBetweenPositionsIsClampedAndEmptyWhenReversed) {
    LineStore store(1000);
    Feed(store, L"alpha\nbeta\ngamma");
    EXPECT_EQ(L"pha\r\nbeta\r\nga", store.Text({0, 2}, {2, 2}));
    EXPECT_EQ(L"", store.Text({2, 2}, {0, 2}));
    EXPECT_EQ(L"a\r\n", store.Text({1, 3}, {2, 0}));
    EXPECT_EQ(L"alpha\r\nbeta\r\ngamma", store.Text({0, 0}, {99, 0}));
    EXPECT_EQ(L"beta", store.Text({1, 0}, {1, 999}));
    store.Clear();
    EXPECT_EQ(3u, store.FirstNumber()) << "numbers go on after a clear";
    EXPECT_EQ(L"", store.AllText());
    EXPECT_EQ(0u, store.TextLength());
    EXPECT_EQ((TextPosition{3, 0}), store.Clamp({1, 4}));
}

// WM_GETTEXT and EM_GETLINE copy into buffers of any size: never past them, a zero only at the
// end of the whole text's copy.
TEST(LineStore, CopiesTextAndLinesIntoBuffersOfEverySize) {
    LineStore store(1000);
    Feed(store, L"ab\ncd");
    const std::wstring all = L"ab\r\ncd";
    for (size_t room = 0; room <= all.size() + 2; ++room) {
        std::wstring buffer(room + 1, L'#');
        size_t copied = store.CopyText(room ? &buffer[0] : nullptr, room);
        size_t expected = room == 0 ? 0 : std::min(room - 1, all.size());
        EXPECT_EQ(expected, copied) << room;
        EXPECT_EQ(all.substr(0, expected), buffer.substr(0, expected)) << room;
        if (room > 0) {
            EXPECT_EQ(L'\0', buffer[expected]) << room;
        }
        EXPECT_EQ(L'#', buffer[room]) << "past the buffer, " << room;
    }
    wchar_t line[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(1u, store.CopyLine(1, line, 1));
    EXPECT_EQ(L'c', line[0]);
    EXPECT_EQ(L'#', line[1]);
    EXPECT_EQ(2u, store.CopyLine(0, line, 4));
    EXPECT_EQ(0u, store.CopyLine(2, line, 4));
}

TEST(TextSelection, CaretMotionsWrapAtLineEndsAndStayInTheText) {
    using util::TextSelection;
    LineStore store(1000);
    Feed(store, L"first line\nab\nthird line");
    TextSelection selection;
    auto moved = [&](TextPosition from, TextSelection::Motion motion) {
        selection.Collapse(from);
        return selection.Moved(store, motion, 5);
    };
    EXPECT_EQ((TextPosition{1, 2}), moved({0, 7}, TextSelection::LineDown)) << "held to the short line";
    EXPECT_EQ((TextPosition{0, 3}), moved({0, 3}, TextSelection::LineUp)) << "nothing above the first line";
    EXPECT_EQ((TextPosition{2, 4}), moved({0, 4}, TextSelection::PageDown));
    EXPECT_EQ((TextPosition{0, 4}), moved({2, 4}, TextSelection::PageUp));
    EXPECT_EQ((TextPosition{0, 10}), moved({1, 0}, TextSelection::CharacterLeft));
    EXPECT_EQ((TextPosition{2, 0}), moved({1, 2}, TextSelection::CharacterRight));
    EXPECT_EQ((TextPosition{0, 0}), moved({0, 0}, TextSelection::CharacterLeft));
    EXPECT_EQ(store.End(), moved(store.End(), TextSelection::CharacterRight));
    EXPECT_EQ((TextPosition{1, 2}), moved({1, 1}, TextSelection::LineEnd));
    EXPECT_EQ((TextPosition{1, 0}), moved({1, 1}, TextSelection::LineStart));
    EXPECT_EQ((TextPosition{0, 0}), moved({2, 3}, TextSelection::TextStart));
    EXPECT_EQ(store.End(), moved({0, 3}, TextSelection::TextEnd));
    // The anchor stays where the selection began.
    selection.Collapse({1, 1});
    selection.ExtendTo(selection.Moved(store, TextSelection::LineDown, 5));
    EXPECT_EQ(L"b\r\nt", selection.Text(store));
}

TEST(TextSelection, WordsLinesAndAllAsClicksSelectThem) {
    LineStore store(1000);
    Feed(store, L"call my_func(42) now\nsecond line\nlast");
    util::TextSelection selection;
    selection.SelectWord(store, {0, 8});
    EXPECT_EQ(L"my_func", selection.Text(store));
    selection.SelectWord(store, {0, 12});
    EXPECT_EQ(L"(", selection.Text(store)) << "a character that is no word is selected alone";
    selection.SelectWord(store, {0, 99});
    EXPECT_TRUE(selection.Empty()) << "past the line's end";
    selection.SelectLine(store, 1);
    EXPECT_EQ(L"second line\r\n", selection.Text(store));
    selection.SelectLine(store, 2);
    EXPECT_EQ(L"last", selection.Text(store));
    selection.SelectAll(store);
    EXPECT_EQ(store.AllText(), selection.Text(store));
    // Dragging backwards selects the same text as forwards.
    selection.Set({1, 6}, {0, 17});
    EXPECT_EQ(L"now\r\nsecond", selection.Text(store));
    EXPECT_TRUE(selection.Contains({1, 0}));
    EXPECT_FALSE(selection.Contains({1, 6}));
}

}  // namespace
