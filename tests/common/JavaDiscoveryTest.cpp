#include "common/JavaDiscovery.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// An environment, a registry with its two views, and files, as the test lays them out.
class FakeLookups : public IJavaLookups {
public:
    bool Environment(const std::wstring& name, std::wstring& value) override { return Find(environment, name, value); }
    bool Registry(const std::wstring& key, const std::wstring& name, bool view64, std::wstring& value) override {
        return Find(view64 ? registry64 : registry32, key + L"|" + name, value);
    }
    bool FileExists(const std::wstring& path) override { return files.count(path) > 0; }

    // A runtime installed at home: its java.exe exists.
    std::wstring Install(const std::wstring& home) {
        files.insert(home + L"\\bin\\java.exe");
        return home;
    }

    std::map<std::wstring, std::wstring> environment;
    std::map<std::wstring, std::wstring> registry64;
    std::map<std::wstring, std::wstring> registry32;
    std::set<std::wstring> files;

private:
    static bool Find(const std::map<std::wstring, std::wstring>& values, const std::wstring& key, std::wstring& value) {
        auto found = values.find(key);
        if (found == values.end() || found->second.empty()) {
            return false;
        }
        value = found->second;
        return true;
    }
};

const std::wstring JavaSoft = L"SOFTWARE\\JavaSoft\\";
const std::wstring Jre = JavaSoft + L"Java Runtime Environment";
const std::wstring SystemEnvironment = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

std::wstring Found(FakeLookups& lookups) {
    JavaDiscovery discovery(lookups);
    return discovery.Discover() ? discovery.GetHome() : L"<none>";
}

// One source of the order: what it writes, named by the home it yields.
struct Source {
    std::wstring home;
    std::map<std::wstring, std::wstring>* values;
    std::vector<std::pair<std::wstring, std::wstring>> entries;
};

TEST(JavaDiscovery, EachSourceOutranksTheOnesAfterIt) {
    FakeLookups lookups;
    auto& r64 = lookups.registry64;
    auto& r32 = lookups.registry32;
    std::vector<Source> sources = {
        {L"C:\\env", &lookups.environment, {{L"JAVA_HOME", L"C:\\env"}}},
        {L"C:\\jdk64",
         &r64,
         {{JavaSoft + L"JDK|CurrentVersion", L"21"}, {JavaSoft + L"JDK\\21|JavaHome", L"C:\\jdk64"}}},
        {L"C:\\jdk32",
         &r32,
         {{JavaSoft + L"JDK|CurrentVersion", L"17"}, {JavaSoft + L"JDK\\17|JavaHome", L"C:\\jdk32"}}},
        {L"C:\\jre9", &r64, {{JavaSoft + L"JRE|CurrentVersion", L"9"}, {JavaSoft + L"JRE\\9|JavaHome", L"C:\\jre9"}}},
        {L"C:\\jrecur", &r32, {{Jre + L"|CurrentVersion", L"1.8"}, {Jre + L"\\1.8|JavaHome", L"C:\\jrecur"}}},
        {L"C:\\jre18", &r64, {{Jre + L"\\1.8|JavaHome", L"C:\\jre18"}}},
        {L"C:\\jre17", &r32, {{Jre + L"\\1.7|JavaHome", L"C:\\jre17"}}},
        {L"C:\\jre16", &r64, {{Jre + L"\\1.6|JavaHome", L"C:\\jre16"}}},
        {L"C:\\jre15", &r64, {{Jre + L"\\1.5|JavaHome", L"C:\\jre15"}}},
        {L"C:\\jre14", &r32, {{Jre + L"\\1.4|JavaHome", L"C:\\jre14"}}},
        {L"C:\\system", &r64, {{SystemEnvironment + L"|JAVA_HOME", L"C:\\system"}}},
        {L"C:\\path", &lookups.environment, {{L"PATH", L"C:\\windows;C:\\path\\bin"}}},
    };
    for (const Source& source : sources) {
        lookups.Install(source.home);
        for (const auto& entry : source.entries) {
            (*source.values)[entry.first] = entry.second;
        }
    }
    // Taken away one by one, highest first: the next one takes over each time.
    for (const Source& source : sources) {
        EXPECT_EQ(source.home, Found(lookups));
        for (const auto& entry : source.entries) {
            source.values->erase(entry.first);
        }
    }
    EXPECT_EQ(L"<none>", Found(lookups));
}

TEST(JavaDiscovery, AHomeWithoutItsJavaExeIsPassedOver) {
    FakeLookups lookups;
    lookups.environment[L"JAVA_HOME"] = L"C:\\uninstalled";
    lookups.registry64[Jre + L"|CurrentVersion"] = L"1.8";
    lookups.registry64[Jre + L"\\1.8|JavaHome"] = L"C:\\left\\behind";
    lookups.files.insert(L"C:\\left\\behind\\java.exe");  // not in bin: no runtime there
    lookups.registry32[Jre + L"\\1.7|JavaHome"] = lookups.Install(L"C:\\Program Files (x86)\\Java\\jre7");
    EXPECT_EQ(L"C:\\Program Files (x86)\\Java\\jre7", Found(lookups));

    // Quotes and a trailing backslash in JAVA_HOME are forgiven.
    lookups.environment[L"JAVA_HOME"] = L"\"" + lookups.Install(L"C:\\Java Home") + L"\\\"";
    JavaDiscovery discovery(lookups);
    ASSERT_TRUE(discovery.Discover());
    EXPECT_EQ(L"C:\\Java Home", discovery.GetHome());
    EXPECT_EQ(L"C:\\Java Home\\bin\\java.exe", discovery.GetJavaExe());
}

TEST(JavaDiscovery, JavaOnPathIsTheFirstFolderThatHoldsIt) {
    FakeLookups lookups;
    lookups.environment[L"PATH"] =
        L";C:\\Windows\\system32;\"C:\\Program Files\\Common Files\\Oracle\\Java\\javapath\";C:\\jdk\\bin\\";
    lookups.files.insert(L"C:\\jdk\\bin\\java.exe");
    JavaDiscovery discovery(lookups);
    ASSERT_TRUE(discovery.Discover());
    EXPECT_EQ(L"C:\\jdk", discovery.GetHome());  // a runtime's own bin folder: its home is above
    EXPECT_EQ(L"C:\\jdk\\bin\\java.exe", discovery.GetJavaExe());

    // A folder of links to the runtime, as some installers put on PATH, is used as it is.
    lookups.files.insert(L"C:\\Program Files\\Common Files\\Oracle\\Java\\javapath\\java.exe");
    ASSERT_TRUE(discovery.Discover());
    EXPECT_EQ(L"C:\\Program Files\\Common Files\\Oracle\\Java\\javapath\\java.exe", discovery.GetJavaExe());
    EXPECT_EQ(L"C:\\Program Files\\Common Files\\Oracle\\Java\\javapath", discovery.GetHome());

    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b c", L"d"}), JavaDiscovery::PathFolders(L"a;;\"b c\"\\;d;"));
}

}  // namespace
