#include "pe_file.h"

#include "report.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

template <typename T>
bool readAt(const std::vector<char>& file, std::size_t offset, T& out) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
    std::memcpy(&out, file.data() + offset, sizeof(T));
    return true;
}

struct Sections {
    std::vector<IMAGE_SECTION_HEADER> headers;
    // File offset of an RVA, or 0 when no section holds it.
    std::size_t offsetOf(DWORD rva) const {
        for (const auto& s : headers) {
            const DWORD size = std::max(s.Misc.VirtualSize, s.SizeOfRawData);
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + size)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return 0;
    }
};

std::string readName(const std::vector<char>& file, std::size_t offset) {
    std::string name;
    while (offset < file.size() && file[offset] != '\0' && name.size() < 260) name += file[offset++];
    return name;
}

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

}  // namespace

bool readImports(const std::wstring& path, ImportTable& table, std::string& error) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) {
        error = "cannot open " + narrow(path);
        return false;
    }
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS32 nt{};
    if (!readAt(file, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        !readAt(file, static_cast<std::size_t>(dos.e_lfanew), nt) || nt.Signature != IMAGE_NT_SIGNATURE) {
        error = "not a PE file";
        return false;
    }
    table.machine = nt.FileHeader.Machine;
    if (nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        error = format("optional header magic 0x%X is not PE32", nt.OptionalHeader.Magic);
        return false;
    }

    Sections sections;
    const std::size_t first = static_cast<std::size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                              nt.FileHeader.SizeOfOptionalHeader;
    for (int i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER s{};
        if (!readAt(file, first + static_cast<std::size_t>(i) * sizeof(s), s)) {
            error = "section table cut short";
            return false;
        }
        sections.headers.push_back(s);
    }

    const auto& directories = nt.OptionalHeader.DataDirectory;
    if (const DWORD rva = directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress) {
        std::size_t offset = sections.offsetOf(rva);
        for (IMAGE_IMPORT_DESCRIPTOR d{}; offset && readAt(file, offset, d) && d.Name; offset += sizeof(d))
            table.dlls.push_back(readName(file, sections.offsetOf(d.Name)));
    }
    if (const DWORD rva = directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress) {
        std::size_t offset = sections.offsetOf(rva);
        for (IMAGE_DELAYLOAD_DESCRIPTOR d{}; offset && readAt(file, offset, d) && d.DllNameRVA; offset += sizeof(d))
            table.dlls.push_back(readName(file, sections.offsetOf(d.DllNameRVA)));
    }
    return true;
}

bool isWindowsDll(const std::string& dll) {
    static const char* const kWindows[] = {
        "kernel32.dll", "user32.dll",   "gdi32.dll",   "comctl32.dll", "ole32.dll",         "oleaut32.dll",
        "advapi32.dll", "shell32.dll",  "shlwapi.dll", "uxtheme.dll",  "windowscodecs.dll", "msvcrt.dll",
        "version.dll",  "comdlg32.dll", "ntdll.dll",   "msimg32.dll",  "dwmapi.dll",        "uuid.dll"};
    std::string lower = dll;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower.rfind("api-ms-win-", 0) == 0) return true;
    for (const char* name : kWindows)
        if (lower == name) return true;
    return false;
}

bool readIconGroup(HMODULE module, int groupId, std::vector<IconImage>& images) {
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(groupId), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    if (!group) return false;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    const DWORD size = SizeofResource(module, group);
    if (!data || size < sizeof(GroupIconHeader)) return false;
    GroupIconHeader header;
    std::memcpy(&header, data, sizeof(header));
    for (WORD i = 0; i < header.count; ++i) {
        const std::size_t offset = sizeof(header) + i * sizeof(GroupIconEntry);
        if (offset + sizeof(GroupIconEntry) > size) break;
        GroupIconEntry entry;
        std::memcpy(&entry, data + offset, sizeof(entry));
        IconImage image;
        image.id = entry.id;
        image.width = entry.width;
        image.bitCount = entry.bitCount;
        image.declaredBytes = static_cast<int>(entry.bytesInRes);
        if (HRSRC icon = FindResourceW(module, MAKEINTRESOURCEW(entry.id), MAKEINTRESOURCEW(3))) {  // RT_ICON
            image.resourceBytes = static_cast<int>(SizeofResource(module, icon));
            const void* bits = LockResource(LoadResource(module, icon));
            BITMAPINFOHEADER bih{};
            if (bits && image.resourceBytes >= static_cast<int>(sizeof(bih))) {
                std::memcpy(&bih, bits, sizeof(bih));
                if (bih.biSize == sizeof(bih)) {
                    image.headerWidth = bih.biWidth;
                    image.headerBitCount = bih.biBitCount;
                }
            }
        }
        images.push_back(image);
    }
    return true;
}

std::string readResource(HMODULE module, LPCWSTR type, int id, WORD language) {
    HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
    if (!found) return {};
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
}
