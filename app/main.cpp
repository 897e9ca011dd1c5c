#include "controls/qtservices.h"
#include "core/posixfilesystem.h"
#include "window/form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Lets Wayland compositors find the desktop entry, and with it the icon and the name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessaly.Tessaly"));
    tessaly::PosixFileSystem fs;
    tessaly::QtMessageBoxService box;
    tessaly::QtClipboardService clipboard;
    tessaly::ProcessEnd end;
    tessaly::Form1 form({fs, box, clipboard, end});
    box.setParent(&form);
    app.setWindowIcon(form.windowIcon()); // for the message boxes too
    form.show();
    return app.exec();
}
