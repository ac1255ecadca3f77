#include "FloodSession.h"

#include <psapi.h>

#include <cstdio>

#include "BenchClock.h"
#include "FloodText.h"
#include "support/TestPaths.h"

namespace {

const double FloodWaitMs = 5 * 60 * 1000;
const double QuietMs = 100;

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

FloodSession::FloodSession(const testsupport::ScratchDirectory& folder, int serial)
    : events(L"TarnwickDisplayBench-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(serial)),
      go(CreateEventW(nullptr, FALSE, FALSE, (events + L"-go").c_str())),
      quit(CreateEventW(nullptr, TRUE, FALSE, (events + L"-quit").c_str())),
      requestFile(folder.File(L"request" + std::to_wstring(serial) + L".txt")),
      view(nullptr),
      round(0) {
    session.reset(new testsupport::TarnwickSession(L"\"" + WriteConfiguration(folder) + L"\""));
    testsupport::WaitUntil(
        [&] {
            HWND child = session->Child(L"Flood");
            view = child ? testsupport::TarnwickSession::ViewOf(child) : nullptr;
            return view != nullptr;
        },
        30000);
}

FloodSession::~FloodSession() {
    SetEvent(quit);
    session.reset();
    CloseHandle(go);
    CloseHandle(quit);
}

std::wstring FloodSession::WriteConfiguration(const testsupport::ScratchDirectory& folder) const {
    std::string child = Narrow(testsupport::HelperPath(L"bench_display_child.exe"));
    std::string arguments = "flood " + Narrow(events) + " \"" + Narrow(requestFile) + "\"";
    return folder.Write(L"flood.tnkx",
                        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<processes><process><title>Flood"
                        "</title><executable>" +
                            child + "</executable><commandLineArguments>" + arguments +
                            "</commandLineArguments></process></processes>\r\n");
}

HWND FloodSession::CurrentView() const {
    HWND child = session->Child(L"Flood");
    return child ? testsupport::TarnwickSession::ViewOf(child) : nullptr;
}

size_t FloodSession::ViewLength() const {
    return static_cast<size_t>(SendMessageW(CurrentView(), WM_GETTEXTLENGTH, 0, 0));
}

size_t FloodSession::PrivateBytes() const {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(session->ProcessHandle(), &counters, sizeof(counters));
    // The larger of the commit charge (PrivateUsage on Windows) and the working set: Wine fills in
    // either, depending on its version.
    return counters.PagefileUsage > counters.WorkingSetSize ? counters.PagefileUsage : counters.WorkingSetSize;
}

std::wstring FloodSession::LineText(long line) const {
    wchar_t buffer[128] = {};
    *reinterpret_cast<WORD*>(buffer) = 127;
    LRESULT copied = SendMessageW(CurrentView(), EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer));
    return std::wstring(buffer, copied > 0 ? static_cast<size_t>(copied) : 0);
}

bool FloodSession::MarkerShown(const std::string& marker) const {
    std::wstring wanted(marker.begin(), marker.end() - 2);  // without its line end
    long lines = static_cast<long>(SendMessageW(CurrentView(), EM_GETLINECOUNT, 0, 0));
    // The marker's line is the last or, after its line end, the one before.
    for (long line = lines - 1; line >= 0 && line >= lines - 3; --line) {
        if (LineText(line).find(wanted) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

void FloodSession::Clear() const {
    SendMessageW(CurrentView(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
}

bool FloodSession::Request(size_t bytes, floodtext::Kind kind) {
    FILE* file = _wfopen(requestFile.c_str(), L"w");
    if (!file) {
        return false;
    }
    fprintf(file, "%zu %d %d\n", bytes, ++round, static_cast<int>(kind));
    fclose(file);
    return true;
}

long FloodSession::Progress(size_t steps) {
    // The run's own lines come first: the view is emptied once they have settled.
    for (size_t before = ~size_t(0); before != ViewLength(); Sleep(200)) {
        before = ViewLength();
    }
    Clear();
    std::string last = floodtext::ProgressStep(steps, steps);
    std::wstring wanted(last.begin() + 1, last.end());
    if (!Request(steps, floodtext::Kind::Progress)) {
        return -1;
    }
    SetEvent(go);
    for (double start = NowMs(); NowMs() - start < FloodWaitMs; Sleep(20)) {
        long lines = static_cast<long>(SendMessageW(CurrentView(), EM_GETLINECOUNT, 0, 0));
        for (long line = lines - 1; line >= 0 && line >= lines - 3; --line) {
            if (LineText(line) == wanted) {
                Sleep(200);  // anything still on its way comes in too
                return static_cast<long>(SendMessageW(CurrentView(), EM_GETLINECOUNT, 0, 0));
            }
        }
    }
    return -1;
}

void FloodSession::LogScrollPosition() const {
    // Whether the view follows its output: its first visible line against its line count.
    HWND view = CurrentView();
    fprintf(stderr, " [view at line %ld of %ld]", static_cast<long>(SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0)),
            static_cast<long>(SendMessageW(view, EM_GETLINECOUNT, 0, 0)));
}

double FloodSession::Flood(size_t bytes, bool untrimmed, size_t& peakBytes, floodtext::Kind kind) {
    if (!Request(bytes, kind)) {
        return -1;
    }
    std::string marker = floodtext::Marker(round);
    size_t finalLength = ViewLength() +
                         (bytes / floodtext::LineBytes > 0 ? bytes / floodtext::LineBytes : 1) * floodtext::LineBytes +
                         marker.size();
    size_t lastLength = 0;
    double start = NowMs(), lastChange = start;
    SetEvent(go);
    while (NowMs() - start < FloodWaitMs) {
        size_t length = ViewLength();
        double now = NowMs();
        size_t memory = PrivateBytes();
        peakBytes = memory > peakBytes ? memory : peakBytes;
        lastChange = length != lastLength ? now : lastChange;
        lastLength = length;
        bool due = untrimmed ? length >= finalLength : now - lastChange >= QuietMs;
        if (due && MarkerShown(marker)) {
            LogScrollPosition();
            return now - start;
        }
        Sleep(2);
    }
    return -1;
}

double FloodSession::FloodToMarker(size_t bytes, floodtext::Kind kind, double waitMs) {
    if (!Request(bytes, kind)) {
        return -1;
    }
    std::string marker = floodtext::Marker(round);
    double start = NowMs();
    SetEvent(go);
    for (double now = start; now - start < waitMs; now = NowMs()) {
        if (MarkerShown(marker)) {
            return now - start;
        }
        Sleep(10);  // a look costs the view's thread a few messages; the flood's seconds dwarf it
    }
    LogTail(marker);
    return -1;
}

void FloodSession::LogTail(const std::string& marker) const {
    long lines = static_cast<long>(SendMessageW(CurrentView(), EM_GETLINECOUNT, 0, 0));
    fprintf(stderr, "bench: no \"%s\" after the flood; the view holds %zu characters in %ld lines, ending:\n",
            marker.substr(0, marker.size() - 2).c_str(), ViewLength(), lines);
    for (long line = lines > 3 ? lines - 3 : 0; line < lines; ++line) {
        fprintf(stderr, "  \"%ls\"\n", LineText(line).c_str());
    }
}
