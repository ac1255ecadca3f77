#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/StartOrder.h"

class ConfigurationFile;
class ProcessInfo;
class ProcessWindow;

namespace gui {
class MDIClientWindow;
class Window;
}  // namespace gui

// The process windows in the frame's MDI client: made, updated and disposed of from the entries
// of a configuration, matched by title, and counted or ended together at Exit.
class ProcessWindowSet {
public:
    // Neither is owned; both outlive the set (they are the frame and its client).
    ProcessWindowSet(gui::Window& frame, gui::MDIClientWindow& client);

    // Applies the entries of a loaded configuration: one window per title, the last entry of a
    // title winning. The list's descriptions pass to the windows.
    void Apply(ConfigurationFile& file);
    // Hands the description (owned from here on) to its title's window, making one if the entry
    // is not disabled. The window looks for the ready texts of the entries after it first.
    void ApplyProcessInfo(ProcessInfo* info);
    // Called with each window made from here on, shown at the client's default place, and its
    // title; empty: none is called.
    void SetPlacer(std::function<void(HWND, const std::wstring&)> placer) { place = std::move(placer); }
    // Starts the waiting windows whose predecessor's run is ready for them.
    void StartDue();
    // Destroys every process window (ending its process tree) and deletes its object.
    void DisposeAll();
    // Runs of every process window that have not ended.
    int CountRuns() const;
    // Asks every run of every window to end; returns at once.
    void EndRuns();
    // The longest timeout of the stop steps of the windows with runs: how long their runs may
    // take to end once asked; 0 when none has stop steps.
    uint32_t LongestStopTimeoutMs() const;
    // The process windows, in the client's order of its children.
    std::vector<ProcessWindow*> Windows() const;
    // The process windows in the order of the entries of the configuration; a window whose entry
    // has left it keeps its place after them, in the order of the loads before.
    std::vector<ProcessWindow*> Ordered() const;
    // The direct children of a window, listed before any is destroyed.
    static std::vector<HWND> Children(HWND parent);
    // A window's whole title.
    static std::wstring WindowTitle(HWND window);

private:
    bool HasClient() const;
    // Takes the titles of a load's entries as the order, those of earlier loads after them.
    void Reorder(const std::vector<StartOrder::Entry>& entries);
    // For each title, the ready texts of the entries that start after it (from the last load).
    std::map<std::wstring, std::vector<std::wstring>> watched;
    // The titles in the order of the entries, then those of earlier loads no longer among them.
    std::vector<std::wstring> order;

    std::function<void(HWND, const std::wstring&)> place;
    gui::Window& frame;            // not owned
    gui::MDIClientWindow& client;  // not owned
};
