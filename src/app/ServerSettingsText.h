#pragma once

#include <string>
#include <vector>

#include "common/ServerSettings.h"

// The server settings of an entry as the settings window's fields hold them, and the way back.
// A field whose text is still the one shown keeps the settings behind it exactly as they were
// read, a value the file held in error included; a changed field is read afresh, and a field left
// empty drops its element. Free of Windows, tested natively.
class ServerSettingsText {
public:
    // The texts of the fields, in the order the window shows them.
    struct Fields {
        std::wstring environment;  // NAME=value and -NAME lines, "\r\n" between them
        std::wstring environmentFile;
        std::wstring stopExecutable;
        std::wstring stopArguments;
        StopSettings::Console console = StopSettings::Console::None;
        bool window = false;  // WM_CLOSE to the run's windows
        std::wstring timeout;
        std::wstring logFile;
        std::wstring maxBytes;
        std::wstring backups;
        std::wstring after;
        std::wstring ready;
    };

    // The texts that show settings.
    static Fields Show(const ServerSettings& settings);
    // Settings from the texts, starting from base, the settings the texts were shown from.
    // False, settings untouched and problem naming the field and what is wrong with it, for a
    // value that cannot be read.
    static bool Read(const Fields& fields, const ServerSettings& base, ServerSettings& settings, std::wstring& problem);

    // One line per change: "NAME=value", or "-NAME" for a removal. A value with blanks or a
    // quote at either end stands in double quotes, so that reading it back keeps it whole.
    static std::wstring FormatEnvironment(const std::vector<EnvironmentSettings::Change>& changes);
    // The lines of text: blank lines are skipped; a line with "=" sets the name before its first
    // "=" (blanks around name and value go, one pair of quotes around the value is stripped);
    // "-NAME" removes. False, with problem naming the line by its number, for anything else.
    static bool ParseEnvironment(const std::wstring& text,
                                 std::vector<EnvironmentSettings::Change>& changes,
                                 std::wstring& problem);

private:
    static bool ReadEnvironment(const Fields& fields,
                                const Fields& shown,
                                ServerSettings& settings,
                                std::wstring& problem);
    static bool ReadStop(const Fields& fields, const Fields& shown, ServerSettings& settings, std::wstring& problem);
    static bool ReadLog(const Fields& fields, const Fields& shown, ServerSettings& settings, std::wstring& problem);
    static bool ReadOrder(const Fields& fields, const Fields& shown, ServerSettings& settings, std::wstring& problem);
    // The value name of parent that the file held in error: dropped once its field is changed.
    static void DropUnread(ServerSettings& settings, const wchar_t* parent, const std::wstring& name);
    // Its text as it stood; "" for none.
    static std::wstring UnreadText(const ServerSettings& settings, const wchar_t* parent, const wchar_t* name);
};
