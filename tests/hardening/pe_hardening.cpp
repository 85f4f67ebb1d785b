#include "pe_hardening.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>

namespace pellora {

namespace {

// The PE/COFF fields read here (all little-endian).
constexpr std::uint16_t kRelocsStripped = 0x0001;   // COFF Characteristics
constexpr std::uint16_t kPe32Magic = 0x10b;
constexpr std::uint16_t kPe32PlusMagic = 0x20b;
constexpr std::uint16_t kDynamicBase = 0x0040;      // DllCharacteristics
constexpr std::uint16_t kNxCompat = 0x0100;
constexpr std::uint16_t kNoSeh = 0x0400;
constexpr std::uint32_t kMemExecute = 0x20000000;   // section Characteristics
constexpr std::uint32_t kMemWrite = 0x80000000;
constexpr int kImportDirectory = 1;
constexpr int kResourceDirectory = 2;
constexpr int kRelocDirectory = 5;
constexpr int kDelayImportDirectory = 13;
constexpr std::uint32_t kManifestType = 24;
constexpr std::uint32_t kManifestId = 1;

struct Section {
    std::string name;
    std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize, flags;
};

struct DataDirectory {
    std::uint32_t rva = 0, size = 0;
};

class Image {
public:
    explicit Image(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    std::optional<std::uint32_t> u8(std::size_t at) const { return le(at, 1); }
    std::optional<std::uint32_t> u16(std::size_t at) const { return le(at, 2); }
    std::optional<std::uint32_t> u32(std::size_t at) const { return le(at, 4); }

    // File offset of an RVA inside a section's raw data.
    std::optional<std::size_t> offsetOf(std::uint32_t rva) const {
        for (const Section& s : sections)
            if (rva >= s.virtualAddress && rva - s.virtualAddress < std::min(s.rawSize, std::max(s.virtualSize, s.rawSize)))
                return std::size_t{rva - s.virtualAddress} + s.rawOffset;
        return std::nullopt;
    }

    std::optional<std::string> stringAt(std::uint32_t rva) const {
        auto at = offsetOf(rva);
        if (!at) return std::nullopt;
        std::string text;
        for (std::size_t i = *at; i < bytes_.size() && bytes_[i] != 0; ++i) {
            if (text.size() > 260) return std::nullopt;
            text += static_cast<char>(bytes_[i]);
        }
        return text;
    }

    std::optional<std::string> bytesAt(std::uint32_t rva, std::uint32_t size) const {
        auto at = offsetOf(rva);
        if (!at || *at + size > bytes_.size()) return std::nullopt;
        return std::string(bytes_.begin() + static_cast<std::ptrdiff_t>(*at),
                           bytes_.begin() + static_cast<std::ptrdiff_t>(*at + size));
    }

    std::uint16_t machine = 0;
    std::uint16_t coffFlags = 0;
    std::uint16_t dllCharacteristics = 0;
    std::array<DataDirectory, 16> directories{};
    std::vector<Section> sections;

private:
    std::optional<std::uint32_t> le(std::size_t at, int width) const {
        if (at + static_cast<std::size_t>(width) > bytes_.size()) return std::nullopt;
        std::uint32_t value = 0;
        for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes_[at + static_cast<std::size_t>(i)];
        return value;
    }

    const std::vector<std::uint8_t>& bytes_;
};

// Fills in the headers; an empty string means the image is readable.
std::string readHeaders(Image& image) {
    const auto mz = image.u16(0);
    if (!mz || *mz != 0x5A4D) return "no MZ header: not a Windows program";
    const auto peAt = image.u32(0x3C);
    const auto signature = peAt ? image.u32(*peAt) : std::nullopt;
    if (!signature || *signature != 0x00004550) return "no PE signature where the MZ header points";
    const std::size_t coff = *peAt + 4;
    const auto machine = image.u16(coff);
    const auto sectionCount = image.u16(coff + 2);
    const auto optionalSize = image.u16(coff + 16);
    const auto flags = image.u16(coff + 18);
    const std::size_t optional = coff + 20;
    const auto magic = image.u16(optional);
    if (!machine || !sectionCount || !optionalSize || !flags || !magic) return "the COFF header is cut short";
    image.machine = static_cast<std::uint16_t>(*machine);
    if (*magic != kPe32Magic && *magic != kPe32PlusMagic) return "unknown optional-header magic";
    image.coffFlags = static_cast<std::uint16_t>(*flags);
    const auto characteristics = image.u16(optional + 70);
    const std::size_t countAt = optional + (*magic == kPe32Magic ? 92 : 108);
    const auto directoryCount = image.u32(countAt);
    if (!characteristics || !directoryCount) return "the optional header is cut short";
    image.dllCharacteristics = static_cast<std::uint16_t>(*characteristics);
    for (std::size_t i = 0; i < std::min<std::uint32_t>(*directoryCount, 16); ++i) {
        const auto rva = image.u32(countAt + 4 + 8 * i);
        const auto size = image.u32(countAt + 8 + 8 * i);
        if (!rva || !size) return "the data directories are cut short";
        image.directories[i] = {*rva, *size};
    }
    const std::size_t table = optional + *optionalSize;
    for (std::size_t i = 0; i < *sectionCount; ++i) {
        const std::size_t at = table + 40 * i;
        const auto virtualSize = image.u32(at + 8), virtualAddress = image.u32(at + 12), rawSize = image.u32(at + 16),
                   rawOffset = image.u32(at + 20), sectionFlags = image.u32(at + 36);
        if (!virtualSize || !virtualAddress || !rawSize || !rawOffset || !sectionFlags)
            return "the section table is cut short";
        std::string name;
        for (std::size_t c = 0; c < 8; ++c) {
            const auto ch = image.u8(at + c);
            if (!ch || *ch == 0) break;
            name += static_cast<char>(*ch);
        }
        image.sections.push_back({name, *virtualAddress, *virtualSize, *rawOffset, *rawSize, *sectionFlags});
    }
    return {};
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Names of the imported DLLs: ordinary descriptors are 20 bytes with the name
// RVA at +12; delay-load descriptors 32 bytes with it at +4. For ordinary
// imports of a PE32 image the functions imported by name are read too, from
// the lookup table at +0 (4-byte entries; the top bit marks an ordinal).
bool readImports(const Image& image, int directory, std::size_t entrySize, std::size_t nameField,
                 std::vector<std::string>& dlls, std::vector<std::string>* functions, std::string& error) {
    const DataDirectory dir = image.directories[static_cast<std::size_t>(directory)];
    if (dir.rva == 0) return true;
    const auto start = image.offsetOf(dir.rva);
    if (!start) {
        error = "an import directory lies outside every section";
        return false;
    }
    for (std::size_t i = 0;; ++i) {
        if (i > 1000) {
            error = "an import directory has no terminating entry";
            return false;
        }
        const std::size_t entry = *start + i * entrySize;
        const auto nameRva = image.u32(entry + nameField);
        if (!nameRva) {
            error = "an import directory runs past the end of the file";
            return false;
        }
        if (*nameRva == 0) return true;
        const auto name = image.stringAt(*nameRva);
        if (!name) {
            error = "an imported DLL's name cannot be read";
            return false;
        }
        dlls.push_back(*name);
        const auto lookup = functions ? image.u32(entry) : std::nullopt;
        const auto table = lookup && *lookup ? image.offsetOf(*lookup) : std::nullopt;
        for (std::size_t k = 0; table && k < 10000; ++k) {
            const auto thunk = image.u32(*table + 4 * k);
            if (!thunk || *thunk == 0) break;
            if (*thunk & 0x80000000u) continue;
            if (const auto function = image.stringAt(*thunk + 2)) functions->push_back(*function);
        }
    }
}

// The data of resource (type, id), first language found.
std::optional<std::string> findResource(const Image& image, std::uint32_t type, std::uint32_t id) {
    const DataDirectory dir = image.directories[kResourceDirectory];
    const auto base = dir.rva ? image.offsetOf(dir.rva) : std::nullopt;
    if (!base) return std::nullopt;
    // Offset (relative to the resource section) of the entry matching `key`;
    // key < 0 takes the first id entry.
    auto lookup = [&](std::uint32_t table, long key) -> std::optional<std::uint32_t> {
        const auto named = image.u16(*base + table + 12), ids = image.u16(*base + table + 14);
        if (!named || !ids) return std::nullopt;
        for (std::uint32_t i = *named; i < *named + *ids; ++i) {
            const auto entryId = image.u32(*base + table + 16 + 8 * i);
            const auto target = image.u32(*base + table + 20 + 8 * i);
            if (!entryId || !target) return std::nullopt;
            if (key < 0 || *entryId == static_cast<std::uint32_t>(key)) return *target;
        }
        return std::nullopt;
    };
    constexpr std::uint32_t kSubdirectory = 0x80000000;
    const auto types = lookup(0, type);
    if (!types || !(*types & kSubdirectory)) return std::nullopt;
    const auto names = lookup(*types & ~kSubdirectory, id);
    if (!names || !(*names & kSubdirectory)) return std::nullopt;
    const auto language = lookup(*names & ~kSubdirectory, -1);
    if (!language || (*language & kSubdirectory)) return std::nullopt;
    const auto dataRva = image.u32(*base + *language), dataSize = image.u32(*base + *language + 4);
    if (!dataRva || !dataSize) return std::nullopt;
    return image.bytesAt(*dataRva, *dataSize);
}

// The requested execution level inside the manifest's trustInfo, or why not.
HardeningCheck checkManifest(const Image& image) {
    HardeningCheck check{"manifest: trustInfo asks to run asInvoker", false, {}};
    const auto manifest = findResource(image, kManifestType, kManifestId);
    if (!manifest) {
        check.detail = "no RT_MANIFEST resource with id 1";
        return check;
    }
    const std::size_t trust = manifest->find("<trustInfo");
    const std::size_t trustEnd = manifest->find("</trustInfo>");
    if (trust == std::string::npos || trustEnd == std::string::npos) {
        check.detail = "the manifest has no trustInfo element";
        return check;
    }
    const std::string body = manifest->substr(trust, trustEnd - trust);
    const std::size_t level = body.find("<requestedExecutionLevel");
    if (level == std::string::npos) {
        check.detail = "trustInfo has no requestedExecutionLevel";
        return check;
    }
    const std::string element = body.substr(level, body.find('>', level) - level);
    const bool invoker = element.find("level=\"asInvoker\"") != std::string::npos;
    const bool uiAccess = element.find("uiAccess=\"true\"") != std::string::npos;
    check.passed = invoker && !uiAccess;
    check.detail = check.passed ? "level=\"asInvoker\"" : "requested: " + element;
    return check;
}

// -fstack-protector's runtime shows in the file twice: the report it prints
// when a canary was overwritten, and the random source that seeds the canary
// when the program starts.
HardeningCheck checkStackProtection(const std::vector<std::uint8_t>& bytes, const std::vector<std::string>& functions) {
    HardeningCheck check{"stack protection: canaries seeded from a random source", false, {}};
    static const char kReport[] = "stack smashing detected";
    const bool reports = std::search(bytes.begin(), bytes.end(), kReport, kReport + sizeof(kReport) - 1) != bytes.end();
    static const char* const kRandomSources[] = {"CryptGenRandom", "SystemFunction036", "BCryptGenRandom", "RtlGenRandom"};
    std::string seed;
    for (const std::string& f : functions)
        if (std::any_of(std::begin(kRandomSources), std::end(kRandomSources), [&](const char* r) { return f == r; })) seed = f;
    check.passed = reports && !seed.empty();
    if (!reports) check.detail = "no stack-check failure report in the file: built without -fstack-protector?";
    else if (seed.empty()) check.detail = "the stack check is there but imports no random source to seed its canary";
    else check.detail = "canary seeded by " + seed;
    return check;
}

}  // namespace

bool isWindowsDll(const std::string& dll) {
    static const char* const kWindows[] = {
        "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll",
        "advapi32.dll", "shell32.dll", "shlwapi.dll", "windowscodecs.dll", "uxtheme.dll", "comdlg32.dll",
        "version.dll", "ntdll.dll", "winmm.dll", "imm32.dll", "dwmapi.dll", "shcore.dll", "psapi.dll"};
    const std::string name = lower(dll);
    if (name.rfind("api-ms-win-", 0) == 0) return true;
    return std::any_of(std::begin(kWindows), std::end(kWindows), [&](const char* w) { return name == w; });
}

std::vector<HardeningCheck> checkHardening(const std::vector<std::uint8_t>& bytes) {
    Image image(bytes);
    const std::string unreadable = readHeaders(image);
    if (!unreadable.empty()) return {{"file: a readable PE image", false, unreadable}};

    std::vector<HardeningCheck> checks;
    constexpr std::uint16_t kI386 = 0x14C;
    const bool x86 = image.machine == kI386;
    char machine[8];
    std::snprintf(machine, sizeof(machine), "0x%04X", image.machine);
    checks.push_back({"file: a 32-bit x86 program", x86, x86 ? "" : std::string("machine ") + machine});
    const DataDirectory relocs = image.directories[kRelocDirectory];
    const bool relocatable = relocs.size > 0 && !(image.coffFlags & kRelocsStripped);
    const bool dynamicBase = image.dllCharacteristics & kDynamicBase;
    checks.push_back({"DYNAMICBASE set, with relocations to make it work", dynamicBase && relocatable,
                      !dynamicBase ? "the DYNAMICBASE flag is clear"
                                   : relocatable ? std::to_string(relocs.size) + " bytes of base relocations"
                                                 : "flag set but the relocations are stripped, so the loader cannot move it"});
    const bool nx = image.dllCharacteristics & kNxCompat;
    checks.push_back({"NXCOMPAT set", nx, nx ? "" : "the NXCOMPAT flag is clear"});
    const bool noSeh = image.dllCharacteristics & kNoSeh;
    checks.push_back({"NO_SEH set (no exception handlers to hijack)", noSeh, noSeh ? "" : "the NO_SEH flag is clear"});

    std::string writableCode;
    for (const Section& s : image.sections)
        if ((s.flags & kMemWrite) && (s.flags & kMemExecute)) writableCode += (writableCode.empty() ? "" : " ") + s.name;
    checks.push_back({"no section both writable and executable", writableCode.empty(),
                      writableCode.empty() ? std::to_string(image.sections.size()) + " sections"
                                           : "writable and executable: " + writableCode});

    std::vector<std::string> dlls, functions;
    std::string error;
    const bool read = readImports(image, kImportDirectory, 20, 12, dlls, &functions, error) &&
                      readImports(image, kDelayImportDirectory, 32, 4, dlls, nullptr, error);
    std::string all, foreign;
    for (const std::string& dll : dlls) {
        all += (all.empty() ? "" : " ") + dll;
        if (!isWindowsDll(dll)) foreign += (foreign.empty() ? "" : " ") + dll;
    }
    checks.push_back({"imports only Windows' own DLLs", read && !dlls.empty() && foreign.empty(),
                      !read ? error : dlls.empty() ? "no imports found" : foreign.empty() ? all : "not Windows': " + foreign});

    checks.push_back(checkStackProtection(bytes, functions));
    checks.push_back(checkManifest(image));
    return checks;
}

}  // namespace pellora
