#include "text.h"

#include <windows.h>

namespace pellora {

Text& Text::operator<<(const wchar_t* text) {
    for (; text && *text && length_ + 1 < kCapacity; ++text) text_[length_++] = *text;
    text_[length_] = L'\0';
    return *this;
}

Text& Text::operator<<(unsigned long number) {
    wchar_t digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    } while (number);
    wchar_t text[12];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    text[n] = L'\0';
    return *this << text;
}

Text& Text::operator<<(long number) {
    if (number >= 0) return *this << static_cast<unsigned long>(number);
    *this << L"-";
    return *this << (0UL - static_cast<unsigned long>(number));
}

Text& Text::utf8(const char* text) {
    if (!text || !*text || length_ + 1 >= kCapacity) return *this;
    const int room = static_cast<int>(kCapacity - length_);
    const int written = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, text_ + length_, room);
    if (written > 0) {
        length_ += static_cast<std::size_t>(written - 1);  // not the terminator
    } else {
        // Too long for what is left, or not UTF-8: say so rather than show part of it.
        text_[length_] = L'\0';
        *this << L"?";
    }
    return *this;
}

}  // namespace pellora
