// Points the window's browser at a folder of N files and times it until the file list and the
// chosen-files list are filled. Prints the median of several runs.
#include "benchsupport.h"
#include "controls/folderlist.h"
#include "controls/listbox.h"
#include "window/form1.h"

#include <cstdio>
#include <QApplication>

using namespace tessaly;
using namespace tessaly::bench;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = 5;

    PosixFileSystem fs;
    SilentBox box;
    FakeClipboard clipboard;
    FakeProgramEnd end;
    Form1 form({fs, box, clipboard, end});
    form.show();
    auto* dirDir = form.findChild<FolderList*>(QStringLiteral("dirDir"));
    auto* lstChoice = form.findChild<ListBox*>(QStringLiteral("lstChoice"));

    MusicFolder folder(fastScratch(), count);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        dirDir->setFolder(QStringLiteral("/"));
        QApplication::processEvents();
        times.push_back(milliseconds([&] { dirDir->setPath(folder.path() + u'/'); }));
        if (lstChoice->ListCount() != count) {
            std::fprintf(stderr, "chosen list holds %lld, not %d\n",
                         qlonglong(lstChoice->ListCount()), count);
            return 1;
        }
        QApplication::processEvents();
    }
    std::printf("browse %d files (%s): median %.1f ms over %d runs\n", count,
                qPrintable(fastScratch()), median(times), runs);
    return 0;
}
