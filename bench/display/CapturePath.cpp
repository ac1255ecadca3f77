#include "CapturePath.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "BenchClock.h"
#include "FloodText.h"
#include "app/OutputQueue.h"
#include "common/ILogger.h"
#include "common/Process.h"
#include "support/ScratchDirectory.h"
#include "support/TestPaths.h"
#include "util/TextScan.h"

namespace {

const size_t kQueueCapacity = 128 * 1024;  // the process window's
const double kWaitMs = 5 * 60 * 1000;

}  // namespace

// The reader thread's logger pushes into the queue; the taker counts what the queue hands out.
struct CapturePath::State : public util::logging::ILogger {
    State()
        : queue(kQueueCapacity, OutputQueue::WakeUp()),
          name(L"TarnwickCapturePath-" + std::to_wstring(GetCurrentProcessId())),
          go(CreateEventW(nullptr, FALSE, FALSE, (name + L"-go").c_str())),
          quit(CreateEventW(nullptr, TRUE, FALSE, (name + L"-quit").c_str())),
          request(folder.File(L"capture-request.txt")) {}
    void Log(const wchar_t* text) override { queue.Push(text, nullptr); }
    void Take() {
        std::wstring batch;
        while (!stopping) {
            if (queue.TakeAll(batch)) {
                taken += batch.size();
            } else {
                Sleep(1);
            }
        }
    }

    OutputQueue queue;
    testsupport::ScratchDirectory folder;
    std::wstring name;
    HANDLE go;
    HANDLE quit;
    std::wstring request;
    Process process;
    std::atomic<size_t> taken{0};
    std::atomic<bool> stopping{false};
    std::thread taker;
    int round = 0;
};

CapturePath::CapturePath() : state(new State()) {
    state->taker = std::thread([this] { state->Take(); });
    std::wstring child = testsupport::HelperPath(L"bench_display_child.exe");
    std::wstring arguments = L"flood " + state->name + L" \"" + state->request + L"\"";
    state->process.SetLogger(state);
    state->process.SetExecutable(child.c_str());
    state->process.SetArguments(arguments.c_str());
    state->process.Start();
}

CapturePath::~CapturePath() {
    SetEvent(state->quit);
    if (state->process.IsRunning()) {
        state->process.Terminate();
    }
    state->stopping = true;
    state->taker.join();
    CloseHandle(state->go);
    CloseHandle(state->quit);
    delete state;
}

double CapturePath::Rate(size_t bytes) {
    // The debug block comes first: the count is taken once it has settled.
    for (size_t before = ~size_t(0); before != state->taken; Sleep(200)) {
        before = state->taken;
    }
    size_t start = state->taken;
    std::string marker = floodtext::Marker(++state->round);
    size_t total = (bytes / floodtext::LineBytes > 0 ? bytes / floodtext::LineBytes : 1) * floodtext::LineBytes +
                   marker.size();
    FILE* file = _wfopen(state->request.c_str(), L"w");
    if (!file) {
        return -1;
    }
    fprintf(file, "%zu %d 0\n", bytes, state->round);
    fclose(file);
    double began = NowMs();
    SetEvent(state->go);
    while (state->taken < start + total) {
        if (NowMs() - began > kWaitMs) {
            return -1;
        }
        Sleep(1);
    }
    return static_cast<double>(total) * 1000.0 / (NowMs() - began);
}
