#include "util/ConsoleInterpreter.h"

#include <cwchar>
#include <utility>

#include "util/GraphicRendition.h"

namespace util {
namespace {

const wchar_t kEscape = 0x1B;
const wchar_t kBell = 0x07;
const size_t kTabWidth = 8;

// C1 controls (U+0080 to U+009F) arrive from UTF-8 or Latin-1 text; a console shows nothing for
// them, and the 8-bit CSI is not taken as a sequence start, as the system's console does not.
bool IsPrintable(wchar_t c) {
    return c >= 0x20 && (c < 0x7F || c > 0x9F);
}
bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

ConsoleInterpreter::ConsoleInterpreter(LineStore& lineStore)
    : store(lineStore), state(State::Text), sequenceLength(0), crPending(false), inOwnText(false) {}

std::wstring ConsoleInterpreter::MarkOwnText(const wchar_t* text) {
    std::wstring marked(1, OwnTextStart);
    marked += text;
    marked += OwnTextEnd;
    return marked;
}

bool ConsoleInterpreter::DropOwnTextMarks(const wchar_t* text, std::wstring& cleaned) {
    static const wchar_t kMarks[] = {OwnTextStart, OwnTextEnd, 0};
    const wchar_t* mark = wcspbrk(text, kMarks);
    if (!mark) {
        return false;
    }
    cleaned.assign(text, mark);
    for (const wchar_t* c = mark; *c; ++c) {
        if (*c != OwnTextStart && *c != OwnTextEnd) {
            cleaned += *c;
        }
    }
    return true;
}

void ConsoleInterpreter::Reset() {
    state = State::Text;
    sequenceLength = 0;
    parameters.clear();
    style = TextStyle();
    crPending = false;
    inOwnText = false;
    child = ChildState();
}

void ConsoleInterpreter::OwnText(bool start) {
    if (start == inOwnText) {
        return;
    }
    inOwnText = start;
    if (start) {
        child.state = state;
        child.sequenceLength = sequenceLength;
        child.parameters.swap(parameters);
        child.style = style;
        state = State::Text;
        sequenceLength = 0;
        parameters.clear();
        style = TextStyle();
    } else {
        state = child.state;
        sequenceLength = child.sequenceLength;
        parameters.swap(child.parameters);
        style = child.style;
    }
}

void ConsoleInterpreter::Write(const wchar_t* text, size_t count, int64_t arrival) {
    size_t i = 0;
    while (i < count) {
        // Ahead of any sequence: the child's own begun sequence waits until the note is over.
        if (text[i] == OwnTextStart || text[i] == OwnTextEnd) {
            OwnText(text[i] == OwnTextStart);
            ++i;
            continue;
        }
        if (state != State::Text) {
            // A unit that ends a sequence unfinished is read again as text.
            if (Sequence(text[i])) {
                ++i;
            }
            continue;
        }
        if (IsPrintable(text[i])) {
            i += TakePrintable(text + i, count - i, arrival);
        } else if (size_t taken = TakeWholeCsi(text + i, count - i)) {
            i += taken;
        } else {
            Control(text[i], arrival);
            ++i;
        }
    }
}

size_t ConsoleInterpreter::TakePrintable(const wchar_t* text, size_t count, int64_t arrival) {
    size_t end = 1;
    while (end < count && IsPrintable(text[end])) {
        ++end;
    }
    ResolveCarriageReturn();
    Append(text, end, arrival);
    return end;
}

size_t ConsoleInterpreter::TakeWholeCsi(const wchar_t* text, size_t count) {
    // Colour codes come by the thousand in coloured output: one that lies whole in the batch is
    // read in one scan, without the unit-by-unit states. Anything else (a sequence cut by the
    // end of the batch, too long, or broken) is left to them.
    if (count < 3 || text[0] != kEscape || text[1] != L'[') {
        return 0;
    }
    size_t limit = count < MaxSequenceLength ? count : MaxSequenceLength;
    size_t end = 2;
    while (end < limit && text[end] >= 0x20 && text[end] <= 0x3F) {
        ++end;
    }
    if (end == limit || text[end] < 0x40 || text[end] > 0x7E) {
        return 0;
    }
    if (text[end] == L'm') {
        GraphicRendition::Apply(text + 2, end - 2, style);
    }
    return end + 1;
}

void ConsoleInterpreter::Append(const wchar_t* text, size_t count, int64_t arrival) {
    while (count > 0) {
        size_t used = store.Last().text.size();
        size_t room = used < LineStore::MaxLineLength ? LineStore::MaxLineLength - used : 0;
        size_t take = count < room ? count : room;
        // A surrogate pair stays on one line.
        if (take > 0 && take < count && IsHighSurrogate(text[take - 1]) && IsLowSurrogate(text[take])) {
            --take;
        }
        if (take == 0) {
            store.NewLine(arrival, true);
            continue;
        }
        store.AppendToLast(text, take, style, arrival);
        text += take;
        count -= take;
    }
}

void ConsoleInterpreter::ResolveCarriageReturn() {
    if (crPending) {
        // Text after a bare CR writes the line anew, as a console's cursor back at its start would.
        crPending = false;
        store.TruncateLast(0);
    }
}

void ConsoleInterpreter::Control(wchar_t c, int64_t arrival) {
    switch (c) {
        case L'\n':
            crPending = false;
            store.NewLine(arrival);
            break;
        case L'\r':
            crPending = true;
            break;
        case L'\t':
            ResolveCarriageReturn();
            Tab(arrival);
            break;
        case L'\b':
            Backspace();
            break;
        case kEscape:
            BeginSequence(State::Escape);
            break;
        default:
            break;  // bell, form feed and the rest show nothing
    }
}

void ConsoleInterpreter::Backspace() {
    if (crPending) {
        return;  // the cursor is at the start of the line already
    }
    const std::wstring& text = store.Last().text;
    size_t length = text.size();
    if (length == 0) {
        return;
    }
    bool pair = length >= 2 && IsLowSurrogate(text[length - 1]) && IsHighSurrogate(text[length - 2]);
    store.TruncateLast(length - (pair ? 2 : 1));
}

void ConsoleInterpreter::Tab(int64_t arrival) {
    static const wchar_t kBlanks[kTabWidth + 1] = L"        ";
    TextStyle text = style;
    style.flags |= TextStyle::Tab;
    Append(kBlanks, kTabWidth - store.Last().text.size() % kTabWidth, arrival);
    style = text;
}

void ConsoleInterpreter::BeginSequence(State next) {
    state = next;
    sequenceLength = 1;
    parameters.clear();
}

bool ConsoleInterpreter::Sequence(wchar_t c) {
    if (sequenceLength >= MaxSequenceLength) {
        EndSequence();  // never ending: dropped, and what follows is text again
        return false;
    }
    ++sequenceLength;
    // Inside a sequence a new ESC starts another one (for a string, possibly its end "ESC \"),
    // and any other control character ends it unfinished.
    if (c == kEscape && state != State::String && state != State::StringEscape) {
        BeginSequence(State::Escape);
        return true;
    }
    if (c < 0x20 && c != kEscape && !(c == kBell && state == State::String)) {
        EndSequence();
        return false;
    }
    switch (state) {
        case State::Escape:
            if (c == L'[') {
                state = State::Csi;
            } else if (c == L']' || c == L'P' || c == L'X' || c == L'^' || c == L'_') {
                state = State::String;
            } else if (c >= 0x20 && c <= 0x2F) {
                state = State::EscapeIntermediate;
            } else if (c >= 0x30 && c <= 0x7E) {
                EndSequence();
            } else {
                EndSequence();
                return false;
            }
            return true;
        case State::EscapeIntermediate:
            if (c >= 0x30 && c <= 0x7E) {
                EndSequence();
            } else if (c < 0x20 || c > 0x2F) {
                EndSequence();
                return false;
            }
            return true;
        case State::Csi:
            if (c >= 0x20 && c <= 0x3F) {
                parameters += c;
            } else if (c >= 0x40 && c <= 0x7E) {
                if (c == L'm') {
                    GraphicRendition::Apply(parameters.data(), parameters.size(), style);
                }
                EndSequence();
            } else {
                EndSequence();
                return false;
            }
            return true;
        case State::String:
            if (c == kBell) {
                EndSequence();
            } else if (c == kEscape) {
                state = State::StringEscape;
            }
            return true;
        case State::StringEscape:
            if (c == L'\\') {
                EndSequence();
                return true;
            }
            // ESC ended the string; c continues the escape that ESC began.
            BeginSequence(State::Escape);
            return Sequence(c);
        default:
            EndSequence();
            return false;
    }
}

}  // namespace util
