// UTF-8 (how the tables hold their text) to the UTF-16 the W API wants.
#pragma once

#include <string>

namespace pellora {

std::wstring widen(const char* utf8);
std::wstring widen(const std::string& utf8);

}  // namespace pellora
