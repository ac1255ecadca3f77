#pragma once

#include <functional>
#include <string>

#include "common/ServerSettings.h"
#include "xml/IXMLElement.h"

// Reads and writes the server elements of a "process" element: "environment",
// "environmentFile", "stop", "log", "after" and "ready". Element names match in any letter case,
// keywords and numbers too (blanks around them ignored). Free of Windows, tested natively.
class ServerSettingsXml {
public:
    // Makes a new element, attached nowhere, with name and value copied.
    using ElementFactory = std::function<xml::IXMLElement*(const wchar_t* name, const wchar_t* value)>;

    // Fills settings from the children of process. Returns the problems found, one line each
    // ("" when there are none); a value in error leaves its field at its default.
    static std::wstring Read(xml::IXMLElement* process, ServerSettings& settings);
    // Appends to process the elements of what is set, in the order Read takes them.
    static void Write(const ServerSettings& settings, xml::IXMLElement* process, const ElementFactory& create);

    // A whole number without sign in [0, most] (blanks around it ignored); false otherwise.
    static bool ParseNumber(const std::wstring& text, uint64_t most, uint64_t& number);
    // "true" or "false" in any letter case (blanks around it ignored); false otherwise.
    static bool ParseFlag(const std::wstring& text, bool& flag);
};
