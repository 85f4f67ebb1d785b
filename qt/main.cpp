// pellora: the card tally window for Linux desktops.
#include "form.h"
#include "stay_on_top.h"

#include <QApplication>
#include <QMessageBox>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Qt's documented options for X11 and Wayland, which QApplication takes out
// of the arguments itself. Those with a value take the next argument; -style,
// -stylesheet and -qmljsdebugger are also written -style=NAME.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},        {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true},        {"qwindowtitle", true},  {"session", true},
    {"display", true},         {"geometry", true},           {"style", true},         {"stylesheet", true},
    {"reverse", false},        {"widgetcount", false},
};
constexpr const char* kQtOptionsWithEquals[] = {"style=", "stylesheet=", "qmljsdebugger="};

constexpr const char* kUsage =
    "Usage: pellora [OPTION]...\n"
    "Keep count of the cards played from a 54-card deck: a window with a button\n"
    "per rank; each left click hides one of the rank's four card pictures, a\n"
    "right click puts one back.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "Qt's standard options work too, such as -platform NAME, -display DISPLAY\n"
    "and -style STYLE. More in the manual page: man pellora\n";

const QtOption* qtOption(const char* name) {
    for (const QtOption& option : kQtOptions)
        if (!std::strcmp(name, option.name)) return &option;
    return nullptr;
}

bool isQtOptionWithValueAttached(const char* name) {
    for (const char* prefix : kQtOptionsWithEquals)
        if (!std::strncmp(name, prefix, std::strlen(prefix))) return true;
    return false;
}

enum class Outcome { Run, Exit, Misuse };

Outcome misuse(const char* before, const char* argument, const char* after) {
    std::fprintf(stderr, "pellora: %s'%s'%s\nTry 'pellora --help'.\n", before, argument, after);
    return Outcome::Misuse;
}

// Handles --help and --version and rejects what neither pellora nor Qt knows,
// all before Qt opens a display. Qt accepts its options with one dash or two.
Outcome readCommandLine(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (!std::strcmp(argument, "-h") || !std::strcmp(argument, "--help")) {
            std::fputs(kUsage, stdout);
            return Outcome::Exit;
        }
        if (!std::strcmp(argument, "-v") || !std::strcmp(argument, "--version")) {
            std::puts("pellora " PELLORA_VERSION);
            return Outcome::Exit;
        }
        if (argument[0] != '-' || argument[1] == '\0')
            return misuse("unexpected argument ", argument, " (pellora opens no files)");
        const char* name = argument + (argument[1] == '-' ? 2 : 1);
        if (isQtOptionWithValueAttached(name)) continue;
        const QtOption* option = qtOption(name);
        if (!option) return misuse("unknown option ", argument, "");
        if (option->takesValue && ++i == argc) return misuse("option ", argument, " needs a value");
    }
    return Outcome::Run;
}

}  // namespace

int main(int argc, char* argv[]) {
    switch (readCommandLine(argc, argv)) {
        case Outcome::Exit:
            if (std::fflush(stdout) == 0) return 0;
            std::fprintf(stderr, "pellora: could not write the text: %s\n", std::strerror(errno));
            return 1;
        case Outcome::Misuse: return 2;
        case Outcome::Run: break;
    }

    pellora::preferPlatformThatKeepsAbove();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellora"));
    QApplication::setApplicationVersion(QStringLiteral(PELLORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("pellora"));

    pellora::Form form;
    if (!form.startupError().isEmpty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Pellora"),
                              QString::fromUtf8("Pellora 无法启动：%1。").arg(form.startupError()));
        return 1;
    }
    form.show();
    return QApplication::exec();
}
