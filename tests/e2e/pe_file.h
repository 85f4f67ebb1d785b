// What the built Pellora.exe carries, read from the file itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ImportTable {
    WORD machine = 0;                  // IMAGE_FILE_MACHINE_I386 for a 32-bit program
    std::vector<std::string> dlls;     // ordinary and delay-loaded imports
};

// Parses the PE headers and import directories of `path`.
bool readImports(const std::wstring& path, ImportTable& table, std::string& error);

// Whether `dll` is one of Windows' own libraries.
bool isWindowsDll(const std::string& dll);

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
