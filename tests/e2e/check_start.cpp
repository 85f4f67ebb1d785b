// Checks on the file and on the window as it starts: the resources Pellora.exe
// carries (icons, manifest, the card art of every scale, the version record)
// and the client area against a reference picture.
#include "checks.h"

#include "app.h"
#include "card_images.h"
#include "pe_file.h"
#include "report.h"
#include "screen.h"
#include "tester.h"

#include "board.h"
#include "pictures.h"
#include "resource_ids.h"
#include "tally.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string readFileBytes(const std::wstring& path) {
    std::string bytes;
    if (FILE* in = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), in)) > 0;) bytes.append(buffer, n);
        std::fclose(in);
    }
    return bytes;
}

// Every drawn scale's 54 pictures are in the program, byte for byte the files
// under assets/: the scales the screen checks do not reach are covered too.
void checkEmbeddedArt(Report& report, HMODULE module, const std::wstring& assets) {
    const WORD language = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    std::string problems;
    int count = 0;
    for (const int scale : pellora::kArtScales) {
        for (int card = 0; card < pellora::kCardCount; ++card) {
                const std::string relative = pellora::cardPicturePath(card, scale);
                std::wstring path = assets + L"\\" + widen(relative);
                std::replace(path.begin(), path.end(), L'/', L'\\');
                const int id = pellora::cardResourceId(card, scale);
                const std::string embedded = readResource(module, RT_RCDATA, id, language);
                const std::string file = readFileBytes(path);
                if (!file.empty() && embedded == file) {
                    ++count;
                    continue;
                }
                if (problems.size() < 300)
                    problems += format("%sresource %d is %s%s", problems.empty() ? "" : "; ", id,
                                       embedded.empty() ? "missing" : format("%zu bytes", embedded.size()).c_str(),
                                       file.empty() ? (", and " + relative + " unreadable").c_str()
                                                    : format(", %s has %zu", relative.c_str(), file.size()).c_str());
            }
    }
    report.check(problems.empty(), "file: the card art of every drawn scale is embedded, equal to assets/cards",
                 problems.empty() ? format("%d pictures at %zu scales", count, pellora::kArtScales.size()) : problems);
}

}  // namespace

void checkResources(Report& report, const std::wstring& exe, const std::wstring& assets) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!report.check(module != nullptr, "file: loads as a data file", module ? "" : format("error %lu", GetLastError()))) return;

    std::vector<IconImage> icons;
    const bool group = readIconGroup(module, 1, icons);
    static const int kSizes[8] = {48, 32, 24, 16, 48, 32, 24, 16};
    static const int kDepths[8] = {8, 8, 8, 8, 32, 32, 32, 32};
    std::string iconProblems, iconList;
    if (!group) iconProblems = "no icon group 1";
    else if (icons.size() != 8) iconProblems = format("%zu images instead of 8", icons.size());
    for (std::size_t i = 0; i < icons.size() && i < 8; ++i) {
        const IconImage& im = icons[i];
        iconList += format("%s%d:%dx%d@%d", i ? " " : "", im.id, im.width, im.width, im.bitCount);
        std::string p;
        if (im.id != 30001 + static_cast<int>(i)) p += format(" id %d", im.id);
        if (im.width != kSizes[i] || im.bitCount != kDepths[i]) p += format(" is %d px %d bit", im.width, im.bitCount);
        if (im.resourceBytes < 0) p += " has no RT_ICON resource";
        else if (im.resourceBytes != im.declaredBytes) p += format(" holds %d bytes, directory says %d", im.resourceBytes, im.declaredBytes);
        if (im.resourceBytes >= 0 && (im.headerWidth != kSizes[i] || im.headerBitCount != kDepths[i]))
            p += format(" bitmap header says %d px %d bit", im.headerWidth, im.headerBitCount);
        if (!p.empty()) iconProblems += format("%simage %zu%s", iconProblems.empty() ? "" : ";", i + 1, p.c_str());
    }
    report.check(iconProblems.empty(), "file: icon group 1 holds 30001..30008, 48/32/24/16 px at 8 then 32 bit",
                 iconProblems.empty() ? iconList : iconProblems);

    const std::string manifest = readResource(module, MAKEINTRESOURCEW(24), 1, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    const bool common = manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
                        manifest.find("version=\"6.0.0.0\"") != std::string::npos &&
                        manifest.find("6595b64144ccf1df") != std::string::npos;
    report.check(!manifest.empty() && common, "file: manifest 24/1 in language 2052 depends on Common-Controls 6.0.0.0",
                 manifest.empty() ? "no RT_MANIFEST 1 in language 2052" : format("%zu bytes", manifest.size()));
    const bool perMonitor = manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>") != std::string::npos &&
                            manifest.find("http://schemas.microsoft.com/SMI/2016/WindowsSettings") != std::string::npos &&
                            manifest.find(">true/pm</dpiAware>") != std::string::npos &&
                            manifest.find("http://schemas.microsoft.com/SMI/2005/WindowsSettings") != std::string::npos;
    report.check(perMonitor, "file: manifest declares per-monitor (v2) dpi awareness, true/pm for older systems");
    checkEmbeddedArt(report, module, assets);
    FreeLibrary(module);

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
    std::vector<char> version(size ? size : 1);
    if (!report.check(size && GetFileVersionInfoW(exe.c_str(), 0, size, version.data()), "file: version record present"))
        return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    const bool hasFixed = VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed;
    report.check(hasFixed && fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0 &&
                     fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0,
                 "file: fixed file and product version 1.0.0.0",
                 hasFixed ? format("file %lu.%lu.%lu.%lu product %lu.%lu.%lu.%lu", HIWORD(fixed->dwFileVersionMS),
                                   LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS),
                                   HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                                   HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS))
                          : "no fixed part");
    const std::pair<const wchar_t*, const wchar_t*> kStrings[] = {{L"FileVersion", L"1.00"},
                                                                  {L"ProductVersion", L"1.00"},
                                                                  {L"ProductName", L"Pellora"},
                                                                  {L"InternalName", L"Pellora"},
                                                                  {L"OriginalFilename", L"Pellora.exe"},
                                                                  {L"FileDescription", L"Pellora"},
                                                                  {L"CompanyName", L"The Pellora developers"},
                                                                  {L"LegalCopyright", L"Copyright (c) 2026 The Pellora developers. MIT licence."}};
    std::string stringProblems;
    for (const auto& [key, expected] : kStrings) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\080404B0\\") + key;
        const bool found = VerQueryValueW(version.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value;
        if (!found || std::wstring(value) != expected)
            stringProblems += format("%s%s=%s", stringProblems.empty() ? "" : "; ", narrow(key).c_str(),
                                     found ? ("\"" + narrow(value) + "\"").c_str() : "missing");
    }
    report.check(stringProblems.empty(), "file: version strings in table 080404B0", stringProblems.empty() ? "FileVersion/ProductVersion 1.00, Pellora, Pellora.exe, FileDescription, CompanyName, LegalCopyright (MIT)" : stringProblems);
    DWORD* translation = nullptr;
    const bool hasTranslation = VerQueryValueW(version.data(), L"\\VarFileInfo\\Translation",
                                               reinterpret_cast<void**>(&translation), &length) && length >= 4;
    report.check(hasTranslation && LOWORD(*translation) == 0x0804 && HIWORD(*translation) == 1200,
                 "file: version translation 0804/1200",
                 hasTranslation ? format("%04X/%u", LOWORD(*translation), HIWORD(*translation)) : "missing");
}

// The window as it opens: every cell painted with its card inside a frame
// line, and how long that took; the client area against the reference.
void checkStart(Tester& tester, Report& report, const PelloraApp& app, const std::wstring& outFolder,
                const std::wstring& reference) {
    const double shownMs = millisecondsSince(app.startedAt());
    const std::string painted = tester.settledScreenProblems(kStartTimeoutMs);
    const double paintedMs = millisecondsSince(app.startedAt());
    report.check(painted.empty(), "start: all 54 cells show their card inside a frame line",
                 painted.empty() ? format("window shown %.0f ms, all cells painted %.0f ms after CreateProcess", shownMs, paintedMs)
                                 : painted);
    std::printf("e2e: start to painted window: %.0f ms\n", paintedMs);
    tester.expectDarkFrame(true);
    const std::string frames = tester.screenProblems();
    report.check(frames.empty(), "start: every frame line is dark", frames);
    tester.expectDarkFrame(false);
    const std::wstring suffix = L"-" + std::to_wstring(tester.dpi()) + L".bmp";
    tester.saveScreenshot(outFolder + L"\\start" + suffix);
    tester.grabClientArea().saveBmp(outFolder + L"\\client" + suffix);
    if (!reference.empty()) checkAgainstReference(report, tester, reference, outFolder, "start: the client area is as before, pixel for pixel");
}

// The client area, pixel for pixel, against a picture of it taken before:
// at 96 dpi the program must look exactly as it always has.
void checkAgainstReference(Report& report, const Tester& t, const std::wstring& referencePath,
                           const std::wstring& outFolder, const std::string& name) {
    Image reference;
    std::string error;
    if (!decodeImage(referencePath, reference, error)) {
        report.check(false, name, "the reference picture cannot be read: " + error);
        return;
    }
    const Screenshot shot = t.grabClientArea();
    const RECT area = shot.area();
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width != reference.width || height != reference.height) {
        report.check(false, name, format("client area %dx%d, reference %s %dx%d", width, height,
                                         narrow(referencePath).c_str(), reference.width, reference.height));
        return;
    }
    int differing = 0;
    std::string first;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb got = shot.at(area.left + x, area.top + y), want = reference.at(x, y);
            if (closeTo(got, want, 0)) continue;
            if (differing++ == 0)
                first = format("first at (%d,%d): %s, reference %s", x, y, describe(got).c_str(), describe(want).c_str());
        }
    std::string detail = format("all %dx%d pixels equal", width, height);
    if (differing) {
        // Differences in red over a faded copy of the reference.
        const std::wstring diffPath = outFolder + L"\\client-" + std::to_wstring(t.dpi()) + L"-diff.bmp";
        saveBmp(diffPath, width, height, [&](int x, int y) {
            const Rgb got = shot.at(area.left + x, area.top + y), want = reference.at(x, y);
            if (!closeTo(got, want, 0)) return Rgb{255, 0, 0};
            return Rgb{(want.r + 3 * 255) / 4, (want.g + 3 * 255) / 4, (want.b + 3 * 255) / 4};
        });
        detail = format("%d pixels differ from %s, %s; differences in red in %s (.png). If the change is meant, "
                        "make the new client-%d.png the reference",
                        differing, narrow(referencePath).c_str(), first.c_str(), narrow(diffPath).c_str(), t.dpi());
    }
    report.check(differing == 0, name, detail);
}
