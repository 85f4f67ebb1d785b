// Short wide texts in fixed buffers: the captions widened from the UTF-8 of
// the tables, and the one-line error messages. No heap and no standard
// strings, so Pellora.exe links none of their (exception-throwing) code.
#pragma once

#include <cstddef>

namespace pellora {

class Text {
public:
    Text() = default;
    explicit Text(const wchar_t* text) { *this << text; }

    Text& operator<<(const wchar_t* text);
    Text& operator<<(long number);
    Text& operator<<(int number) { return *this << static_cast<long>(number); }
    Text& operator<<(unsigned long number);
    // UTF-8 (as the layout and tally tables hold their text).
    Text& utf8(const char* text);

    const wchar_t* c_str() const { return text_; }
    bool empty() const { return length_ == 0; }

private:
    // Longer texts are cut short; the end is always a terminator.
    static constexpr std::size_t kCapacity = 320;
    wchar_t text_[kCapacity] = {};
    std::size_t length_ = 0;
};

}  // namespace pellora
