// Reads a built Windows program (the one PE reader of the tests) and says
// whether it is a 32-bit x86 program with the protections Windows offers: address-space randomisation, no-execute data, no writable
// code, no exception handlers (NO_SEH), stack canaries, imports from Windows'
// own DLLs only, and a manifest that runs it as the invoking user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellora {

struct HardeningCheck {
    std::string name;
    bool passed = false;
    std::string detail;
};

// One entry per check, in a fixed order. A file that is not a PE image yields
// one failed check that says why.
std::vector<HardeningCheck> checkHardening(const std::vector<std::uint8_t>& image);

// Whether `dll` (any case) is a library that ships with Windows itself.
bool isWindowsDll(const std::string& dll);

}  // namespace pellora
