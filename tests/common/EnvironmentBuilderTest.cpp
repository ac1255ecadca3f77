#include "common/EnvironmentBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/EnvironmentBlock.h"
#include "common/EnvironmentFile.h"

namespace {

using Origin = EnvironmentBuilder::Origin;

EnvironmentBuilder Inherited(std::initializer_list<const wchar_t*> entries) {
    EnvironmentBuilder builder;
    for (const wchar_t* entry : entries) {
        builder.Inherit(entry);
    }
    return builder;
}

TEST(EnvironmentBuilder, LaterSettingsWinWithoutLetterCaseAndKeepTheFirstSpellingAndPlace) {
    EnvironmentBuilder builder = Inherited({L"Path=C:\\bin", L"TEMP=C:\\t", L"=C:=C:\\dir", L"NOEQUALS", L"A=b=c"});
    builder.Set(L"PATH", L"D:\\bin", Origin::File);
    builder.Set(L"new", L"", Origin::Configured);  // an empty value is still set
    builder.Remove(L"temp");
    builder.Remove(L"absent");
    EnvironmentBlock block;
    ASSERT_TRUE(builder.Fill(block));
    const std::vector<std::wstring> expected = {L"Path=D:\\bin", L"=C:=C:\\dir", L"A=b=c", L"new="};
    EXPECT_EQ(expected, block.Entries());
    ASSERT_NE(nullptr, builder.Find(L"a"));
    EXPECT_EQ(L"b=c", *builder.Find(L"a"));  // split at the first "="
    EXPECT_EQ(nullptr, builder.Find(L"TEMP"));
}

TEST(EnvironmentBuilder, ExpansionUsesWhatIsBuiltSoFarAndLeavesUnknownReferences) {
    EnvironmentBuilder builder = Inherited({L"PATH=C:\\bin", L"HOME=C:\\u"});
    builder.SetExpanded(L"Path", L"%PATH%;C:\\tools", Origin::Configured);
    builder.SetExpanded(L"LATER", L"%EARLY%", Origin::Configured);  // not yet set: stays
    builder.SetExpanded(L"EARLY", L"x", Origin::Configured);
    EXPECT_EQ(L"C:\\bin;C:\\tools", *builder.Find(L"PATH"));
    EXPECT_EQ(L"%EARLY%", *builder.Find(L"LATER"));
    struct Case {
        const wchar_t* text;
        const wchar_t* expanded;
    };
    const Case cases[] = {
        {L"%home%\\a", L"C:\\u\\a"},
        {L"100%", L"100%"},
        {L"%%", L"%%"},
        {L"%NOPE%;%HOME%", L"%NOPE%;C:\\u"},
        {L"%NOPE%HOME%", L"%NOPEC:\\u"},
        {L"a%HOME", L"a%HOME"},
        {L"%early%%early%", L"xx"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expanded, builder.Expand(c.text)) << c.text;
    }
}

TEST(EnvironmentBuilder, ValuesPastTheLimitAndAFullBlockAreRefused) {
    EnvironmentBuilder builder;
    builder.Set(L"LONG", std::wstring(EnvironmentBuilder::LongestValue, L'x'), Origin::Configured);
    EXPECT_EQ(L"", builder.CheckLimits());
    builder.Set(L"long", std::wstring(EnvironmentBuilder::LongestValue + 1, L'x'), Origin::Configured);
    EXPECT_EQ(L"the value of LONG has 32768 characters, more than the 32767 a variable may have.",
              builder.CheckLimits());

    EnvironmentBuilder many;
    for (int i = 0; i < 5; ++i) {
        many.Set(L"V" + std::to_wstring(i), std::wstring(30000, L'y'), Origin::Configured);
    }
    EXPECT_EQ(L"", many.CheckLimits());
    EnvironmentBlock block;
    EXPECT_FALSE(many.Fill(block));  // 150,000 units do not fit in 131,072
}

TEST(EnvironmentBuilder, SecretsAreMaskedByNameByOriginAndWhenExpandedIntoAnotherValue) {
    EnvironmentBuilder builder = Inherited({L"API_Key=k1", L"PLAIN=p", L"db_password=pw"});
    builder.Set(L"FROMFILE", L"f", Origin::File);
    builder.Set(L"MyToken", L"t", Origin::Configured);
    builder.SetExpanded(L"DSN", L"user:%DB_PASSWORD%@host", Origin::Configured);
    builder.SetExpanded(L"COPY", L"%PLAIN%", Origin::Configured);
    builder.Set(L"PLAIN", L"again", Origin::File);  // a later file value hides it too
    const std::vector<std::wstring> expected = {
        L"API_Key=****", L"PLAIN=****", L"db_password=****", L"FROMFILE=****", L"MyToken=****", L"DSN=****", L"COPY=p"};
    EXPECT_EQ(expected, builder.ShownLines());
    EXPECT_TRUE(EnvironmentBuilder::HasSecretName(L"client_secret"));
    EXPECT_FALSE(EnvironmentBuilder::HasSecretName(L"KE_Y"));
}

std::wstring Describe(const std::vector<EnvironmentFile::Entry>& entries) {
    std::wstring out;
    for (const EnvironmentFile::Entry& e : entries) {
        out += e.name + L"=[" + e.value + (e.quoted ? L"]q " : L"] ");
    }
    return out;
}

TEST(EnvironmentFile, CommentsBlanksQuotesAndTheFirstEquals) {
    std::vector<EnvironmentFile::Entry> entries;
    std::wstring problem;
    const std::string text =
        "\xEF\xBB\xBF# settings\r\n"
        "\r\n"
        "  NAME = value with blanks  \r\n"
        "URL=a=b\n"
        "   # indented comment\n"
        "Q=\" kept %PATH% \"\n"
        "S='single'\n"
        "ONE=\"\n"
        "EMPTY=\n"
        "MIXED=\"a'\n"
        "CAF\xC3\x89=\xE2\x82\xAC";
    ASSERT_TRUE(EnvironmentFile::Parse(text, entries, problem)) << problem;
    EXPECT_EQ(
        L"NAME=[value with blanks] URL=[a=b] Q=[ kept %PATH% ]q S=[single]q ONE=[\"] EMPTY=[] MIXED=[\"a'] "
        L"CAF\u00C9=[\u20AC] ",
        Describe(entries));
}

TEST(EnvironmentFile, ABadLineOrTextThatIsNotUtf8IsNamed) {
    std::vector<EnvironmentFile::Entry> entries;
    std::wstring problem;
    EXPECT_FALSE(EnvironmentFile::Parse("A=1\n# c\njust words\n", entries, problem));
    EXPECT_EQ(L"line 3: no \"=\" in it.", problem);
    EXPECT_FALSE(EnvironmentFile::Parse("A=1\r\n =2\r\n", entries, problem));
    EXPECT_EQ(L"line 2: no name before its \"=\".", problem);
    EXPECT_FALSE(EnvironmentFile::Parse("A=\xFF\xFE\n", entries, problem));
    EXPECT_EQ(L"the file is not UTF-8 text.", problem);
    EXPECT_TRUE(EnvironmentFile::Parse("", entries, problem));
    EXPECT_TRUE(entries.empty());
}

}  // namespace
