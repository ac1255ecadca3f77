#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace testsupport {

// Damages a valid file in reproducible ways for robustness tests: the same seed gives the same
// files on every platform (mt19937 is fully specified; no library distributions are used).
class Mutator {
public:
    // A configuration with a declaration, a DOCTYPE, references, a comment, CDATA and both kinds
    // of entry: the base that the damages start from.
    static constexpr const char* kValidConfiguration =
        "<?xml version=\"1.0\"?>\r\n<!DOCTYPE processes>\r\n<processes>\r\n"
        "\t<process><title>a &amp; b</title><executable>x.exe</executable><!-- c --></process>\r\n"
        "\t<process><title>caf\xC3\xA9</title><startupclassname>M</startupclassname>"
        "<classpath><![CDATA[c.jar]]></classpath><start>false</start></process>\r\n</processes>\r\n";

    explicit Mutator(std::uint32_t seed) : random(seed) {}

    // A copy of original with one to four damages applied.
    std::string Mutate(const std::string& original) {
        std::string bytes = original;
        int damages = 1 + static_cast<int>(Below(4));
        for (int i = 0; i < damages; ++i) {
            Damage(bytes);
        }
        return bytes;
    }

private:
    std::uint32_t Below(std::uint32_t bound) { return bound ? static_cast<std::uint32_t>(random() % bound) : 0; }
    size_t Position(const std::string& bytes) { return Below(static_cast<std::uint32_t>(bytes.size() + 1)); }

    void Damage(std::string& bytes) {
        static const char* const fragments[] = {
            "<", ">", "</", "/>", "<process>", "</process>", "<executable>", "<startupclassname>", "&amp;",
            "&", "&#", "&#x110000;", "<!--", "-->", "<![CDATA[", "]]>", "<?xml version=\"1.0\"?>", "\"",
            "<!DOCTYPE x [", "]>", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "" /* a zero byte */, "\xC3",
        };
        switch (Below(8)) {
            case 0:  // flip one byte
                if (!bytes.empty()) {
                    bytes[Position(bytes) % bytes.size()] ^= static_cast<char>(1 + Below(255));
                }
                break;
            case 1:  // cut the file short
                bytes.resize(Position(bytes));
                break;
            case 2: {  // remove a range
                size_t at = Position(bytes);
                bytes.erase(at, Below(32));
                break;
            }
            case 3: {  // insert markup fragments
                const char* fragment = fragments[Below(sizeof(fragments) / sizeof(fragments[0]))];
                bytes.insert(Position(bytes), fragment[0] ? fragment : std::string(1, '\0'));
                break;
            }
            case 4: {  // binary junk
                std::string junk;
                for (std::uint32_t n = 1 + Below(64); n > 0; --n) {
                    junk += static_cast<char>(Below(256));
                }
                bytes.insert(Position(bytes), junk);
                break;
            }
            case 5: {  // duplicate a range
                size_t at = Position(bytes);
                bytes.insert(Position(bytes), bytes.substr(at, Below(200)));
                break;
            }
            case 6: {  // nesting deep enough to overflow a 1 MB stack, some behind names holding quotes
                static const char* const starts[] = {"", "<a\">", "<a=\">", "</a\">", "<a b\"='x'>"};
                static const char* const opens[] = {"<process>", "<b>", "<c\">", "<d=\">"};
                std::string deep = starts[Below(5)];
                const char* open = opens[Below(4)];
                for (std::uint32_t n = 20000 + Below(4000); n > 0; --n) {
                    deep += open;
                }
                bytes.insert(Position(bytes), deep);
                break;
            }
            default:  // a different encoding: UTF-16 of the whole file, with or without a mark
                bytes = Widen(bytes, Below(2) == 0, Below(2) == 0);
                break;
        }
    }

    static std::string Widen(const std::string& bytes, bool bigEndian, bool mark) {
        std::string wide = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (char c : bytes) {
            wide += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
        }
        return wide;
    }

    std::mt19937 random;
};

}  // namespace testsupport
