// pellora: the card tally window for Linux desktops.
#include "form.h"
#include "stay_on_top.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    pellora::preferPlatformThatKeepsAbove();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellora"));
    QApplication::setDesktopFileName(QStringLiteral("pellora"));

    pellora::Form form;
    if (!form.startupError().isEmpty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Pellora"),
                              QStringLiteral("Pellora cannot start: %1.").arg(form.startupError()));
        return 1;
    }
    form.show();
    return QApplication::exec();
}
