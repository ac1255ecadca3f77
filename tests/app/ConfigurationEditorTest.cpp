#include "app/ConfigurationFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestApplication.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"
#include "support/TestPaths.h"
#include "util/Platform.h"
#include "win32/Registry.h"

using testsupport::ScratchDirectory;

namespace {

const wchar_t kNotepadKey[] = L"SOFTWARE\\Notepad++";

// The Notepad++ key lives under HKEY_LOCAL_MACHINE (in the 32-bit view, as the program reads it):
// the test sets it in its own Wine prefix and puts back what was there.
class NotepadKey {
public:
    NotepadKey() { existed = win32::Registry::ReadString(HKEY_LOCAL_MACHINE, kNotepadKey, nullptr, original, false); }
    ~NotepadKey() {
        Remove();
        if (existed) {
            win32::Registry::WriteString(HKEY_LOCAL_MACHINE, kNotepadKey, nullptr, original.GetBuffer());
        }
    }
    bool Set(const std::wstring& folder) {
        return win32::Registry::WriteString(HKEY_LOCAL_MACHINE, kNotepadKey, nullptr, folder.c_str());
    }
    void Remove() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kNotepadKey, KEY_WOW64_32KEY, 0); }

private:
    bool existed = false;
    String original;
};

std::unique_ptr<ConfigurationFile> ConfigurationAt(const std::wstring& path) {
    std::unique_ptr<ConfigurationFile> file(new ConfigurationFile());
    file->SetPath(path.c_str());
    return file;
}

// Every test puts the Notepad++ key back; the test editor records its runs in the scratch folder.
class ConfigurationEditor : public ::testing::Test {
protected:
    ConfigurationEditor() { SetEnvironmentVariableW(L"TARNWICK_EDITOR_LOG", logPath.c_str()); }
    ~ConfigurationEditor() override { SetEnvironmentVariableW(L"TARNWICK_EDITOR_LOG", nullptr); }

    // Installs the test editor as Notepad++ is installed: "notepad++.exe" in the folder the key names.
    void InstallNotepadPlusPlus() {
        std::wstring folder = dir.File(L"Notepad plus");
        CreateDirectoryW(folder.c_str(), nullptr);
        CopyFileW(testsupport::HelperPath(L"TestEditor.exe").c_str(), (folder + L"\\notepad++.exe").c_str(), FALSE);
        ASSERT_TRUE(key.Set(folder));
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
    NotepadKey key;
    const std::wstring logPath = dir.File(L"editor.log");
};

TEST_F(ConfigurationEditor, NotepadPlusPlusGetsTheQuotedPath) {
    InstallNotepadPlusPlus();
    std::wstring path = dir.Write(L"my config file.xml", "<processes/>");
    ConfigurationAt(path)->OpenInEditor(nullptr);
    std::vector<std::wstring> record = EditorRecord();
    ASSERT_EQ(2u, record.size()) << "the editor was not started, or split the path";
    EXPECT_NE(std::wstring::npos, record[0].find(L"notepad++.exe"));
    EXPECT_NE(std::wstring::npos, record[0].find(L"\"" + path + L"\""));
    EXPECT_EQ(path, record[1]);
}

// A file type whose "edit" verb runs the test editor. Wine's shell reads file types from
// HKEY_CLASSES_ROOT only (not from the current user's classes), so the type is registered there,
// in the test's own Wine prefix, and removed afterwards.
class EditVerbType {
public:
    EditVerbType() {
        std::wstring command = L"\"" + testsupport::HelperPath(L"TestEditor.exe") + L"\" \"%1\"";
        registered = Set(kExtension, L"Tarnwick.EditTest") && Set(kCommand, command.c_str());
    }
    ~EditVerbType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kExtension);
        RegDeleteKeyW(HKEY_CLASSES_ROOT, kExtension);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kType);
        RegDeleteKeyW(HKEY_CLASSES_ROOT, kType);
    }
    bool Registered() const { return registered; }

private:
    static constexpr const wchar_t* kExtension = L".tnkedittest";
    static constexpr const wchar_t* kType = L"Tarnwick.EditTest";
    static constexpr const wchar_t* kCommand = L"Tarnwick.EditTest\\shell\\edit\\command";

    static bool Set(const wchar_t* key, const wchar_t* text) {
        DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
        return RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, text, bytes) == ERROR_SUCCESS;
    }

    bool registered = false;
};

// Without Notepad++ the shell's "edit" verb of the file's type opens it.
TEST_F(ConfigurationEditor, WithoutNotepadPlusPlusTheEditVerbOpensThePath) {
    key.Remove();
    EditVerbType type;
    ASSERT_TRUE(type.Registered());
    std::wstring path = dir.Write(L"my config file.tnkedittest", "<processes/>");
    ConfigurationAt(path)->OpenInEditor(nullptr);
    std::vector<std::wstring> record = EditorRecord();
    ASSERT_EQ(2u, record.size()) << "the edit verb did not start the editor";
    EXPECT_EQ(path, record[1]);
}

const char kSampleBytes[] =
    "<processes>\r\n"
    "\t<process>\r\n"
    "\t\t<title>Tomcat</title>\r\n"
    "\t\t<startupclassname>org.apache.catalina.startup.Bootstrap</startupclassname>\r\n"
    "\t\t<javaOptions>-Xdebug -Xrunjdwp:transport=dt_socket,address=8000,server=y,suspend=n "
    "-Dcom.sun.management.jmxremote</javaOptions>\r\n"
    "\t\t<classpath>bin\\bootstrap.jar</classpath>\r\n"
    "\t\t<initialDir>D:\\opt-server\\apache-tomcat-6.0.32</initialDir>\r\n"
    "\t</process>\r\n"
    "\t<process>\r\n"
    "\t\t<title>Apache SVN</title>\r\n"
    "\t\t<executable>start.cmd</executable>\r\n"
    "\t\t<initialDir>D:\\Fernhollow\\Server\\SVNServer</initialDir>\r\n"
    "\t\t<commandLineArguments>arg1 arg2</commandLineArguments>\r\n"
    "\t\t<start>false</start>\r\n"
    "\t\t<disabled>false</disabled>\r\n"
    "\t</process>\r\n"
    "</processes>\r\n"
    "\r\n";

const wchar_t kBoxTail[] = L"\r\nCommand line processes not configured.\r\nCheck the sample .xml file created";

// The first sample goes to the default path; once that exists, to free ".sample" names beside it,
// never over an existing file. The editor always opens the configuration that failed.
TEST_F(ConfigurationEditor, WriteSampleReportsOpensTheEditorAndNeverOverwrites) {
    testsupport::TestApplication app(dir.File(L"Tarn wick.exe"));
    InstallNotepadPlusPlus();
    std::wstring defaultPath = dir.File(L"Tarn wick.xml");
    std::wstring given = dir.File(L"given.tnkx");  // a configuration named on the command line
    const std::wstring reason = L"File::ReadFromBeginning()\nFile : x\nmissing";
    const std::pair<std::wstring, std::wstring> runs[] = {{defaultPath, defaultPath},
                                                          {given, dir.File(L"Tarn wick.sample.xml")},
                                                          {given, dir.File(L"Tarn wick.sample2.xml")}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.second);
        DeleteFileW(logPath.c_str());
        testsupport::MessageBoxWatcher watcher;
        ConfigurationAt(run.first)->WriteSample(reason.c_str(), nullptr);
        testsupport::MessageBoxInfo box = watcher.Wait();
        ASSERT_TRUE(box.found);
        EXPECT_EQ(L"Error", box.title);
        EXPECT_EQ(reason + kBoxTail, box.text);
        EXPECT_EQ(std::string(kSampleBytes), ScratchDirectory::Read(run.second));
        EXPECT_EQ(std::string(kSampleBytes), ScratchDirectory::Read(defaultPath));
        std::vector<std::wstring> record = EditorRecord();
        ASSERT_EQ(2u, record.size());
        EXPECT_EQ(run.first, record[1]);
    }
}

}  // namespace
