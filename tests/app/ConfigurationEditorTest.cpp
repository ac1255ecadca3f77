#include "app/ConfigurationFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "LoadedConfiguration.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"
#include "support/TestApplication.h"
#include "support/TestPaths.h"
#include "util/Platform.h"

using testsupport::ScratchDirectory;

namespace {

const wchar_t kNotepadKey[] = L"SOFTWARE\\Notepad++";

std::unique_ptr<ConfigurationFile> ConfigurationAt(const std::wstring& path) {
    std::unique_ptr<ConfigurationFile> file(new ConfigurationFile());
    file->SetPath(path.c_str());
    return file;
}

// Every test puts the Notepad++ key back; the test editor records its runs in the scratch folder.
class ConfigurationEditor : public ::testing::Test {
protected:
    ConfigurationEditor() { SetEnvironmentVariableW(L"TARNWICK_EDITOR_LOG", logPath.c_str()); }
    ~ConfigurationEditor() override {
        SetEnvironmentVariableW(L"TARNWICK_EDITOR_LOG", nullptr);
        SetNotepadKey(L"");
    }

    // The Notepad++ key under HKEY_LOCAL_MACHINE of the test's own Wine prefix, naming folder in one
    // registry view and absent from the other; an empty folder removes it from both.
    bool SetNotepadKey(const std::wstring& folder, REGSAM view = KEY_WOW64_32KEY) {
        for (REGSAM each : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kNotepadKey, each, 0);
        }
        HKEY key = nullptr;
        if (folder.empty() || RegCreateKeyExW(HKEY_LOCAL_MACHINE, kNotepadKey, 0, nullptr, 0, KEY_SET_VALUE | view,
                                              nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return folder.empty();
        }
        DWORD bytes = static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t));
        bool set = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()), bytes) ==
                   ERROR_SUCCESS;
        RegCloseKey(key);
        return set;
    }

    // Installs the test editor as Notepad++ is installed: "notepad++.exe" in the folder the key of
    // the given registry view names.
    void InstallNotepadPlusPlus(REGSAM view = KEY_WOW64_32KEY) {
        std::wstring folder = dir.File(L"Notepad plus");
        CreateDirectoryW(folder.c_str(), nullptr);
        CopyFileW(testsupport::HelperPath(L"TestEditor.exe").c_str(), (folder + L"\\notepad++.exe").c_str(), FALSE);
        ASSERT_TRUE(SetNotepadKey(folder, view));
    }

    // The editor's record once it wrote it (its command line, then its arguments); empty after a timeout.
    std::vector<std::wstring> EditorRecord() const {
        std::string record;
        for (int i = 0; i < 300 && (record = ScratchDirectory::Read(logPath)).empty(); ++i) {
            Sleep(50);
        }
        std::wstring text;
        platform::Utf8ToWide(record.data(), record.size(), text);
        std::vector<std::wstring> lines;
        std::wstringstream stream(text);
        for (std::wstring line; std::getline(stream, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    ScratchDirectory dir;
    const std::wstring logPath = dir.File(L"editor.log");
};

// A 64-bit Notepad++ registers in the 64-bit view; the 32-bit view is the one the sample test uses.
TEST_F(ConfigurationEditor, NotepadPlusPlusOfThe64BitViewGetsTheQuotedPath) {
    std::wstring path = dir.Write(L"my config file.xml", "<processes/>");
    InstallNotepadPlusPlus(KEY_WOW64_64KEY);
    ConfigurationAt(path)->OpenInEditor(nullptr);
    std::vector<std::wstring> record = EditorRecord();
    ASSERT_EQ(2u, record.size()) << "the editor was not started, or split the unquoted path";
    EXPECT_NE(std::wstring::npos, record[0].find(L"notepad++.exe"));
    EXPECT_EQ(path, record[1]);
}

// A file type whose "edit" verb runs the test editor. Wine's shell reads file types from
// HKEY_CLASSES_ROOT only (not from the current user's classes), so the type is registered there,
// in the test's own Wine prefix, and removed afterwards.
struct EditVerbType {
    EditVerbType() {
        std::wstring command = L"\"" + testsupport::HelperPath(L"TestEditor.exe") + L"\" \"%1\"";
        registered =
            Set(L".tnkedittest", L"Tarnwick.EditTest") && Set(L"Tarnwick.EditTest\\shell\\edit\\command", command);
    }
    ~EditVerbType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".tnkedittest");  // the key goes with its tree
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Tarnwick.EditTest");
    }
    static bool Set(const wchar_t* key, const std::wstring& text) {
        DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        return RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, text.c_str(), bytes) == ERROR_SUCCESS;
    }

    bool registered = false;
};

// Without Notepad++ the shell's "edit" verb of the file's type opens it.
TEST_F(ConfigurationEditor, WithoutNotepadPlusPlusTheEditVerbOpensThePath) {
    SetNotepadKey(L"");
    EditVerbType type;
    ASSERT_TRUE(type.registered);
    std::wstring path = dir.Write(L"my config file.tnkedittest", "<processes/>");
    ConfigurationAt(path)->OpenInEditor(nullptr);
    std::vector<std::wstring> record = EditorRecord();
    ASSERT_EQ(2u, record.size()) << "the edit verb did not start the editor";
    EXPECT_EQ(path, record[1]);
}

// An editor that cannot be started is reported, naming the file and the editor, not ignored.
TEST_F(ConfigurationEditor, AnEditorThatCannotStartIsReported) {
    std::wstring path = dir.Write(L"broken editor.xml", "<processes/>");
    ASSERT_TRUE(SetNotepadKey(dir.File(L"no such folder")));
    std::wstring message = testsupport::ThrownMessage([&] { ConfigurationAt(path)->OpenInEditor(nullptr); });
    EXPECT_NE(std::wstring::npos, message.find(L"ConfigurationFile::OpenInEditor()")) << "no failure reported";
    EXPECT_NE(std::wstring::npos, message.find(path));
    EXPECT_NE(std::wstring::npos, message.find(L"no such folder\\notepad++.exe"));
}

const wchar_t kBoxTail[] = L"\r\nCommand line processes not configured.\r\nCheck the sample .xml file created";

// The first sample goes to the default path; once another file is there, to a free ".sample"
// name beside it, never over an existing file. A sample written earlier is used again, and the box
// names it. The editor always opens the configuration that failed.
TEST_F(ConfigurationEditor, WriteSampleReusesAnEarlierSampleAndNeverOverwrites) {
    testsupport::TestApplication app(dir.File(L"Tarn wick.exe"));
    InstallNotepadPlusPlus();
    std::wstring defaultPath = dir.File(L"Tarn wick.xml");
    std::wstring given = dir.File(L"given.tnkx");  // a configuration named on the command line
    std::wstring second = dir.File(L"Tarn wick.sample.xml");
    const std::wstring reason = L"File::ReadFromBeginning()\nFile : x\nmissing";
    struct Run {
        std::wstring configuration;
        std::wstring sample;
        const char* defaultBytes;  // written to the default path before the run; empty: left as it is
    } const runs[] = {
        {defaultPath, defaultPath, ""},
        {given, defaultPath, ""},  // the sample the first run wrote
        {given, second, "<mine/>"},
        {given, second, "<mine/>"},
    };
    std::string sample;
    for (const Run& run : runs) {
        SCOPED_TRACE(run.sample);
        if (*run.defaultBytes) {
            dir.Write(L"Tarn wick.xml", run.defaultBytes);
        }
        DeleteFileW(logPath.c_str());
        testsupport::MessageBoxWatcher watcher;
        ConfigurationAt(run.configuration)->WriteSample(reason.c_str(), nullptr);
        testsupport::MessageBoxInfo box = watcher.Wait();
        ASSERT_TRUE(box.found);
        EXPECT_EQ(L"Error", box.title);
        EXPECT_EQ(reason + kBoxTail + L"\r\n" + run.sample, box.text);
        if (sample.empty()) {
            // The sample is a configuration the program reads (an entry of neither kind would fail).
            sample = ScratchDirectory::Read(run.sample);
            apptest::Loaded read;
            EXPECT_EQ(L"", read.Load(run.sample));
            EXPECT_EQ(2u, read.Count());
        }
        EXPECT_EQ(sample, ScratchDirectory::Read(run.sample));
        EXPECT_EQ(*run.defaultBytes ? run.defaultBytes : sample, ScratchDirectory::Read(defaultPath));
        std::vector<std::wstring> record = EditorRecord();
        ASSERT_EQ(2u, record.size());
        EXPECT_EQ(run.configuration, record[1]);
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.File(L"Tarn wick.sample2.xml").c_str()));
}

// When the sample cannot be written, no empty file is left where it was to go.
TEST_F(ConfigurationEditor, AFailedSampleLeavesNoEmptyFile) {
    testsupport::TestApplication app(dir.File(L"Tarn wick.exe"));
    InstallNotepadPlusPlus();
    std::wstring defaultPath = dir.File(L"Tarn wick.xml");
    ASSERT_TRUE(CreateDirectoryW((defaultPath + L".saving").c_str(), nullptr));  // the save's copy cannot be made
    testsupport::MessageBoxWatcher watcher;
    ConfigurationAt(defaultPath)->WriteSample(L"reason", nullptr);
    testsupport::MessageBoxInfo box = watcher.Wait();
    EXPECT_EQ(std::wstring(L"reason") + kBoxTail, box.text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(defaultPath.c_str()));
    EditorRecord();  // the editor still opens; wait for it before the folder goes
}

}  // namespace
