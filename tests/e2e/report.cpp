#include "report.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

bool Report::check(bool ok, const std::string& name, const std::string& detail) {
    (ok ? passed_ : failed_)++;
    std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stdout);
    return ok;
}

void Report::skip(const std::string& name, const std::string& why) {
    ++skipped_;
    std::printf("SKIP %s: %s\n", name.c_str(), why.c_str());
    std::fflush(stdout);
}

void Report::note(const std::string& text) {
    std::printf("     %s\n", text.c_str());
    std::fflush(stdout);
}

void Report::summary() const {
    std::printf("e2e: %d passed, %d failed, %d skipped\n", passed_, failed_, skipped_);
    std::fflush(stdout);
}

void Report::abandon(const std::string& name, const std::string& detail) const {
    std::printf("FAIL %s: %s\ne2e: %d passed, %d failed, %d skipped\n", name.c_str(), detail.c_str(), passed_, failed_ + 1, skipped_);
    std::fflush(stdout);
}

std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    std::vector<char> buffer(512);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(buffer.data(), buffer.size(), pattern, copy);
    va_end(copy);
    if (n >= static_cast<int>(buffer.size())) {
        buffer.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), pattern, args);
    }
    va_end(args);
    return n < 0 ? std::string() : std::string(buffer.data());
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}
