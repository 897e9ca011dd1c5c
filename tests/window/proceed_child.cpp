// A PROCEED to be killed: shows a folder in the real window, switches on the rule that turns
// the suffixes of its files to upper case (to lower case where none is lower), says "ready"
// and presses PROCEED. Usage: window_proceed_child FOLDER [fold]; "fold" plays a folder that
// ignores case, where the case-only renames go through a temporary name.
#include "windowfixture.h"

#include <cstdio>
#include <QApplication>

using namespace tessaly;
using namespace tessaly::test;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    PlayedCalls calls;
    calls.foldCase = argc > 2 && qstrcmp(argv[2], "fold") == 0;
    FaultyFileSystem fs(calls);
    Window window(fs);
    window.get<TextBox>("txtFilter")->setText(QStringLiteral("*"));
    window.get<FolderList>("dirDir")->setFolder(QString::fromLocal8Bit(argv[1]));
    const QStringList names = window.texts("lstChoice");
    const bool anyLower = std::any_of(names.begin(), names.end(), [](const QString& n) {
        return n.endsWith(QStringLiteral(".mp3"));
    });
    window.get<CheckBox>(anyLower ? "chkUp" : "chkLow")->setValue(1);
    std::printf("ready %d\n", int(names.size()));
    std::fflush(stdout);
    window.get<QAbstractButton>("cmdGo_0")->click();
    std::printf("done %d\n", int(window.box.errors.size()));
    std::fflush(stdout);
    return 0;
}
