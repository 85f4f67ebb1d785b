#include "pe_hardening.h"

#include <gtest/gtest.h>

#include <cstring>

using pellora::checkHardening;
using pellora::HardeningCheck;

namespace {

constexpr char kInvokerManifest[] =
    "<assembly><trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\"><security><requestedPrivileges>"
    "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"
    "</requestedPrivileges></security></trustInfo></assembly>";

// A small 32-bit image made to order: a code section and a data section that
// holds the imports, the relocations and the manifest.
struct ImageParts {
    std::uint16_t machine = 0x14C;  // i386
    std::uint16_t dllCharacteristics = 0x0540;  // DYNAMICBASE | NXCOMPAT | NO_SEH
    bool relocsStripped = false;
    std::uint32_t relocBytes = 8;
    std::uint32_t codeFlags = 0x60000020;  // code, execute, read
    std::vector<std::string> imports = {"ADVAPI32.dll", "KERNEL32.dll", "USER32.dll"};
    std::vector<std::string> firstDllFunctions = {"CryptAcquireContextA", "CryptGenRandom"};
    std::string stackCheckReport = "*** stack smashing detected ***: ";
    std::vector<std::string> delayImports;
    std::string manifest = kInvokerManifest;
};

class Writer {
public:
    explicit Writer(std::size_t size) : bytes(size, 0) {}
    void u16(std::size_t at, std::uint32_t v) { put(at, v, 2); }
    void u32(std::size_t at, std::uint32_t v) { put(at, v, 4); }
    void text(std::size_t at, const std::string& s) { std::memcpy(&bytes[at], s.data(), s.size()); }
    std::vector<std::uint8_t> bytes;

private:
    void put(std::size_t at, std::uint32_t v, int width) {
        for (int i = 0; i < width; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
};

std::vector<std::uint8_t> makeImage(const ImageParts& parts) {
    constexpr std::size_t kOptional = 0x58, kDirectories = kOptional + 96, kSectionTable = kOptional + 224;
    constexpr std::uint32_t kDataRva = 0x2000, kDataRaw = 0x400;
    Writer w(0x2400);
    w.u16(0, 0x5A4D);
    w.u32(0x3C, 0x40);
    w.text(0x40, std::string("PE\0\0", 4));
    w.u16(0x44, parts.machine);
    w.u16(0x46, 2);
    w.u16(0x54, 224);
    w.u16(0x56, 0x0102 | (parts.relocsStripped ? 0x0001 : 0));
    w.u16(kOptional, 0x10B);
    w.u16(kOptional + 70, parts.dllCharacteristics);
    w.u32(kOptional + 92, 16);
    auto directory = [&](int index, std::uint32_t rva, std::uint32_t size) {
        w.u32(kDirectories + 8 * static_cast<std::size_t>(index), rva);
        w.u32(kDirectories + 8 * static_cast<std::size_t>(index) + 4, size);
    };
    auto section = [&](int index, const char* name, std::uint32_t rva, std::uint32_t size, std::uint32_t raw, std::uint32_t flags) {
        const std::size_t at = kSectionTable + 40 * static_cast<std::size_t>(index);
        w.text(at, name);
        w.u32(at + 8, size);
        w.u32(at + 12, rva);
        w.u32(at + 16, size);
        w.u32(at + 20, raw);
        w.u32(at + 36, flags);
    };
    section(0, ".text", 0x1000, 0x200, 0x200, parts.codeFlags);
    section(1, ".data", kDataRva, 0x2000, kDataRaw, 0xC0000040);  // initialised data, read, write

    // Import descriptors at +0 (names at +0x200), delay-load ones at +0x600.
    auto imports = [&](const std::vector<std::string>& dlls, std::uint32_t table, std::size_t entry, std::size_t nameField,
                       std::uint32_t names, int index) {
        if (dlls.empty()) return;
        for (std::size_t i = 0; i < dlls.size(); ++i) {
            const std::uint32_t name = names + 32 * static_cast<std::uint32_t>(i);
            w.text(kDataRaw + name, dlls[i]);
            w.u32(kDataRaw + table + i * entry + nameField, kDataRva + name);
        }
        directory(index, kDataRva + table, static_cast<std::uint32_t>((dlls.size() + 1) * entry));
    };
    imports(parts.imports, 0x000, 20, 12, 0x200, 1);
    // The first DLL's lookup table at +0x400, its hint/name entries from +0x480.
    if (!parts.imports.empty() && !parts.firstDllFunctions.empty()) {
        w.u32(kDataRaw + 0, kDataRva + 0x400);
        for (std::size_t i = 0; i < parts.firstDllFunctions.size(); ++i) {
            const std::uint32_t entry = 0x480 + 32 * static_cast<std::uint32_t>(i);
            w.u32(kDataRaw + 0x400 + 4 * i, kDataRva + entry);
            w.text(kDataRaw + entry + 2, parts.firstDllFunctions[i]);
        }
    }
    w.text(kDataRaw + 0xC00, parts.stackCheckReport);
    imports(parts.delayImports, 0x600, 32, 4, 0x700, 13);
    if (parts.relocBytes) directory(5, kDataRva + 0x100, parts.relocBytes);

    // Resources at +0x800: type 24 -> id 1 -> language 2052 -> the manifest at +0x900.
    if (!parts.manifest.empty()) {
        constexpr std::size_t kRes = kDataRaw + 0x800;
        auto table = [&](std::size_t at, std::uint32_t id, std::uint32_t target) {
            w.u16(kRes + at + 14, 1);
            w.u32(kRes + at + 16, id);
            w.u32(kRes + at + 20, target);
        };
        table(0x00, 24, 0x80000000 | 0x18);
        table(0x18, 1, 0x80000000 | 0x30);
        table(0x30, 2052, 0x48);
        w.u32(kRes + 0x48, kDataRva + 0x900);
        w.u32(kRes + 0x4C, static_cast<std::uint32_t>(parts.manifest.size()));
        w.text(kDataRaw + 0x900, parts.manifest);
        directory(2, kDataRva + 0x800, 0x100);
    }
    return w.bytes;
}

HardeningCheck find(const std::vector<HardeningCheck>& checks, const std::string& prefix) {
    for (const HardeningCheck& c : checks)
        if (c.name.rfind(prefix, 0) == 0) return c;
    return {"missing", false, "no check named " + prefix};
}

}  // namespace

TEST(Hardening, SoundImagePassesEveryCheck) {
    const auto checks = checkHardening(makeImage({}));
    ASSERT_EQ(checks.size(), 8u);
    for (const HardeningCheck& c : checks) EXPECT_TRUE(c.passed) << c.name << ": " << c.detail;
    EXPECT_EQ(find(checks, "imports").detail, "ADVAPI32.dll KERNEL32.dll USER32.dll");
    EXPECT_EQ(find(checks, "stack protection").detail, "canary seeded by CryptGenRandom");
}

TEST(Hardening, MissingFlagsAndStrippedRelocationsFail) {
    ImageParts noAslr;
    noAslr.dllCharacteristics = 0x0100;
    EXPECT_FALSE(find(checkHardening(makeImage(noAslr)), "DYNAMICBASE").passed);

    ImageParts stripped;
    stripped.relocsStripped = true;
    EXPECT_FALSE(find(checkHardening(makeImage(stripped)), "DYNAMICBASE").passed);
    ImageParts noRelocs;
    noRelocs.relocBytes = 0;
    EXPECT_FALSE(find(checkHardening(makeImage(noRelocs)), "DYNAMICBASE").passed);

    ImageParts noNx;
    noNx.dllCharacteristics = 0x0440;
    const auto checks = checkHardening(makeImage(noNx));
    EXPECT_FALSE(find(checks, "NXCOMPAT").passed);
    EXPECT_TRUE(find(checks, "DYNAMICBASE").passed);

    ImageParts withSeh;
    withSeh.dllCharacteristics = 0x0140;
    const auto sehChecks = checkHardening(makeImage(withSeh));
    EXPECT_FALSE(find(sehChecks, "NO_SEH").passed);
    EXPECT_TRUE(find(sehChecks, "NXCOMPAT").passed);
}

TEST(Hardening, StackProtectionNeedsTheCheckAndASeededCanary) {
    ImageParts unprotected;
    unprotected.stackCheckReport.clear();
    EXPECT_FALSE(find(checkHardening(makeImage(unprotected)), "stack protection").passed);

    // The check linked in, but nothing random seeds the canary.
    ImageParts unseeded;
    unseeded.firstDllFunctions = {"CryptAcquireContextA"};
    const HardeningCheck c = find(checkHardening(makeImage(unseeded)), "stack protection");
    EXPECT_FALSE(c.passed);
    EXPECT_NE(c.detail.find("random"), std::string::npos) << c.detail;

    // Seeded by the name an import has, wherever in the list it stands.
    ImageParts other;
    other.firstDllFunctions = {"SystemFunction036", "RegCloseKey"};
    EXPECT_TRUE(find(checkHardening(makeImage(other)), "stack protection").passed);
}

TEST(Hardening, OnlyA32BitX86ProgramPasses) {
    ImageParts x64;
    x64.machine = 0x8664;
    const HardeningCheck c = find(checkHardening(makeImage(x64)), "file: a 32-bit");
    EXPECT_FALSE(c.passed);
    EXPECT_EQ(c.detail, "machine 0x8664");
}

TEST(Hardening, WritableCodeSectionFailsAndIsNamed) {
    ImageParts parts;
    parts.codeFlags = 0xE0000020;  // execute, read, write
    const HardeningCheck c = find(checkHardening(makeImage(parts)), "no section");
    EXPECT_FALSE(c.passed);
    EXPECT_NE(c.detail.find(".text"), std::string::npos) << c.detail;
}

TEST(Hardening, ForeignDllFailsWhetherImportedOrDelayLoaded) {
    ImageParts direct;
    direct.imports.push_back("libstdc++-6.dll");
    const HardeningCheck d = find(checkHardening(makeImage(direct)), "imports");
    EXPECT_FALSE(d.passed);
    EXPECT_NE(d.detail.find("libstdc++-6.dll"), std::string::npos) << d.detail;

    ImageParts delayed;
    delayed.delayImports = {"libgcc_s_dw2-1.dll"};
    EXPECT_FALSE(find(checkHardening(makeImage(delayed)), "imports").passed);

    ImageParts windowsOnly;
    windowsOnly.delayImports = {"comctl32.dll"};
    EXPECT_TRUE(find(checkHardening(makeImage(windowsOnly)), "imports").passed);
}

TEST(Hardening, ManifestMustAskForAsInvokerInsideTrustInfo) {
    ImageParts none;
    none.manifest.clear();
    EXPECT_FALSE(find(checkHardening(makeImage(none)), "manifest").passed);

    ImageParts admin;
    admin.manifest = "<assembly><trustInfo><security><requestedPrivileges>"
                     "<requestedExecutionLevel level=\"requireAdministrator\"/></requestedPrivileges></security></trustInfo></assembly>";
    EXPECT_FALSE(find(checkHardening(makeImage(admin)), "manifest").passed);

    ImageParts noTrust;
    noTrust.manifest = "<assembly><dependency/></assembly>";
    EXPECT_FALSE(find(checkHardening(makeImage(noTrust)), "manifest").passed);

    ImageParts uiAccess;
    uiAccess.manifest = "<assembly><trustInfo><requestedExecutionLevel level=\"asInvoker\" uiAccess=\"true\"/></trustInfo></assembly>";
    EXPECT_FALSE(find(checkHardening(makeImage(uiAccess)), "manifest").passed);
}

TEST(Hardening, NonProgramIsReportedNotCrashedOn) {
    const auto text = checkHardening(std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'});
    ASSERT_EQ(text.size(), 1u);
    EXPECT_FALSE(text[0].passed);

    auto cut = makeImage({});
    cut.resize(0x100);  // headers start, the section table is gone
    const auto checks = checkHardening(cut);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].passed);
}
