#include "filesystem.h"
#include "form1.h"
#include "services.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    tessaly::PosixFileSystem fs;
    tessaly::QtMessageBoxService box;
    tessaly::QtClipboardService clipboard;
    tessaly::ProcessEnd end;
    tessaly::Form1 form({fs, box, clipboard, end});
    box.setParent(&form);
    form.show();
    return app.exec();
}
