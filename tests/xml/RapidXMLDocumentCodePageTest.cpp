#include "xml/rapidxml/RapidXMLDocument.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/ScratchDirectory.h"
#include "xml/IXMLElement.h"

using testsupport::ScratchDirectory;

namespace {

// Runs with the ANSI code page 932: 8-bit text that is not UTF-8 is read in the system's code
// page (here Shift-JIS), and saved as UTF-8 so that it reads back the same.
TEST(RapidXMLDocumentCodePage, TextThatIsNotUtf8IsReadInTheSystemCodePage) {
    ASSERT_EQ(932u, GetACP());
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"sjis.xml", "<r><t>\x93\xFA\x96\x7B</t></r>");
    xml::rapidxml::RapidXMLDocument document;
    document.Load(path.c_str());
    auto* title = static_cast<xml::IXMLElement*>(document.GetRootElement()->GetChildNodes()[0]);
    EXPECT_STREQ(L"\u65E5\u672C", title->GetValue());
    document.Save(nullptr);
    EXPECT_EQ("<r>\r\n\t<t>\xE6\x97\xA5\xE6\x9C\xAC</t>\r\n</r>\r\n\r\n", ScratchDirectory::Read(path));
}

}  // namespace
