#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/LineStore.h"
#include "util/TextStyle.h"

namespace util {

// Turns a child's decoded output into the lines a console would show, in a LineStore: colour
// codes become style runs (GraphicRendition), every other escape sequence is removed, and the
// control characters act as on a console:
// - LF and CR LF end the line; a bare CR followed by more text on the same line starts the line
//   afresh (progress lines). A CR at the end of a batch waits for the next batch to tell which.
// - Backspace removes the character before it on the current line (none at its start).
// - Tab moves to the next multiple of 8 columns with blanks (marked TextStyle::Tab, so that the
//   text can be saved with its tabs). Other C0 controls and DEL are dropped.
// - CSI (ESC [ ... final), OSC and the other string sequences (ESC ] P X ^ _ ... ended by BEL or
//   ESC \) and two-character escapes (ESC with an optional intermediate and a final) are removed.
// Sequences cut by the end of a batch are completed by the next one. A sequence longer than
// MaxSequenceLength units is dropped and what follows it shown; a CR, LF or any other control
// character inside a sequence ends it unfinished, so broken output can hide neither whole lines
// nor more than that bound.
// Lines longer than LineStore::MaxLineLength go on in a continuation line.
//
// The program's own text (its notes about a run) comes between the private controls
// OwnTextStart and OwnTextEnd: it is shown in the default style, and the child's state (its
// colours, a sequence it had begun) carries on after it untouched. Child text must not hold
// these two controls (DropOwnTextMarks); a console shows nothing for them anyway.
class ConsoleInterpreter {
public:
    static constexpr size_t MaxSequenceLength = 256;
    static constexpr wchar_t OwnTextStart = 0x91;  // PU1
    static constexpr wchar_t OwnTextEnd = 0x92;    // PU2

    // The program's own text between the marks.
    static std::wstring MarkOwnText(const wchar_t* text);
    // When text holds either mark, sets cleaned to text without them and returns true; else
    // returns false and leaves cleaned alone (the usual case costs one scan and no copy).
    static bool DropOwnTextMarks(const wchar_t* text, std::wstring& cleaned);

    // store is not owned and must outlive the interpreter.
    explicit ConsoleInterpreter(LineStore& store);

    // Interprets count units of text that arrived at arrival (milliseconds since 1970).
    void Write(const wchar_t* text, size_t count, int64_t arrival);
    void Write(const std::wstring& text, int64_t arrival) { Write(text.data(), text.size(), arrival); }
    // Back to the start: no sequence or CR in progress, the default style (after a Clear).
    void Reset();

    const TextStyle& GetStyle() const { return style; }
    // A CR ended the last batch and waits for the next.
    bool CarriageReturnPending() const { return crPending; }
    // Inside an escape sequence that the next batch has to complete.
    bool InSequence() const { return state != State::Text; }

private:
    enum class State { Text, Escape, EscapeIntermediate, Csi, String, StringEscape };

    // Text state: the printable run at text (returns its length) or one control character.
    size_t TakePrintable(const wchar_t* text, size_t count, int64_t arrival);
    void Control(wchar_t c, int64_t arrival);
    // Text state: a CSI sequence that lies whole at text, applied; returns its length, or 0 when
    // there is none (the sequence is then read unit by unit).
    size_t TakeWholeCsi(const wchar_t* text, size_t count);
    // Inside a sequence: false when c ends the sequence unfinished and is to be read as text.
    bool Sequence(wchar_t c);
    void BeginSequence(State next);
    void EndSequence() { state = State::Text; }
    void Append(const wchar_t* text, size_t count, int64_t arrival);
    void ResolveCarriageReturn();
    void Backspace();
    void Tab(int64_t arrival);
    // Enters or leaves the program's own text, keeping the child's state aside meanwhile.
    void OwnText(bool start);

    // What a child's escape codes change; set aside while the program's own text is shown.
    struct ChildState {
        State state = State::Text;
        size_t sequenceLength = 0;
        std::wstring parameters;
        TextStyle style;
    };

    LineStore& store;  // not owned
    State state;
    size_t sequenceLength;    // units of the sequence so far, its ESC included
    std::wstring parameters;  // of a CSI sequence
    TextStyle style;
    bool crPending;
    bool inOwnText;
    ChildState child;  // the child's, while inOwnText
};

}  // namespace util
