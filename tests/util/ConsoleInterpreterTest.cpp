#include "util/ConsoleInterpreter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/ChunkAssembler.h"
#include "util/ConsolePalette.h"
#include "util/TextCodec.h"

using util::ConsoleInterpreter;
using util::LineStore;
using util::StoredLine;
using util::TextStyle;

namespace {

const uint32_t P = TextStyle::kPalette;

// A readable picture of the store: lines joined by '|' ('+' before a continuation), each styled
// stretch as {foreground/background/flags:text}, stretches in the default style as plain text.
std::wstring Picture(const LineStore& store) {
    std::wstring out;
    for (uint64_t n = store.FirstNumber(); n < store.EndNumber(); ++n) {
        const StoredLine& line = store.At(n);
        if (n != store.FirstNumber()) {
            out += line.continuation ? L"+" : L"|";
        }
        size_t from = 0;
        TextStyle style;
        for (size_t i = 0; i <= line.runs.size(); ++i) {
            size_t to = i < line.runs.size() ? line.runs[i].start : line.text.size();
            std::wstring part = line.text.substr(from, to - from);
            if (style == TextStyle()) {
                out += part;
            } else if (!part.empty()) {
                out += L"{" + std::to_wstring(style.foreground & 0xFFFFFF) + L"/" +
                       std::to_wstring(style.background & 0xFFFFFF) + L"/" + std::to_wstring(style.flags) + L":" +
                       part + L"}";
            }
            if (i < line.runs.size()) {
                style = line.runs[i].style;
                style.flags &= ~TextStyle::Tab;  // a mark for saving, not a look
            }
            from = to;
        }
    }
    return out;
}

// An interpreter on a store of its own, given the input in one piece.
struct Console {
    explicit Console(const std::wstring& input) { interpreter.Write(input, 0); }
    LineStore store{1 << 20};
    ConsoleInterpreter interpreter{store};
};

std::wstring Shown(const std::wstring& input) {
    return Picture(Console(input).store);
}

TextStyle Make(uint32_t fg, uint32_t bg, uint16_t flags) {
    TextStyle style;
    style.foreground = fg;
    style.background = bg;
    style.flags = flags;
    return style;
}

}  // namespace

TEST(GraphicRendition, EachCodeChangesOnlyItsOwnAttribute) {
    struct Case {
        const wchar_t* codes;
        TextStyle expected;
    };
    const uint16_t bold = TextStyle::Bold, faint = TextStyle::Faint, italic = TextStyle::Italic;
    const uint16_t under = TextStyle::Underline, inverse = TextStyle::Inverse, strike = TextStyle::Strike;
    const Case cases[] = {
        {L"\x1b[1m\x1b[31m", Make(P | 1, 0, bold)},
        {L"\x1b[1;2;3;4;7;9m", Make(0, 0, bold | faint | italic | under | inverse | strike)},
        {L"\x1b[1;2;3;4;7;9;22m", Make(0, 0, italic | under | inverse | strike)},
        {L"\x1b[1;3;4;7;9;23;24m", Make(0, 0, bold | inverse | strike)},
        {L"\x1b[1;7;9;27;29m", Make(0, 0, bold)},
        {L"\x1b[31;44;1m\x1b[39m", Make(0, P | 4, bold)},
        {L"\x1b[31;44;1m\x1b[49m", Make(P | 1, 0, bold)},
        {L"\x1b[37;47m", Make(P | 7, P | 7, 0)},
        {L"\x1b[90;107m", Make(P | 8, P | 15, 0)},
        {L"\x1b[97;100m", Make(P | 15, P | 8, 0)},
        {L"\x1b[1;31;42;3m\x1b[0m", Make(0, 0, 0)},
        {L"\x1b[1;31m\x1b[m", Make(0, 0, 0)},
        {L"\x1b[4;31;5m", Make(P | 1, 0, under)},  // blink ignored
        {L"\x1b[38;5;208m", Make(P | 208, 0, 0)},
        {L"\x1b[48;5;17;1m", Make(0, P | 17, bold)},
        {L"\x1b[38:5:9m", Make(P | 9, 0, 0)},
        {L"\x1b[38;2;1;2;3;48;2;250;128;0m", Make(TextStyle::kRgb | 0x010203, TextStyle::kRgb | 0xFA8000, 0)},
        {L"\x1b[38:2:10:20:30m", Make(TextStyle::kRgb | 0x0A141E, 0, 0)},
        {L"\x1b[38:2::10:20:30;4m", Make(TextStyle::kRgb | 0x0A141E, 0, under)},
        {L"\x1b[48:2:0:1:2:3m", Make(0, TextStyle::kRgb | 0x010203, 0)},
        // Out of range or incomplete colours change nothing, and the codes after them still count.
        {L"\x1b[31m\x1b[38;5;256;1m", Make(P | 1, 0, bold)},
        {L"\x1b[31m\x1b[38;2;1;300;3;4m", Make(P | 1, 0, under)},
        {L"\x1b[31m\x1b[38;5m", Make(P | 1, 0, 0)},
        {L"\x1b[31m\x1b[38:5:999;1m", Make(P | 1, 0, bold)},
        {L"\x1b[4m\x1b[4:0m", Make(0, 0, 0)},
        {L"\x1b[58:2::1:2:3;1m", Make(0, 0, bold)},
        // Huge numbers neither wrap around into a known code nor overflow.
        {L"\x1b[4294967327m", Make(0, 0, 0)},
        // Sequences that end in "m" but are not colour codes.
        {L"\x1b[31m\x1b[?1m\x1b[>4;2m\x1b[1 m", Make(P | 1, 0, 0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Console(c.codes).interpreter.GetStyle()) << std::wstring(c.codes + 1).c_str();
    }
}

TEST(GraphicRendition, StyledTextBecomesRunsAndTheCodesVanish) {
    LineStore store(1 << 20);
    ConsoleInterpreter interpreter(store);
    interpreter.Write(L"ok \x1b[1;31mred\x1b[0m plain\x1b[42m\r\nnext", 0);
    ASSERT_EQ(2u, store.Count());
    const StoredLine& first = store.At(0);
    EXPECT_EQ(L"ok red plain", first.text);
    ASSERT_EQ(2u, first.runs.size());
    EXPECT_EQ(3u, first.runs[0].start);
    EXPECT_EQ(Make(P | 1, 0, TextStyle::Bold), first.runs[0].style);
    EXPECT_EQ(6u, first.runs[1].start);
    EXPECT_EQ(TextStyle(), first.runs[1].style);
    // The style carries over the line break.
    EXPECT_EQ(Make(0, P | 2, 0), store.At(1).StyleAt(0));
}

TEST(TextStyle, ShownColoursBrightenBoldBaseColoursAndSwapForInverse) {
    EXPECT_EQ(P | 9, Make(P | 1, 0, TextStyle::Bold).ShownForeground());
    EXPECT_EQ(P | 1, Make(P | 1, 0, 0).ShownForeground());
    EXPECT_EQ(P | 9, Make(P | 9, 0, TextStyle::Bold).ShownForeground());  // already bright
    EXPECT_EQ(P | 100, Make(P | 100, 0, TextStyle::Bold).ShownForeground());
    EXPECT_EQ(TextStyle::kRgb | 3, Make(TextStyle::kRgb | 3, 0, TextStyle::Bold).ShownForeground());
    TextStyle inverse = Make(P | 2, P | 4, TextStyle::Inverse | TextStyle::Bold);
    EXPECT_EQ(P | 4, inverse.ShownForeground());
    EXPECT_EQ(P | 10, inverse.ShownBackground());
    TextStyle plainInverse = Make(0, 0, TextStyle::Inverse);
    EXPECT_EQ(TextStyle::kOppositeDefault, plainInverse.ShownForeground());
    EXPECT_EQ(TextStyle::kOppositeDefault, plainInverse.ShownBackground());
    EXPECT_EQ(TextStyle::kDefault, TextStyle().ShownBackground());
}

TEST(ConsolePalette, BaseColoursCubeAndGreyRampResolve) {
    // 208 and 67 are 5,2,0 and 1,2,3 in the cube; 232 and 255 the ends of the grey ramp.
    const std::pair<unsigned, uint32_t> known[] = {{0, 0x000000},  {16, 0x000000},  {231, 0xFFFFFF}, {208, 0xFF8700},
                                                   {67, 0x5F87AF}, {232, 0x080808}, {255, 0xEEEEEE}};
    for (const auto& k : known) {
        EXPECT_EQ(k.second, util::ConsolePalette::Rgb(k.first)) << k.first;
    }
    EXPECT_EQ(0x123456u, util::ConsolePalette::Resolve(TextStyle::kRgb | 0x123456, 7));
    EXPECT_EQ(7u, util::ConsolePalette::Resolve(TextStyle::kDefault, 7));
    EXPECT_EQ(util::ConsolePalette::Rgb(9), util::ConsolePalette::Resolve(P | 9, 7));
    // Every base colour, the greys standing for white included, stays readable on white:
    // contrast of at least 3:1 by the relative luminance formula.
    for (unsigned i = 0; i < 16; ++i) {
        uint32_t rgb = util::ConsolePalette::Rgb(i);
        double channel[3];
        for (int k = 0; k < 3; ++k) {
            double c = ((rgb >> (16 - 8 * k)) & 0xFF) / 255.0;
            channel[k] = c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        double luminance = 0.2126 * channel[0] + 0.7152 * channel[1] + 0.0722 * channel[2];
        EXPECT_GE(1.05 / (luminance + 0.05), 3.0) << "colour " << i;
    }
}

TEST(ConsoleInterpreter, ControlCharactersActAsOnAConsole) {
    struct Case {
        const wchar_t* input;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"one\ntwo\r\nthree", L"one|two|three"},
        {L"a\r\r\nb", L"a|b"},  // CR CR LF, as text-mode writers double it
        {L"frame=1\rframe=2\rframe=3", L"frame=3"},
        {L"50%\r\n", L"50%|"},
        {L"long progress\rshort", L"short"},
        {L"ab\bc", L"ac"},
        {L"\bx\b\b\by", L"y"},        // at the line's start backspace removes nothing
        {L"one\n\btwo", L"one|two"},  // nor does it reach into the line before
        {L"ab\r\bc", L"c"},
        {L"x\xD83D\xDE00\by", L"xy"},  // a surrogate pair goes as one character
        {L"a\tb\tc", L"a       b       c"},
        {L"12345678\tx", L"12345678        x"},
        {L"ab\rcd\tx", L"cd      x"},
        {L"be\all\x01\x02\x0b\x0c\x7f!", L"bell!"},
        {L"\x1b[31mred\r\x1b[32mgreen", L"{2/0/0:green}"},
        {L"x\x1b[2K\x1b[1G\x1b[?25l\x1b[10;20H\x1b[3Jy", L"xy"},
        {L"\x1b]0;window title\x07shown\x1b]8;;http://h/\x1b\\link\x1b]8;;\x1b\\", L"shownlink"},
        {L"\x1b"
         L"P1$r\x1b\\a\x1b_apc\x07"
         L"b\x1b^pm\x1b\\c\x1bXsos\x1b\\d",
         L"abcd"},
        {L"\x1b(B\x1b)0\x1b"
         L"7\x1b"
         L"8\x1b=\x1b>\x1b"
         L"cz",
         L"z"},
        // A control character inside a sequence ends it, and counts as itself.
        {L"\x1b]title\nnext", L"|next"},
        {L"\x1b[12\ntext", L"|text"},
        {L"\x1b\nx", L"|x"},
        {L"\x1b(\nx", L"|x"},
        {L"\x1b]t\x1bxy", L"y"},  // ESC ends the string, ESC x is a two-character escape
        {L"a\x1b\x1b[1mb", L"a{0/0/1:b}"},
        {L"\x1b[1\xe9x", L"\xe9x"},  // a letter that no sequence holds is text
        {L"caf\xe9 \x2713 \x2500", L"caf\xe9 \x2713 \x2500"},
        {L"a\x80" L"b\x85" L"c\x9b" L"31md\x9f\xa0\x7e", L"abc31md\xa0\x7e"},  // C1 controls show nothing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.shown, Shown(c.input)) << "input " << testing::PrintToString(std::wstring(c.input));
    }
}

TEST(ConsoleInterpreter, CarriageReturnAtTheEndOfABatchWaitsForTheNext) {
    LineStore store(1 << 20);
    ConsoleInterpreter interpreter(store);
    interpreter.Write(L"10%\r", 0);
    EXPECT_TRUE(interpreter.CarriageReturnPending());
    EXPECT_EQ(L"10%", Picture(store));  // nothing followed: the line stays as it is
    interpreter.Write(L"\n", 0);
    EXPECT_EQ(L"10%|", Picture(store));  // CR LF cut between reads: one break, no blank line
    interpreter.Write(L"20%\r", 0);
    interpreter.Write(L"30%\r", 0);
    interpreter.Write(L"\x1b[K", 0);  // codes alone do not yet rewrite the line
    EXPECT_EQ(L"10%|30%", Picture(store));
    interpreter.Write(L"done", 0);
    EXPECT_EQ(L"10%|done", Picture(store));
    EXPECT_FALSE(interpreter.CarriageReturnPending());
    EXPECT_EQ(2u, store.Count());
}

TEST(ConsoleInterpreter, ProgressLineRewrittenManyTimesStaysOneLine) {
    LineStore store(1 << 20);
    ConsoleInterpreter interpreter(store);
    for (int i = 0; i < 10000; ++i) {
        interpreter.Write(L"frame=" + std::to_wstring(i) + L" fps=10\r", i);
    }
    EXPECT_EQ(1u, store.Count());
    EXPECT_EQ(L"frame=9999 fps=10", store.Last().text);
    EXPECT_EQ(9999, store.Last().arrival);  // the rewritten line takes the time of its new text
    EXPECT_EQ(store.Last().text.size(), store.Characters());
}

TEST(ConsoleInterpreter, EverySequenceCutAtEveryPositionReadsAsInOnePiece) {
    const std::wstring inputs[] = {
        L"a\x1b[1;31mred\x1b[0m b\x1b[38;5;208mo\x1b[48:2::1:2:3mt\x1b[m",
        L"x\x1b]0;title \xe9\x07y\x1b]8;;http://h/\x1b\\z",
        L"p\x1b"
        L"P1$r\x1b\\q\x1b(Br\x1b"
        L"7s\x1b[?25lt",
        L"one\r\ntwo\rTWO\nthree\r\r\nfour\b\bR\tx",
        L"\x1b[2J\x1b[H\x1b[31m\U0001F600\x1b[39m\t\x1b]2;t\x1b\\",
    };
    for (const std::wstring& input : inputs) {
        const std::wstring whole = Shown(input);
        for (size_t cut = 0; cut <= input.size(); ++cut) {
            LineStore store(1 << 20);
            ConsoleInterpreter interpreter(store);
            interpreter.Write(input.data(), cut, 0);
            interpreter.Write(input.data() + cut, input.size() - cut, 0);
            EXPECT_EQ(whole, Picture(store)) << "cut at " << cut << " of " << testing::PrintToString(input);
        }
    }
}

TEST(ConsoleInterpreter, SequenceThatNeverEndsIsDroppedAtTheBound) {
    const size_t bound = ConsoleInterpreter::MaxSequenceLength;
    // OSC: ESC ] and 254 more units make the bound; the rest is text again.
    LineStore store(1 << 20);
    ConsoleInterpreter interpreter(store);
    interpreter.Write(L"\x1b]" + std::wstring(bound - 2, L'h') + L"shown", 0);
    EXPECT_EQ(L"shown", store.Last().text);
    EXPECT_FALSE(interpreter.InSequence());
    // CSI parameters cut into many reads: memory stays bounded, text after the bound is shown.
    interpreter.Write(L"\n\x1b[", 0);
    for (int i = 0; i < 1000; ++i) {
        interpreter.Write(L"1;", 0);
    }
    interpreter.Write(L"m", 0);
    std::wstring rest;
    for (size_t i = 0; i < 1000 - (bound - 2) / 2; ++i) {
        rest += L"1;";
    }
    EXPECT_TRUE(rest + L"m" == store.Last().text) << "shown " << store.Last().text.size() << " units";
    EXPECT_EQ(TextStyle(), interpreter.GetStyle());
    // One unit less than the bound still completes.
    interpreter.Write(L"\n\x1b[" + std::wstring(bound - 3, L'1') + L"m", 0);
    EXPECT_EQ(L"", store.Last().text);
    EXPECT_FALSE(interpreter.InSequence());
}

TEST(ConsoleInterpreter, LongLinesGoOnInContinuationLines) {
    const size_t bound = LineStore::MaxLineLength;
    LineStore store(4 * bound);
    ConsoleInterpreter interpreter(store);
    std::wstring piece(bound / 3 + 7, L'a');
    for (int i = 0; i < 4; ++i) {
        interpreter.Write(piece, i);
    }
    ASSERT_EQ(2u, store.Count());
    EXPECT_EQ(bound, store.At(0).text.size());
    EXPECT_FALSE(store.At(0).continuation);
    EXPECT_TRUE(store.At(1).continuation);
    EXPECT_EQ(4 * piece.size() - bound, store.At(1).text.size());
    interpreter.Write(L"\nnext", 5);
    EXPECT_FALSE(store.Last().continuation);
    // A surrogate pair at the bound moves whole to the next line; a tab fills up to the bound.
    interpreter.Write(L"\n" + std::wstring(bound - 1, L'b') + L"\xD83D\xDE00", 6);
    EXPECT_EQ(bound - 1, store.At(store.EndNumber() - 2).text.size());
    EXPECT_TRUE(store.Last().text == L"\xD83D\xDE00");
    interpreter.Write(L"\n" + std::wstring(bound - 3, L'c') + L"\t\tx", 7);
    EXPECT_EQ(bound, store.At(store.EndNumber() - 2).text.size());
    EXPECT_TRUE(store.Last().text == L"        x");
}

TEST(ConsoleInterpreter, ResetForgetsStyleSequenceAndCarriageReturn) {
    LineStore store(1 << 20);
    ConsoleInterpreter interpreter(store);
    interpreter.Write(L"keep\r\x1b[31m\x1b]0;ti", 0);
    store.Clear();
    interpreter.Reset();
    interpreter.Write(
        L"tle\x07"
        L"after",
        0);
    EXPECT_EQ(
        L"tle"
        L"after",
        Picture(store));
}

// The program's notes between the child's lines: default colours, and the child's colour (or a
// sequence it had begun) goes on after them, as if the notes had not come between.
TEST(ConsoleInterpreter, OwnTextShowsInTheDefaultStyleAndTheChildsStateGoesOnAfterIt) {
    auto own = [](const wchar_t* text) { return ConsoleInterpreter::MarkOwnText(text); };
    EXPECT_EQ(L"{1/0/0:red}|exit code 0|{1/0/0:still red}",
              Shown(L"\x1b[31mred\r\n" + own(L"exit code 0\r\n") + L"still red"));
    EXPECT_EQ(L"{0/0/1:bold }note {0/0/1:bold}", Shown(L"\x1b[1mbold " + own(L"note ") + L"bold"));
    // Codes inside the note stay inside it.
    EXPECT_EQ(L"a{3/0/0:b}c", Shown(L"a" + own(L"\x1b[33mb") + L"c"));
    // A sequence cut by the note is completed after it.
    EXPECT_EQ(L"note|{2/0/0:green}", Shown(L"\x1b[3" + own(L"note\r\n") + L"2mgreen"));
    // The marks and the note come in pieces of any size.
    std::wstring input = L"\x1b[35mchild " + own(L"Stopped.\r\n") + L"child";
    for (size_t cut = 0; cut <= input.size(); ++cut) {
        Console console(input.substr(0, cut));
        console.interpreter.Write(input.substr(cut), 0);
        EXPECT_EQ(L"{5/0/0:child }Stopped.|{5/0/0:child}", Picture(console.store)) << "cut at " << cut;
    }
    // A reset (the view cleared) inside a note ends it.
    Console console(L"\x1b[31m" + std::wstring(1, ConsoleInterpreter::OwnTextStart));
    console.store.Clear();
    console.interpreter.Reset();
    console.interpreter.Write(L"x" + std::wstring(1, ConsoleInterpreter::OwnTextEnd) + L"y", 0);
    EXPECT_EQ(L"xy", Picture(console.store));
}

// The child's text cannot pass for the program's: the marks are taken out of it.
TEST(ConsoleInterpreter, ChildTextLosesOnlyTheOwnTextMarks) {
    std::wstring cleaned = L"untouched";
    EXPECT_FALSE(ConsoleInterpreter::DropOwnTextMarks(L"plain \x90\x93\x9b text", cleaned));
    EXPECT_EQ(L"untouched", cleaned);
    EXPECT_TRUE(ConsoleInterpreter::DropOwnTextMarks(L"\x1b[31ma\x91" L"b\x92\x92" L"c\x91", cleaned));
    EXPECT_EQ(L"\x1b[31mabc", cleaned);
    EXPECT_EQ(L"{1/0/0:abc}", Shown(cleaned));
}

// Tabs show as blanks up to the next multiple of 8 and come back as tabs in the saved text, also
// in colour, at a continuation and after a rewritten line; blanks a backspace cut short stay blanks.
TEST(LineStore, TextWithTabsGivesBackTheTabsThatBecameBlanks) {
    const struct {
        const wchar_t* input;
        const wchar_t* saved;
    } cases[] = {
        {L"a\tb\t\tc\r\n\tx", L"a\tb\t\tc\r\n\tx"},
        {L"12345678\t  x\t", L"12345678\t  x\t"},
        {L"\x1b[31mred\t\x1b[44m\tblue\x1b[m\tplain", L"red\t\tblue\tplain"},
        {L"ab\tc\rxyz\t!", L"xyz\t!"},
        {L"ab\t\b\bc", L"ab    c"},
        {L"a    \tb", L"a    \tb"},  // blanks of the child's own stay blanks
    };
    for (const auto& c : cases) {
        Console console(c.input);
        EXPECT_EQ(c.saved, console.store.AllTextWithTabs()) << testing::PrintToString(std::wstring(c.input));
        EXPECT_EQ(std::wstring::npos, console.store.AllText().find(L'\t'));
    }
    LineStore store(1 << 20);
    ConsoleInterpreter interpreter(store);
    interpreter.Write(std::wstring(LineStore::MaxLineLength - 3, L'c') + L"\t\tx", 0);
    EXPECT_EQ(std::wstring(LineStore::MaxLineLength - 3, L'c') + L"\t\tx", store.AllTextWithTabs());
}

TEST(LineStore, TruncateLastKeepsCountAndRuns) {
    LineStore store(1000);
    TextStyle red = Make(P | 1, 0, 0);
    store.AppendToLast(L"abc", 3, TextStyle(), 1);
    store.AppendToLast(L"def", 3, red, 1);
    store.TruncateLast(4);
    EXPECT_EQ(L"abcd", store.Last().text);
    ASSERT_EQ(1u, store.Last().runs.size());
    store.TruncateLast(3);
    EXPECT_TRUE(store.Last().runs.empty());
    EXPECT_EQ(3u, store.Characters());
    store.TruncateLast(10);
    EXPECT_EQ(L"abc", store.Last().text);
    store.AppendToLast(L"x", 1, red, 2);
    EXPECT_EQ(red, store.Last().StyleAt(3));
    EXPECT_EQ(4u, store.Characters());
}

// Lines from keepFrom on stay, whatever the limit: what a view was just handed is not cut.
TEST(LineStore, TrimKeepsTheLinesFromKeepFromOn) {
    LineStore store(10);
    for (int i = 0; i < 6; ++i) {
        store.AppendToLast(L"abcd", 4, TextStyle(), i);
        store.NewLine(i);
    }
    EXPECT_EQ(2u, store.Trim(2));
    EXPECT_EQ(2u, store.FirstNumber());
    EXPECT_EQ(20u, store.Characters());
}

// Random bytes of every kind, read as the reader reads them (cut anywhere, assembled, decoded as
// "auto") and interpreted: never a crash, nothing of any sequence or control character left in
// the lines, no line past the bound, the character count right, and every marker written between
// line breaks shown whatever garbage came before it.
TEST(ConsoleInterpreter, RandomBytesNeverCrashNorLoseText) {
    std::mt19937 random(20261207);
    const char alphabet[] = "\x1b\x1b\x1b[[]];:0123456789mHJK?()PX^_\\\a\b\t\r\n\x01\x7f a\xc3\xa9\xe2\x9c\x93";
    const size_t alphabetSize = sizeof(alphabet) - 1;
    for (int round = 0; round < 200; ++round) {
        LineStore store(1 << 22);
        ConsoleInterpreter interpreter(store);
        ChunkAssembler assembler;
        assembler.SetAuto(nullptr);
        std::vector<std::wstring> markers;
        for (int piece = 0; piece < 40; ++piece) {
            std::string chunk;
            size_t length = random() % 300;
            for (size_t i = 0; i < length; ++i) {
                chunk += random() % 8 == 0 ? static_cast<char>(random() % 256) : alphabet[random() % alphabetSize];
            }
            if (random() % 2 == 0) {
                markers.push_back(L"<mark" + std::to_wstring(round) + L"." + std::to_wstring(piece) + L">");
                chunk += "\n" + std::string(markers.back().begin(), markers.back().end()) + "\n";
            }
            // Read in random cuts, as the pipe would bring it.
            size_t at = 0;
            while (at < chunk.size()) {
                size_t take = 1 + random() % (chunk.size() - at);
                std::vector<char> buffer(ChunkAssembler::MaxCarry + take);
                std::memcpy(buffer.data() + ChunkAssembler::MaxCarry, chunk.data() + at, take);
                char* start = nullptr;
                size_t complete = assembler.Take(buffer.data(), take, &start);
                std::wstring text;
                util::TextCodec::DecodeOutput(start, complete, util::OutputEncoding::Mode::Auto, text);
                interpreter.Write(text, round);
                at += take;
            }
        }
        size_t characters = 0;
        std::vector<std::wstring> texts;
        for (uint64_t n = store.FirstNumber(); n < store.EndNumber(); ++n) {
            const std::wstring& text = texts.emplace_back(store.At(n).text);
            characters += text.size() + 1;
            EXPECT_LE(text.size(), LineStore::MaxLineLength);
            for (wchar_t c : text) {
                ASSERT_TRUE(c >= 0x20 && (c < 0x7F || c > 0x9F)) << "control " << static_cast<int>(c) << " in round " << round;
            }
        }
        EXPECT_EQ(characters - 1, store.Characters());
        for (const std::wstring& marker : markers) {
            EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), marker)) << "lost " << marker.c_str();
        }
    }
}
