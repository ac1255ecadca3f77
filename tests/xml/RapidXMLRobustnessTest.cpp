#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include "support/Mutator.h"
#include "util/Exception.h"
#include "util/TextCodec.h"
#include "xml/rapidxml/RapidXMLElement.h"
#include "xml/rapidxml/RapidXMLTree.h"

namespace {

// Decoding and parsing run free of Windows, so this runs natively under the sanitizers too: every
// damaged file decodes, then parses or is refused with the program's exception.
TEST(RapidXMLRobustness, DamagedFilesDecodeAndParseOrFailCleanly) {
    testsupport::Mutator mutator(20260612u);
    int parsed = 0;
    int refused = 0;
    for (int i = 0; i < 5000; ++i) {
        std::string bytes = mutator.Mutate(testsupport::Mutator::kValidConfiguration);
        util::Encoding detected = util::TextCodec::Classify(reinterpret_cast<const unsigned char*>(bytes.data()),
                                                            bytes.size() < 4 ? bytes.size() : 4);
        std::wstring text;
        util::TextCodec::Decode(bytes.data(), bytes.size(), detected, text);
        xml::rapidxml::RapidXMLTree tree;
        bool loaded = false;
        try {
            tree.Parse(text.c_str());
            loaded = true;
            tree.GetElementsByTagName(L"process");
            // What is saved must load again as the same document.
            String printed;
            tree.ToString(printed);
            xml::rapidxml::RapidXMLTree again;
            again.Parse(printed.GetBuffer());
            String reprinted;
            again.ToString(reprinted);
            EXPECT_EQ(std::wstring(printed.GetBuffer()), reprinted.GetBuffer()) << "file " << i;
            ++parsed;
        } catch (Exception* e) {
            EXPECT_FALSE(loaded) << "file " << i << ": the saved text does not load again";
            delete e;
            ++refused;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "file " << i << ": foreign exception " << e.what();
        }
    }
    EXPECT_GT(parsed, 100);
    EXPECT_GT(refused, 100);
}

}  // namespace
