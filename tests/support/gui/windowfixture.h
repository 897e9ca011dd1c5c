#pragma once

#include "controls/drivelist.h"
#include "controls/filelist.h"
#include "controls/folderlist.h"
#include "controls/listbox.h"
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "faultyfs.h"
#include "playedcalls.h"
#include "tempfolder.h"
#include "testsupport.h"
#include "window/form1.h"

#include <memory>
#include <QTest>

namespace tessaly::test {

// A Form1 with fake services over a given file system, shown offscreen.
struct Window {
    explicit Window(FileSystem& fs);
    ~Window();

    template <typename T> T* get(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            ADD_FAILURE() << "no control named " << name;
        return w;
    }
    QStringList texts(const char* listName) const;

    FakeMessageBox box;
    FakeClipboard clipboard;
    FakeProgramEnd end;
    std::unique_ptr<Form1> form;
};

// A window over a temporary folder of real files, with every service faked. The file system
// is the real one through PlayedCalls, which play another kind only when a test asks.
class WindowTest : public ::testing::Test {
protected:
    explicit WindowTest(const QStringList& files = {}) : folder(files), fs(calls), window(fs) {}

    Form1* form() const { return window.form.get(); }
    template <typename T> T* get(const char* name) const { return window.get<T>(name); }
    TextBox* text(const char* name) const { return get<TextBox>(name); }
    CheckBox* check(const char* name) const { return get<CheckBox>(name); }
    ListBox* list(const char* name) const { return get<ListBox>(name); }
    QStringList lines(const char* name) const { return window.texts(name); }
    DriveList* drives() const { return get<DriveList>("drvDrive"); }
    FolderList* dirDir() const { return get<FolderList>("dirDir"); }
    FileList* flFile() const { return get<FileList>("flFile"); }

    // Points the browser at the temp folder (or a folder below it).
    void showFolder(const QString& relative = {})
    {
        dirDir()->setPath((relative.isEmpty() ? folder.path() : folder.pathOf(relative)) + u'/');
    }
    // Opens a folder in the folder list the way the user does: pick its entry, press Enter.
    void openEntry(const QString& path)
    {
        FolderList* folders = dirDir();
        for (int row = 0; row < folders->model()->rowCount(); ++row) {
            if (folders->entryPath(row) == path) {
                folders->setCurrentIndex(folders->model()->index(row, 0));
                QTest::keyClick(folders, Qt::Key_Return);
                return;
            }
        }
        ADD_FAILURE() << "no entry " << path.toStdString();
    }
    void refresh() { QTest::mouseClick(get<QWidget>("cmdRefresh_2"), Qt::LeftButton); }
    void proceed() { QTest::mouseClick(get<QWidget>("cmdGo_0"), Qt::LeftButton); }
    // Selects the entries of lstChoice at these rows (and only those).
    void select(std::initializer_list<int> rows)
    {
        ListBox* l = list("lstChoice");
        l->clearSelection();
        for (int r : rows)
            l->setSelected(r, true);
    }
    // Shortcuts and the focus reach only the active window, and offscreen a shown window is
    // activated only once its events have been processed.
    void activate()
    {
        form()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form()));
    }

    TempFolder folder;
    PlayedCalls calls;
    FaultyFileSystem fs;
    Window window;
};

} // namespace tessaly::test
