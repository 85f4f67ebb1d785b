// What the driver's checks share: a few helpers, and Tester, the running
// program together with what it should show.
#pragma once

#include "model.h"
#include "screen.h"
#include "waits.h"

#include <windows.h>

#include <initializer_list>
#include <string>

class CardImages;
class PelloraApp;
class Report;
namespace pellora {
struct PictureCell;
}

bool sameRect(const RECT& a, const RECT& b);
std::string describe(const RECT& r);

template <typename Fn>
Fn user32Function(const char* name) {
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// What a rank or joker button's tip and its help for a screen reader say.
constexpr const char* kButtonHelp = "单击或按空格键：记下出了一张\n右键单击，或按菜单键、Shift+F10：放回一张";

// The tally as a user expects it, written down independently of the program.
using Model = TallyModel;

// The running program plus what it should show.
class Tester {
public:
    Tester(PelloraApp& app, Report& report, const CardImages& art, int dpi)
        : app_(app), report_(report), art_(art), dpi_(dpi),
          background_(fromColorref(GetSysColor(COLOR_BTNFACE))) {}

    Model& model() { return model_; }
    int dpi() const { return dpi_; }
    const Report& report() const { return report_; }

    POINT clientOrigin() const;
    POINT buttonCentre(int id) const;

    // Everything wrong with the 54 cells on the screen against the model.
    std::string screenProblems() const;
    // Waits for the screen to match the model; returns what is still wrong.
    std::string settledScreenProblems(DWORD timeoutMs) const;

    // Input is handled in order, so once a marker click on "Q" shows in its
    // count, everything sent before it has been handled too. The count the
    // marker aims at must be one the program cannot show sooner: not the count
    // it showed before the step (a reset, then one click, can bring "Q" right
    // back there while the reset is still unhandled), nor one on the way.
    // So the clicks all go one way, one more if the first lands on the old count.
    bool syncWithMarker();
    // One check: after the step's input, all 54 cells match the model.
    bool verify(const std::string& name);
    std::string modelSummary() const;

    // Click (left) / right press on the button of `row`, keeping the model in step.
    void play(int row);
    void undo(int row, std::initializer_list<WORD> modifiers = {});
    void reset();

    bool saveScreenshot(const std::wstring& path) const;
    Screenshot grabClientArea() const;

    // The start check also asks that the frame line be dark; the steps only
    // that it is there.
    void expectDarkFrame(bool dark) { wantDarkFrame_ = dark; }

private:
    std::string cellProblem(const Screenshot& shot, const pellora::PictureCell& cell, bool visible) const;

    PelloraApp& app_;
    Report& report_;
    const CardImages& art_;
    int dpi_;
    Rgb background_;
    Model model_;
    int markerShown_ = 0;  // the marker row's count the program last showed
    bool wantDarkFrame_ = false;
};
