// check_hardening <program.exe>: one PASS/FAIL line per protection, non-zero
// exit if any is missing.
#include "pe_hardening.h"

#include <cstdio>
#include <fstream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: check_hardening <program.exe>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "hardening: cannot open %s (build the win32 preset first)\n", argv[1]);
        return 2;
    }
    const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    int failed = 0;
    for (const pellora::HardeningCheck& check : pellora::checkHardening(image)) {
        if (!check.passed) ++failed;
        std::printf("%s hardening: %s%s%s\n", check.passed ? "PASS" : "FAIL", check.name.c_str(),
                    check.detail.empty() ? "" : ": ", check.detail.c_str());
    }
    if (failed) std::fprintf(stderr, "hardening: %s lacks %d protection(s), see FAIL lines\n", argv[1], failed);
    return failed ? 1 : 0;
}
