#include "text.h"

#include <windows.h>

namespace pellora {

std::wstring widen(const char* utf8) {
    if (!utf8 || !*utf8) return {};
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &wide[0], length);
    wide.resize(static_cast<std::size_t>(length - 1));  // drop the terminator
    return wide;
}

std::wstring widen(const std::string& utf8) { return widen(utf8.c_str()); }

}  // namespace pellora
