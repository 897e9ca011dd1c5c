#include "controls/qtservices.h"
#include "core/names.h"
#include "core/posixfilesystem.h"
#include "window/form1.h"

#include <cstdio>
#include <QApplication>
#include <QCommandLineParser>

namespace {

// Usage and version need no window system: asked for, they are answered before one is opened,
// so they work in a terminal without a display too.
bool onlyPrints(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (arg == "--")
            return false;
        if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "-v" || arg == "--version")
            return true;
    }
    return false;
}

// The folder argument as the program carries paths, from its bytes: the arguments Qt hands on
// have bytes that are not UTF-8 replaced.
QByteArray argumentBytes(int argc, char* argv[], const QString& argument)
{
    for (int i = 1; i < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]) == argument)
            return QByteArray(argv[i]);
    return argument.toLocal8Bit();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renames many files at once."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FOLDER"),
        QStringLiteral("The folder to start in (for a file, its folder) rather than /."),
        QStringLiteral("[FOLDER]"));
    if (onlyPrints(argc, argv)) {
        const QCoreApplication app(argc, argv);
        parser.parse(QCoreApplication::arguments()); // Qt's window options are no error here
        if (parser.isSet(version) && !parser.isSet(help))
            parser.showVersion();
        parser.showHelp();
    }

    QApplication app(argc, argv); // takes Qt's own options out of argc and argv
    parser.process(app);
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1) {
        std::fputs("tessaly: one folder at most; see tessaly --help\n", stderr);
        return 1;
    }
    // Lets Wayland compositors find the desktop entry, and with it the icon and the name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessaly.Tessaly"));
    tessaly::PosixFileSystem fs;
    tessaly::QtMessageBoxService box;
    tessaly::QtClipboardService clipboard;
    tessaly::ProcessEnd end;
    tessaly::Form1 form({fs, box, clipboard, end});
    box.setParent(&form);
    app.setWindowIcon(form.windowIcon()); // for the message boxes too
    if (!folders.isEmpty()) {
        const QByteArray path = argumentBytes(argc, argv, folders.first());
        const QString reason = form.startIn(tessaly::decodePath(path));
        if (!reason.isEmpty()) // the window starts as without a folder
            std::fprintf(stderr, "tessaly: %s: %s\n", path.constData(),
                         reason.toLocal8Bit().constData());
    }
    form.show();
    return app.exec();
}
