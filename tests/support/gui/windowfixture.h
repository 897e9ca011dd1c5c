#pragma once

#include "faultyfs.h"
#include "folderlist.h"
#include "form1.h"
#include "listbox.h"
#include "simplecontrols.h"
#include "tempfolder.h"
#include "testsupport.h"
#include "textbox.h"

#include <memory>
#include <QTest>

namespace tessaly::test {

// A Form1 with fake services over a given file system, shown offscreen.
struct Window {
    explicit Window(FileSystem* fs = nullptr);
    ~Window();

    template <typename T> T* get(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            ADD_FAILURE() << "no control named " << name;
        return w;
    }
    QStringList texts(const char* listName) const;

    PosixFileSystem posix;
    FakeMessageBox box;
    FakeClipboard clipboard;
    FakeProgramEnd end;
    std::unique_ptr<QWidget> form;
};

// A window over a temporary folder of real files, with every service faked.
class WindowTest : public ::testing::Test {
protected:
    explicit WindowTest(const QStringList& files = {}) : folder(files), window(&fs) {}

    Form1* form() const { return static_cast<Form1*>(window.form.get()); }
    TextBox* text(const char* name) const { return window.get<TextBox>(name); }
    CheckBox* check(const char* name) const { return window.get<CheckBox>(name); }
    ListBox* list(const char* name) const { return window.get<ListBox>(name); }
    QStringList lines(const char* name) const { return window.texts(name); }

    // Points the browser at the temp folder (or a folder below it).
    void showFolder(const QString& relative = {})
    {
        window.get<FolderList>("dirDir")->setPath(
            (relative.isEmpty() ? folder.path() : folder.pathOf(relative)) + u'/');
    }
    void refresh() { QTest::mouseClick(window.get<QWidget>("cmdRefresh_2"), Qt::LeftButton); }
    void proceed() { QTest::mouseClick(window.get<QWidget>("cmdGo_0"), Qt::LeftButton); }
    // Selects the entries of lstChoice at these rows (and only those).
    void select(std::initializer_list<int> rows)
    {
        ListBox* l = list("lstChoice");
        l->clearSelection();
        for (int r : rows)
            l->setSelected(r, true);
    }

    TempFolder folder;
    FaultyFileSystem fs;
    Window window;
};

} // namespace tessaly::test
