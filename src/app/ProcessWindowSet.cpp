#include "app/ProcessWindowSet.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "app/ConfigurationFile.h"
#include "app/ProcessInfo.h"
#include "app/ProcessWindow.h"
#include "common/GracefulStop.h"
#include "common/StartOrder.h"
#include "gui/MDIClientWindow.h"
#include "gui/WindowMessageRouter.h"

namespace {

String TitleOf(const ProcessInfo& info) {
    return info.title.IsNull() ? String(L"") : info.title;
}

StartOrder::Entry OrderOf(const ProcessInfo& info) {
    StartOrder::Entry entry;
    entry.title = TitleOf(info).GetBuffer();
    entry.order = info.server.order;
    return entry;
}

}  // namespace

ProcessWindowSet::ProcessWindowSet(gui::Window& frame, gui::MDIClientWindow& client) : frame(frame), client(client) {}

std::vector<HWND> ProcessWindowSet::Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

bool ProcessWindowSet::HasClient() const {
    return client.GetHandle() && IsWindow(client.GetHandle());
}

std::vector<ProcessWindow*> ProcessWindowSet::Windows() const {
    std::vector<ProcessWindow*> windows;
    if (!HasClient()) {
        return windows;
    }
    gui::WindowMessageRouter* router = gui::WindowMessageRouter::GetInstance();
    for (HWND child : Children(client.GetHandle())) {
        ProcessWindow* window = dynamic_cast<ProcessWindow*>(router->Lookup(child));
        if (window) {
            windows.push_back(window);
        }
    }
    return windows;
}

void ProcessWindowSet::Apply(ConfigurationFile& file) {
    std::vector<std::unique_ptr<ProcessInfo>> entries;
    for (ProcessInfo* info : file.GetProcesses()) {
        entries.emplace_back(info);
    }
    // Entries with the same title share one window and the last one wins: apply only that one,
    // so the shared process is not replaced once per entry.
    std::map<String, size_t> last;
    for (size_t index = 0; index < entries.size(); ++index) {
        last[TitleOf(*entries[index])] = index;
    }
    // The texts are known before any window starts, so that no early line of a run goes unseen.
    std::vector<StartOrder::Entry> order;
    for (size_t index = 0; index < entries.size(); ++index) {
        if (last[TitleOf(*entries[index])] == index) {
            order.push_back(OrderOf(*entries[index]));
        }
    }
    std::vector<std::vector<std::wstring>> texts = StartOrder::WatchedTexts(order);
    watched.clear();
    for (size_t index = 0; index < order.size(); ++index) {
        watched[order[index].title] = texts[index];
    }
    Reorder(order);
    client.SetChildCount(0);
    client.CountChildren();
    for (size_t index = 0; index < entries.size(); ++index) {
        if (last[TitleOf(*entries[index])] == index) {
            ApplyProcessInfo(entries[index].release());
        }
    }
}

void ProcessWindowSet::Reorder(const std::vector<StartOrder::Entry>& entries) {
    std::vector<std::wstring> titles;
    std::set<std::wstring> listed;
    for (const StartOrder::Entry& entry : entries) {
        if (listed.insert(entry.title).second) {
            titles.push_back(entry.title);
        }
    }
    for (const std::wstring& title : this->order) {
        if (listed.insert(title).second) {
            titles.push_back(title);
        }
    }
    this->order.swap(titles);
}

std::vector<ProcessWindow*> ProcessWindowSet::Ordered() const {
    std::vector<ProcessWindow*> windows = Windows();
    std::map<std::wstring, size_t> rank;
    for (size_t index = 0; index < order.size(); ++index) {
        rank.emplace(order[index], index);
    }
    std::vector<std::pair<size_t, ProcessWindow*>> ranked;
    for (ProcessWindow* window : windows) {
        auto found = rank.find(WindowTitle(window->GetHandle()));
        ranked.emplace_back(found == rank.end() ? order.size() : found->second, window);
    }
    // A window of no load (an entry given by hand) goes last; among those the client's order holds.
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& left, const auto& right) { return left.first < right.first; });
    std::vector<ProcessWindow*> sorted;
    for (const auto& item : ranked) {
        sorted.push_back(item.second);
    }
    return sorted;
}

void ProcessWindowSet::ApplyProcessInfo(ProcessInfo* newInfo) {
    std::unique_ptr<ProcessInfo> info(newInfo);
    String title = TitleOf(*info);
    auto& children = client.GetChildrenByTitle();
    auto found = children.find(title);
    if (found != children.end()) {
        ProcessWindow* existing = dynamic_cast<ProcessWindow*>(found->second);
        if (existing) {
            existing->GetReadiness().Watch(watched[title.GetBuffer()]);
            existing->SetProcessInfo(info.release());
        }
        return;
    }
    if (info->disabled) {
        return;  // no window; the description goes with this load
    }
    std::unique_ptr<ProcessWindow> window(new ProcessWindow());
    window->SetFrameWindow(&frame);
    window->Create(client.GetHandle());
    ProcessWindow* created = window.release();
    gui::WindowMessageRouter::GetInstance()->Adopt(created);  // from here on the router deletes it
    created->SetText(title.GetBuffer());
    if (std::find(order.begin(), order.end(), std::wstring(title.GetBuffer())) == order.end()) {
        order.push_back(title.GetBuffer());  // given by hand, not by a load: after the others
    }
    ShowWindow(created->GetHandle(), SW_SHOWNORMAL);
    if (place) {
        place(created->GetHandle(), title.GetBuffer());
    }
    children[title] = created;
    created->GetReadiness().Watch(watched[title.GetBuffer()]);
    created->SetProcessInfo(info.release());
}

void ProcessWindowSet::DisposeAll() {
    if (!HasClient()) {
        return;
    }
    // Each child is looked up as its turn comes: deleting one window may take others with it.
    gui::WindowMessageRouter* router = gui::WindowMessageRouter::GetInstance();
    for (HWND child : Children(client.GetHandle())) {
        gui::Window* object = router->Lookup(child);
        if (dynamic_cast<ProcessWindow*>(object)) {
            router->DeleteWindow(object);
        }
    }
}

int ProcessWindowSet::CountRuns() const {
    int running = 0;
    for (ProcessWindow* window : Windows()) {
        running += window->CountRuns();
    }
    return running;
}

uint32_t ProcessWindowSet::LongestStopTimeoutMs() const {
    uint32_t longest = 0;
    for (ProcessWindow* window : Windows()) {
        const ProcessInfo* info = window->GetProcessInfo();
        if (window->CountRuns() > 0 && info && GracefulStop::Applies(info->server.stop)) {
            longest = info->server.stop.timeoutMs > longest ? info->server.stop.timeoutMs : longest;
        }
    }
    return longest;
}

void ProcessWindowSet::EndRuns() {
    for (ProcessWindow* window : Windows()) {
        window->EndRuns();
    }
}

void ProcessWindowSet::StartDue() {
    std::vector<ProcessWindow*> windows = Windows();
    std::vector<StartOrder::Entry> entries;
    for (ProcessWindow* window : windows) {
        entries.push_back(window->GetProcessInfo() ? OrderOf(*window->GetProcessInfo()) : StartOrder::Entry());
        entries.back().waiting = window->IsWaiting();
        entries.back().run = &window->GetReadiness();
    }
    for (size_t index : StartOrder::Due(entries)) {
        windows[index]->StartWaited();
    }
}

std::wstring ProcessWindowSet::WindowTitle(HWND window) {
    // Titles are as long as the configuration makes them: a fixed buffer would cut long ones.
    int length = GetWindowTextLengthW(window);
    std::wstring title(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    title.resize(static_cast<size_t>(GetWindowTextW(window, &title[0], length + 1)));
    return title;
}
