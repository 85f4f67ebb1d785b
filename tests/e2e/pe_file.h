// The resources the built Pellora.exe carries, read through Windows' own
// loader from the file loaded as data. (Its headers, imports and protections
// are read on Linux, by tests/hardening.)
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct IconImage {
    int id = 0;
    int width = 0;          // from the group directory (0 means 256)
    int bitCount = 0;       // from the group directory
    int declaredBytes = 0;  // from the group directory
    int resourceBytes = -1; // size of the RT_ICON resource, -1 if missing
    int headerWidth = 0;    // from the image's own BITMAPINFOHEADER
    int headerBitCount = 0;
};

// The images of icon group `groupId` in directory order; false if the group is missing.
bool readIconGroup(HMODULE module, int groupId, std::vector<IconImage>& images);

// The bytes of resource (type, id, language), empty if absent.
std::string readResource(HMODULE module, LPCWSTR type, int id, WORD language);
