#include "app/FindBar.h"

#include <algorithm>

#include "app/OutputView.h"
#include "gui/WindowDpi.h"
#include "util/LineStore.h"

namespace {

// Clear of IDOK and IDCANCEL, which Enter and Escape send.
enum Control { kField = 100, kMatchCase, kWholeWord, kPrevious, kNext, kCount, kNote };
// How often the count is brought up to the output while the strip is open.
const UINT_PTR kCountTimer = 1;
const UINT kCountIntervalMs = 250;
// Sizes at 96 DPI: the strip's height, and the widths of its parts left to right.
const int kHeight = 30;
const int kWidths[] = {220, 90, 90, 70, 70, 110};

int Scaled(int value, int dpi) {
    return MulDiv(value, dpi, 96);
}

}  // namespace

FindBar::FindBar(OutputView& view) : WindowControl(L"FindBar"), view(view), open(false) {
    registerClass = true;
    style |= WS_CLIPCHILDREN;
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    extendedStyle |= WS_EX_CONTROLPARENT;  // the program's loop gives it Tab, Enter and Escape
}

FindBar::~FindBar() {}

void FindBar::OnCreate() {
    WindowControl::OnCreate();
    struct {
        gui::WindowControl* control;
        int id;
        const wchar_t* text;
    } parts[] = {{&field, kField, L""},
                 {&matchCase, kMatchCase, L"Match case"},
                 {&wholeWord, kWholeWord, L"Whole word"},
                 {&previous, kPrevious, L"Previous"},
                 {&next, kNext, L"Next"},
                 {&count, kCount, L""},
                 {&note, kNote, L""}};
    for (const auto& part : parts) {
        part.control->SetControlId(part.id);
        if (part.id < kCount) {
            part.control->AddStyle(WS_TABSTOP);  // the count and the note are only read
        }
        part.control->Create(handle);
        SetWindowTextW(part.control->GetHandle(), part.text);
    }
}

void FindBar::Place(RECT& area) {
    if (!open || !handle) {
        return;
    }
    int height = Scaled(kHeight, gui::WindowDpi(handle));
    area.bottom = std::max(area.top, area.bottom - height);
    SetWindowPos(handle, nullptr, area.left, area.bottom, area.right - area.left, height,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
}

void FindBar::OnSize(WPARAM, LPARAM) {
    int dpi = gui::WindowDpi(handle);
    RECT area = {};
    GetClientRect(handle, &area);
    int gap = Scaled(4, dpi), x = gap, height = area.bottom - 2 * gap;
    gui::WindowControl* parts[] = {&field, &matchCase, &wholeWord, &previous, &next, &count};
    for (size_t i = 0; i < sizeof(parts) / sizeof(parts[0]); ++i) {
        int width = Scaled(kWidths[i], dpi);
        SetWindowPos(parts[i]->GetHandle(), nullptr, x, gap, width, height, SWP_NOZORDER);
        x += width + gap;
    }
    SetWindowPos(note.GetHandle(), nullptr, x, gap, std::max(0, static_cast<int>(area.right) - x - gap), height,
                 SWP_NOZORDER);
}

void FindBar::Open() {
    if (!handle) {
        Create(GetParent(view.GetHandle()));
    }
    std::wstring selected = view.GetSelectedText();
    if (!selected.empty() && selected.find_first_of(L"\r\n") == std::wstring::npos) {
        SetWindowTextW(field.GetHandle(), selected.c_str());  // a search for it starts from the change
    }
    if (!open) {
        open = true;
        view.GetMarks().SetFinder(&finder);
        SetTimer(handle, kCountTimer, kCountIntervalMs, nullptr);
        ReadQuery();
        ShowCount();
        if (layout) {
            layout();
        }
        InvalidateRect(view.GetHandle(), nullptr, FALSE);
    }
    SetFocus(field.GetHandle());
    SendMessageW(field.GetHandle(), EM_SETSEL, 0, -1);
}

void FindBar::Close() {
    if (!open) {
        return;
    }
    open = false;
    KillTimer(handle, kCountTimer);
    view.GetMarks().SetFinder(nullptr);
    ShowWindow(handle, SW_HIDE);
    if (layout) {
        layout();
    }
    InvalidateRect(view.GetHandle(), nullptr, FALSE);
    SetFocus(view.GetHandle());
}

void FindBar::Repeat(bool backward) {
    if (finder.GetQuery().text.empty()) {
        Open();
        return;
    }
    Step(backward, true);
}

bool FindBar::ReadQuery() {
    util::FindQuery query;
    if (field.GetHandle()) {
        int length = GetWindowTextLengthW(field.GetHandle());
        query.text.resize(static_cast<size_t>(length) + 1);
        GetWindowTextW(field.GetHandle(), &query.text[0], length + 1);
        query.text.resize(static_cast<size_t>(length));
        query.matchCase = matchCase.IsChecked();
        query.wholeWord = wholeWord.IsChecked();
    }
    finder.SetQuery(query);
    finder.Update(view.GetStore());
    return !query.text.empty();
}

void FindBar::Step(bool backward, bool again) {
    const util::LineStore& store = view.GetStore();
    finder.Update(store);
    util::TextPosition from = view.GetSelection().Empty() ? view.GetSelection().Caret() : view.GetSelection().Start();
    if (again && !backward) {
        ++from.column;  // past the start of the match shown
    }
    util::TextMatch match;
    bool wrapped = false;
    if (finder.Next(store, from, backward, match, wrapped)) {
        view.selection.Set(match.start, {match.start.line, match.start.column + match.length});
        view.scroll.Reveal(store, view.selection.End());
        view.scroll.Reveal(store, match.start);
        view.Selected();
        view.Scrolled();
    }
    if (note.GetHandle()) {
        const wchar_t* text = !wrapped   ? L""
                              : backward ? L"Passed the top, went on from the end"
                                         : L"Passed the end, went on from the top";
        SetWindowTextW(note.GetHandle(), text);
    }
    ShowCount();
}

std::wstring FindBar::CountText() const {
    if (finder.GetQuery().text.empty()) {
        return std::wstring();
    }
    if (finder.Count() == 0) {
        return L"No matches";
    }
    const util::TextSelection& selection = view.GetSelection();
    size_t ordinal = 0;
    if (selection.End().line == selection.Start().line &&
        selection.End().column - selection.Start().column == finder.GetQuery().text.size()) {
        ordinal = finder.OrdinalOf(view.GetStore(), selection.Start());
    }
    return ordinal ? std::to_wstring(ordinal) + L" of " + std::to_wstring(finder.Count())
                   : std::to_wstring(finder.Count()) + (finder.Count() == 1 ? L" match" : L" matches");
}

void FindBar::ShowCount() {
    if (!count.GetHandle()) {
        return;
    }
    std::wstring text = CountText();
    if (text != shownCount) {
        shownCount = text;
        SetWindowTextW(count.GetHandle(), text.c_str());
        // Painted now: a paint left waiting would end the turn in which the window takes a flood
        // of output, as the count changes with the flood four times a second.
        UpdateWindow(count.GetHandle());
    }
}

LRESULT FindBar::OnCommand(WPARAM wParam, LPARAM) {
    int id = LOWORD(wParam), code = HIWORD(wParam);
    if ((id == kField && code == EN_CHANGE) || ((id == kMatchCase || id == kWholeWord) && code == BN_CLICKED)) {
        if (ReadQuery()) {
            Step(false, false);  // the text as typed so far, from where the last match began
        }
        ShowCount();
        InvalidateRect(view.GetHandle(), nullptr, FALSE);
    } else if (id == IDOK || id == IDCANCEL) {
        // Enter and Escape, wherever the keyboard is in the strip.
        if (id == IDOK) {
            Step(GetKeyState(VK_SHIFT) < 0, true);
        } else {
            Close();
        }
    } else if ((id == kPrevious || id == kNext) && code == BN_CLICKED) {
        Step(id == kPrevious, true);
        SetFocus(field.GetHandle());
    } else {
        return 0;
    }
    return 1;
}

LRESULT FindBar::OnTimer(WPARAM timerId) {
    if (timerId == kCountTimer) {
        finder.Update(view.GetStore());
        ShowCount();
    }
    return 0;
}
