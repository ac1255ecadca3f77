#include "common/RunReadiness.h"

void RunReadiness::Watch(const std::vector<std::wstring>& wanted) {
    std::lock_guard<std::mutex> hold(lock);
    std::vector<ReadyText> kept;
    for (const std::wstring& text : wanted) {
        bool known = false;
        for (const ReadyText& watched : kept) {
            known = known || watched.GetText() == text;
        }
        for (const ReadyText& watched : texts) {
            if (!known && watched.GetText() == text) {
                kept.push_back(watched);
                known = true;
            }
        }
        if (!known) {
            kept.emplace_back(text);
        }
    }
    texts.swap(kept);
}

void RunReadiness::BeginRun() {
    std::lock_guard<std::mutex> hold(lock);
    run = Run::Going;
    for (ReadyText& text : texts) {
        text.Reset();
    }
}

void RunReadiness::EndRun(bool succeeded) {
    std::lock_guard<std::mutex> hold(lock);
    run = succeeded ? Run::Succeeded : Run::None;
}

void RunReadiness::Clear() {
    EndRun(false);
}

bool RunReadiness::IsRunning() const {
    std::lock_guard<std::mutex> hold(lock);
    return run == Run::Going;
}

bool RunReadiness::Feed(const wchar_t* output, size_t length) {
    std::lock_guard<std::mutex> hold(lock);
    bool newlyFound = false;
    if (run != Run::Going) {
        return false;  // late output of a run that is over, or of none
    }
    for (ReadyText& text : texts) {
        newlyFound = (!text.Found() && text.Feed(output, length)) || newlyFound;
    }
    return newlyFound;
}

bool RunReadiness::IsReadyFor(const StartOrderSettings& order) const {
    std::lock_guard<std::mutex> hold(lock);
    if (run != Run::Going) {
        return run == Run::Succeeded;
    }
    if (!order.readySet) {
        return true;
    }
    for (const ReadyText& text : texts) {
        if (text.GetText() == order.ready) {
            return text.Found();
        }
    }
    return false;  // not looked for in this run
}
