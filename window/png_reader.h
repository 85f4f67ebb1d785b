// Reads the card pictures' PNG files without any platform image library, so
// the Windows program needs neither COM nor WIC to start. Reads grey and
// palette pictures at 1, 2, 4 or 8 bits and 8-bit RGB and RGBA; not
// interlaced. Hostile input gives an error, never a read or write out of bounds.
//
// It keeps clear of the standard containers and strings: they would bring the
// C++ exception machinery into Pellora.exe, about half of its code. Memory
// comes from malloc, and running short of it is one more error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace pellora {

// Wider or taller pictures are refused: the largest card is far smaller, and
// the cap keeps a forged header from asking for gigabytes.
constexpr int kPngMaxSide = 1024;

// A block of bytes on the heap that only moves, never copies.
class ByteBuffer {
public:
    ByteBuffer() = default;
    ~ByteBuffer();
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Makes room for `size` bytes (those past the old size are zero); false,
    // and nothing changed, when memory is short.
    bool resize(std::size_t size);
    // Adds `count` bytes at the end; false, and nothing changed, when memory is short.
    bool append(const std::uint8_t* bytes, std::size_t count);
    void clear();

    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::uint8_t operator[](std::size_t i) const { return data_[i]; }

private:
    bool reserve(std::size_t capacity);

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// What is wrong with a file, as a short sentence; empty when nothing is.
// Long sentences are cut short, never written past the end.
class PngProblem {
public:
    PngProblem() = default;
    // Implicit, so the reader's many checks read `return "why";`.
    // cppcheck-suppress noExplicitConstructor
    PngProblem(const char* text) { *this << text; }  // NOLINT(google-explicit-constructor)

    bool empty() const { return length_ == 0; }
    const char* text() const { return text_; }

    PngProblem& operator<<(const char* text);
    template <typename Integer, typename = std::enable_if_t<std::is_integral_v<Integer>>>
    PngProblem& operator<<(Integer number) {
        return appendNumber(static_cast<long long>(number));
    }

private:
    PngProblem& appendNumber(long long number);

    static constexpr std::size_t kCapacity = 120;
    char text_[kCapacity] = {};
    std::size_t length_ = 0;
};

struct PngImage {
    int width = 0;
    int height = 0;
    // Top-down rows of straight (not premultiplied) R, G, B, A bytes;
    // A is 255 for pictures without alpha.
    ByteBuffer rgba;
};

// Decodes `size` bytes at `data` into `image`. Returns what is wrong with the
// file, or an empty problem on success; on failure `image` is left empty.
PngProblem readPng(const std::uint8_t* data, std::size_t size, PngImage& image);

}  // namespace pellora
