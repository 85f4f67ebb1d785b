// The driver's checks, by concern, in the order the driver runs them. Each
// prints one PASS or FAIL line per check through the Report.
#pragma once

#include <string>

class PelloraApp;
class Report;
class Tester;

// check_start.cpp: the file, and the window as it starts
void checkResources(Report& report, const std::wstring& exe, const std::wstring& assets);
void checkStart(Tester& tester, Report& report, const PelloraApp& app, const std::wstring& outFolder,
                const std::wstring& reference);
void checkAgainstReference(Report& report, const Tester& t, const std::wstring& referencePath,
                           const std::wstring& outFolder, const std::string& name);

// check_layout.cpp: the window and its controls
void checkWindowSize(Report& report, PelloraApp& app, int dpi);
void checkIcons(Report& report, const PelloraApp& app, int dpi, const std::string& name);
void checkWindow(Report& report, PelloraApp& app, int dpi);
void checkControls(Report& report, PelloraApp& app, int dpi);

// check_dpi.cpp: a change of display scale while the window is open
void checkDpiChange(Report& report, PelloraApp& app, const std::wstring& assets, const std::wstring& outFolder,
                    const std::wstring& referencePath, int dpi);

// check_input.cpp: focus, keys, the buttons' tip, plays, undos and resets, 置顶, closing
void checkFocus(Report& report, PelloraApp& app);
void checkKeyboard(Tester& t, Report& report, PelloraApp& app);
void checkTip(Tester& t, Report& report, PelloraApp& app, const std::wstring& outFolder);
void checkSequences(Tester& t, Report& report, const std::wstring& outFolder);
void checkStayOnTop(Tester& t, Report& report, PelloraApp& app);
void checkClosing(Report& report, const std::wstring& exe);
void checkShortRun(Tester& t, const std::wstring& outFolder);

// check_screen_reader.cpp: what a screen reader meets
void checkAccessibility(Tester& t, Report& report, PelloraApp& app);
// Everything the accessible objects say that does not match the model: the
// 54 pictures' names, roles, states and places, each button's name and
// description.
std::string accessibleProblems(Tester& t, PelloraApp& app);

// check_forged.cpp: messages other programs forge, then the window and its
// accessible tree still as the model says
void checkForgedMessages(Tester& t, Report& report, PelloraApp& app);
