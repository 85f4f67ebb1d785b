#include "pe_file.h"

#include <cstring>

namespace {

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
