#include "xml/rapidxml/RapidXMLTree.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/ThrownMessage.h"
#include "xml/rapidxml/NestingDepth.h"
#include "xml/rapidxml/RapidXMLElement.h"

using xml::IXMLElement;
using xml::IXMLNode;
using xml::rapidxml::NestingDepth;
using xml::rapidxml::RapidXMLTree;

namespace {

std::wstring ParseError(RapidXMLTree& tree, const wchar_t* text) {
    return testsupport::ThrownMessage([&] { tree.Parse(text); });
}

std::wstring Printed(RapidXMLTree& tree) {
    String text;
    tree.ToString(text);
    return text.GetBuffer();
}

const wchar_t kParsed[] = L"<no exception>";
const wchar_t kParseError[] = L"RapidXMLDocument::Parse()\nError while parsing XML document.";

TEST(RapidXMLTreeParse, MalformedTextIsRefusedAndNoElementMeansNoRoot) {
    RapidXMLTree tree;
    EXPECT_EQ(L"RapidXMLDocument::Parse()\nDocument content is null", ParseError(tree, nullptr));
    const wchar_t* malformed[] = {
        L"<a>", L"<a><b></a", L"<a b=c/>", L"<", L"<a>&bogus;</a>\x01<", L"<!-- open",
        // references: upper-case X, no semicolon
        L"<r>&#X41;</r>", L"<r>&#xE9</r>"};
    for (const wchar_t* text : malformed) {
        tree.Parse(L"<stale/>");
        EXPECT_EQ(kParseError, ParseError(tree, text)) << text;
        EXPECT_EQ(nullptr, tree.GetRootElement()) << text;
    }
    for (const wchar_t* text : {L"", L"  \r\n <!-- only a comment -->"}) {
        tree.Parse(L"<stale/>");
        EXPECT_EQ(kParsed, ParseError(tree, text)) << text;
        EXPECT_EQ(nullptr, tree.GetRootElement()) << text;
    }
}

TEST(RapidXMLTreeParse, RootIsTheLastTopLevelElementAndPrintingKeepsDeclarationAndDoctype) {
    RapidXMLTree tree;
    tree.Parse(L"<?xml version=\"1.0\"?>\r\n<first/><second><x/></second>");
    ASSERT_NE(nullptr, tree.GetRootElement());
    EXPECT_STREQ(L"second", tree.GetRootElement()->GetTagName());
    EXPECT_TRUE(tree.GetElementsByTagName(L"first").empty());  // only under the root
    EXPECT_EQ(1u, tree.GetElementsByTagName(L"x").size());
    tree.Parse(L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE r>\n<r><!-- gone --><a>v</a><![CDATA[x]]></r>");
    EXPECT_EQ(L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!DOCTYPE r>\r\n<r>\r\n\t<a>v</a>\r\n</r>\r\n",
              Printed(tree));
}

TEST(RapidXMLTreeParse, ValuesKeepBlanksAndExpandEntities) {
    RapidXMLTree tree;
    tree.Parse(L"\xFEFF<r><v> a word </v><e>a &amp; b &lt;c&gt; &#x41;</e><w>   </w><n/></r>");
    auto* root = tree.GetRootElement();
    std::vector<IXMLNode*>& children = root->GetChildNodes();
    ASSERT_EQ(4u, children.size());
    EXPECT_STREQ(L" a word ", children[0]->GetValue());
    EXPECT_STREQ(L"a & b <c> A", children[1]->GetText());
    EXPECT_STREQ(L"", children[2]->GetValue());
    EXPECT_STREQ(L"", children[3]->GetValue());
    EXPECT_STREQ(L"", root->GetValue());
}

// Characters whose low byte is markup: U+4E00 (0x00), U+263C ('<'), U+4E26 ('&'), U+4E09 (tab).
TEST(RapidXMLTreeParse, WideCharactersAreNeverTakenForMarkup) {
    RapidXMLTree tree;
    const std::wstring text = L"\u4E00\u263C\u4E26 \u4E09\U0001F600";
    tree.Parse((L"<r\u4E00><v>" + text + L"</v><\u4E26/></r\u4E00>").c_str());
    ASSERT_NE(nullptr, tree.GetRootElement());
    EXPECT_EQ(L"r\u4E00", std::wstring(tree.GetRootElement()->GetTagName()));
    std::vector<IXMLNode*>& children = tree.GetRootElement()->GetChildNodes();
    ASSERT_EQ(2u, children.size());
    EXPECT_EQ(text, children[0]->GetValue());
    EXPECT_EQ(1u, tree.GetElementsByTagName(L"\u4E26").size());
    EXPECT_EQ(L"<r\u4E00>\r\n\t<v>" + text + L"</v>\r\n\t<\u4E26/>\r\n</r\u4E00>\r\n", Printed(tree));
    IXMLElement* created = tree.CreateElement(L"t", text.c_str());
    EXPECT_EQ(text, created->GetValue());
}

// References beyond ASCII read as their characters; one to no character (a surrogate, zero,
// beyond U+10FFFF, beyond any integer) reads as U+FFFD, in values and attributes alike, and never
// wraps around or cuts the printed text short.
TEST(RapidXMLTreeParse, CharacterReferencesBeyondAsciiBecomeTheirCharacters) {
    RapidXMLTree tree;
    tree.Parse(L"<r><v>caf&#233; &#x65E5;&#x1F600; &#60;b&#x3E; &#xD800;</v></r>");
    std::vector<IXMLNode*>& children = tree.GetRootElement()->GetChildNodes();
    EXPECT_STREQ(L"caf\u00E9 \u65E5\U0001F600 <b> \uFFFD", children[0]->GetValue());
    EXPECT_EQ(L"<r>\r\n\t<v>caf\u00E9 \u65E5\U0001F600 &lt;b&gt; \uFFFD</v>\r\n</r>\r\n", Printed(tree));
    const wchar_t* noCharacter[] = {L"&#0;", L"&#x0;", L"&#;", L"&#x;", L"&#x110000;", L"&#x100000041;",
                                    L"&#x10000D800;", L"&#99999999999999999999;"};
    for (const wchar_t* reference : noCharacter) {
        std::wstring text = std::wstring(L"<r a=\"") + reference + L"\"><v>\u00E9" + reference + L"</v></r>";
        tree.Parse(text.c_str());
        EXPECT_EQ(L"<r a=\"\uFFFD\">\r\n\t<v>\u00E9\uFFFD</v>\r\n</r>\r\n", Printed(tree)) << reference;
    }
}

TEST(RapidXMLTreeElements, ByTagNameIsCaseSensitiveAndInDocumentOrder) {
    RapidXMLTree tree;
    tree.Parse(L"<process><process><t>1</t></process><Process/><x><process><t>2</t></process></x></process>");
    std::vector<IXMLElement*> found = tree.GetElementsByTagName(L"process");
    ASSERT_EQ(3u, found.size());
    EXPECT_EQ(tree.GetRootElement(), found[0]);  // the root itself, before its descendants
    EXPECT_STREQ(L"1", static_cast<IXMLElement*>(found[1]->GetChildNodes()[0])->GetValue());
    EXPECT_STREQ(L"2", static_cast<IXMLElement*>(found[2]->GetChildNodes()[0])->GetValue());
    EXPECT_EQ(1u, tree.GetElementsByTagName(L"Process").size());
    EXPECT_TRUE(tree.GetElementsByTagName(nullptr).empty());
    // The same node always comes back as the same wrapper, owned by the tree.
    EXPECT_EQ(found, tree.GetElementsByTagName(L"process"));
}

TEST(RapidXMLTreeElements, SiblingsSkipNothingAndStopAtTheEnds) {
    RapidXMLTree tree;
    tree.Parse(L"<?xml version=\"1.0\"?><r><a/><!-- c --><b/></r>");
    EXPECT_EQ(nullptr, tree.GetRootElement()->GetPreviousSibling());  // the declaration is no element
    IXMLNode* a = tree.GetRootElement()->GetChildNodes()[0];
    IXMLNode* b = a->GetNextSibling();
    ASSERT_NE(nullptr, b);
    EXPECT_STREQ(L"b", static_cast<IXMLElement*>(b)->GetTagName());
    EXPECT_EQ(a, b->GetPreviousSibling());
    EXPECT_EQ(nullptr, b->GetNextSibling());
    EXPECT_EQ(nullptr, a->GetPreviousSibling());
    tree.GetRootElement()->RemoveAllChildNodes();
    EXPECT_EQ(nullptr, a->GetNextSibling());  // a detached node keeps a stale link to b
}

TEST(RapidXMLTreeBuild, CreatedElementsAreCopiedAttachedAndRemoved) {
    RapidXMLTree tree;
    tree.Parse(L"<processes><old>1</old><process/></processes>");
    auto* root = tree.GetRootElement();
    root->RemoveAllChildNodes();  // the printed tree below holds none of the old children
    std::wstring name = L"process";
    std::wstring value = L"a & <b>";
    IXMLElement* process = tree.CreateElement(name.c_str(), nullptr);
    IXMLElement* title = tree.CreateElement(L"title", value.c_str());
    name = L"changed";  // the tree keeps its own copies
    value = L"changed";
    process->AddChildNode(title);
    root->AddChildNode(process);
    EXPECT_EQ(L"<processes>\r\n\t<process>\r\n\t\t<title>a &amp; &lt;b&gt;</title>\r\n\t</process>\r\n</processes>\r\n",
              Printed(tree));
    EXPECT_EQ(6u, title->SetValue(L"x\r\ny\nz"));
    EXPECT_EQ(L"<processes>\r\n\t<process>\r\n\t\t<title>x\r\ny\r\nz</title>\r\n\t</process>\r\n</processes>\r\n",
              Printed(tree));
}

std::wstring AddError(IXMLNode* parent, IXMLNode* child) {
    return testsupport::ThrownMessage([&] { parent->AddChildNode(child); });
}

TEST(RapidXMLTreeBuild, AddChildNodeMovesAndRefusesCycles) {
    RapidXMLTree tree;
    tree.Parse(L"<r><a><b/></a><c/></r>");
    auto* root = tree.GetRootElement();
    IXMLNode* a = root->GetChildNodes()[0];
    IXMLNode* b = a->GetChildNodes()[0];
    IXMLNode* c = root->GetChildNodes()[1];
    c->AddChildNode(b);  // moved, as a DOM append does
    EXPECT_FALSE(a->HasChildNodes());
    EXPECT_EQ(b, c->GetChildNodes()[0]);
    const std::pair<IXMLNode*, IXMLNode*> cyclic[] = {{b, b}, {b, c}, {b, root}};
    for (const auto& pair : cyclic) {
        EXPECT_EQ(L"RapidXMLElement::AddChildNode()\nA node cannot become its own descendant.",
                  AddError(pair.first, pair.second));
    }
    RapidXMLTree other;
    other.Parse(L"<o/>");
    EXPECT_NE(kParsed, AddError(root, other.GetRootElement())) << "a node of another tree was accepted";
    EXPECT_EQ(L"RapidXMLElement::AddChildNode()\nAdding non element nodes not supported.", AddError(root, nullptr));
    EXPECT_EQ(L"<r>\r\n\t<a/>\r\n\t<c>\r\n\t\t<b/>\r\n\t</c>\r\n</r>\r\n", Printed(tree));
}

// open depth times, then close depth times; wide text unless asked for bytes.
template <typename Text = std::wstring>
Text Nested(size_t depth, const typename Text::value_type* open, const typename Text::value_type* close = nullptr) {
    Text text;
    for (size_t i = 0; i < depth; ++i) {
        text += open;
    }
    for (size_t i = 0; close && i < depth; ++i) {
        text += close;
    }
    return text;
}

TEST(RapidXMLTreeNesting, DeepDocumentsAreRefusedNotOverflowed) {
    RapidXMLTree tree;
    EXPECT_EQ(kParsed, ParseError(tree, Nested(NestingDepth::kLimit, L"<a x='>'>", L"</a>").c_str()));
    EXPECT_EQ(kParseError, ParseError(tree, Nested(NestingDepth::kLimit + 1, L"<a>", L"</a>").c_str()));
    // Names may hold quotes and '=' for the parser; such a name must not hide the deep part.
    const wchar_t* starts[] = {L"", L"<a\">", L"<a=\">", L"<r></a\">", L"<r a\"=''>", L"<?xml a\"='?>'?>"};
    for (const wchar_t* start : starts) {
        EXPECT_EQ(kParseError, ParseError(tree, (start + Nested(200000, L"<b>")).c_str())) << start;
    }
}

TEST(RapidXMLTreeNesting, MarkupThatHidesClosingTagsDoesNotFoolTheScan) {
    // Each opens one element, some behind text that looks like a closing tag or a quoted value.
    const char* hiding[] = {
        "<a x=\"</a>\">", "<?xml v=\"?></a>\"?><a>", "<!DOCTYPE d [ </a> ]><a>", "<!-- </a> --><a>",
        "<![CDATA[</a>]]><a>", "<a\">", "<a=\">", "<a\"=''>"};
    for (const char* open : hiding) {
        std::string text = "<r>" + Nested<std::string>(NestingDepth::kLimit, open) + "</r>";
        EXPECT_TRUE(NestingDepth::Exceeds(text.c_str())) << open;
    }
    EXPECT_FALSE(NestingDepth::Exceeds(Nested<std::string>(10, "<a/><b>", "</b>").c_str()));
    EXPECT_FALSE(NestingDepth::Exceeds("<?pi \"?><a></a>"));
}

}  // namespace
