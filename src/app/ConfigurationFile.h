#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/ProcessInfo.h"
#include "xml/rapidxml/RapidXMLDocument.h"

// The configuration document: a root element (conventionally "processes") holding one "process"
// element per configured process, each with child elements for its fields. It keeps the list of
// ProcessInfo objects read from it; the list does not own them (they go to the process windows).
class ConfigurationFile : public xml::rapidxml::RapidXMLDocument {
public:
    ConfigurationFile();
    ~ConfigurationFile() override;

    // The given path, or the default path when path is null or empty.
    void SetPath(const wchar_t* path);
    // The program's path with its extension replaced by ".xml".
    static String GetDefaultPath();

    // Replaces the list by the entries of the loaded document. On failure the list is unchanged
    // and the entries read so far are freed.
    void ReadProcesses();
    // Replaces the list by list (same objects), rebuilds the document from it and saves it.
    void WriteProcesses(const std::vector<ProcessInfo*>& list);
    // Writes the sample configuration (never over an existing file; a sample written earlier is
    // used again), reports message and the sample's path in an error box owned by owner, and
    // opens this configuration in the editor.
    void WriteSample(const wchar_t* message, HWND owner);
    // Opens the configuration in Notepad++ when it is installed (64-bit or 32-bit), else with the
    // shell's "edit" verb.
    void OpenInEditor(HWND owner);

    const std::vector<ProcessInfo*>& GetProcesses() const { return processes; }

private:
    void RequireLaunched(HINSTANCE result, const wchar_t* editor);
    static ProcessInfo* ReadProcess(xml::IXMLElement* element);
    // ---- Server settings ----
    static void ReadServerSettings(xml::IXMLElement* element, ProcessInfo& info);
    // The folder of path, without a final separator.
    String GetFolder() const;
    // Gives each entry its folder and log path, and adds the problems across entries (start
    // order, shared log files) to the entries concerned.
    void CheckEntries(const std::vector<ProcessInfo*>& list);
    // The console output elements of an entry; an unknown value throws, naming value and entry.
    static void ReadConsoleSettings(xml::IXMLElement* element, ProcessInfo& info);
    void AppendConsoleSettings(xml::IXMLElement* element, const ProcessInfo& info);
    void AppendProcess(xml::IXMLElement* root, const ProcessInfo& info);
    // The sample's path: the default path, else a ".sample" name beside it, holding either the
    // sample from an earlier start or a new one; null when none could be written.
    static String WriteSampleFile();
    static String SaveSampleAt(ConfigurationFile& sample, const String& samplePath);
    std::string SampleBytes();

    std::vector<ProcessInfo*> processes;  // not owned
};
