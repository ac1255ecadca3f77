#include "util/TextFile.h"

#include <string>

#include "util/Exception.h"
#include "util/TextCodec.h"

namespace util {

TextFile::TextFile(const wchar_t* path) : File(path, L"TextFile") {}

TextFile::~TextFile() = default;

void TextFile::WriteLine(const wchar_t* text) {
    if (!IsOpen()) {
        throw new Exception(L"TextFile::WriteLine()\nFile is not open or invalid.");
    }
    SetPointerToEnd();
    std::wstring line(text ? text : L"");
    line += L"\r\n";
    std::string bytes = TextCodec::Encode(line.data(), line.size(), encoding);
    Write(bytes.data(), static_cast<DWORD>(bytes.size()));
}

}  // namespace util
