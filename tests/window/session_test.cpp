// Random user sessions through the real window, on real folders that another program changes
// between the user's actions: typing, pasting and deleting in the text boxes, the rule boxes,
// narrowing and copying the chosen files, PROCEED, REFRESH, undo and redo, the pass over the
// subfolders, the folder and drive lists, the mask and drops. After every action: the program was
// not ended; the preview has a line per chosen file when a preview ran since the chosen files last
// changed, and none when they were filled afresh since; every file's content is on disk exactly
// once, in its folder; every "renamed to" line of a run is true of the disk; the browser shows a
// readable folder (unless the other program took it away and nothing read a folder since) and
// "Directory" shows the active folder.
//
// The seed is printed; TESSALY_SESSION_SEED repeats a session, TESSALY_SESSION_ACTIONS sets its
// length and TESSALY_SESSION_TRACE=1 prints each action as it starts.
#include "controls/droppoint.h"
#include "core/dragdata.h"
#include "randomcases.h"
#include "windowfixture.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <iostream>
#include <map>
#include <optional>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

#ifdef __SANITIZE_ADDRESS__
constexpr int DefaultActions = 2500; // the sanitizers make every action two to three times slower
#else
constexpr int DefaultActions = 6500; // about a minute
#endif

// Whether the other program puts a folder in the place of a chosen file. PROCEED and undo then
// rename that folder, contents and all, within its parent and say so in the log: a rename
// moves whatever entry has the name, and asking each entry's kind first would cost a fifth of
// the renames on tmpfs. Off, since the model would count the folder's files as moved. The
// other folders it makes get names no file has ("§ ...").
constexpr bool foldersTakeFilesPlaces = false;

using Folder = QMap<QByteArray, QByteArray>; // name -> content, folderMark for a folder
using Tree = std::map<QByteArray, Folder>;   // folder below the session's ("" for itself)
using Contents = std::map<QByteArray, QList<QByteArray>>; // folder -> its files' contents

QByteArray below(const QByteArray& folder, const QByteArray& name)
{
    return folder.isEmpty() ? name : name.isEmpty() ? folder : folder + '/' + name;
}

// A folder of more files than a run shares with a second thread. Only runs and the other
// program change a folder, so it is read again only after those that were in it.
const QByteArray many = "Many";

Tree readTree(const QByteArray& root, const Tree& before, bool manyChanged)
{
    Tree tree;
    QList<QByteArray> todo{QByteArray()};
    while (!todo.isEmpty()) {
        const QByteArray folder = todo.takeLast();
        const Folder& entries = tree[folder] = folder == many && !manyChanged && before.count(many)
                                                   ? before.at(many)
                                                   : readEntries(decodePath(below(root, folder)));
        for (auto it = entries.begin(); it != entries.end(); ++it)
            if (it.value() == folderMark)
                todo.append(below(folder, it.key()));
    }
    return tree;
}

QList<QByteArray> filesOf(const Folder& folder, bool contents)
{
    QList<QByteArray> out;
    for (auto it = folder.begin(); it != folder.end(); ++it)
        if (it.value() != folderMark)
            out.append(contents ? it.value() : it.key());
    return out;
}

bool canList(const QString& path)
{
    DIR* d = opendir(encodePath(path).constData());
    if (d)
        closedir(d);
    return d != nullptr;
}

QString place(const QByteArray& folder)
{
    return folder.isEmpty() ? QStringLiteral(".") : shown(folder);
}

const char* const words[] = {"Дорога",   "Ωμέγα",    "שיר",  "أغنية",    "歌曲",
                             "गीत",      "เพลง",     "노래", "straße",   "😀🎵",
                             "track_01", "A Side_b", "x",    "İstanbul", "e\u0301te"};
const char* const suffixes[] = {".mp3", ".mp3", ".MP3", ".Mp3", ".txt", "", "."};
const char* const notUtf8[] = {"\xe9", "\xff", "\xc3", "\x80\x80"};
const char* const masks[] = {"*",   "*",     "*.mp3",  "*.MP3", "?*",   "",
                             "*_*", "*.txt", "*.m;p3", "*Д*",   "../*", "*.?p3"};
// Numbers, huge ones, blanks, emoji and pieces of names.
const char* const texts[] = {"0",     "3",      "-1", "12", "99999", "1e5", "-40000",
                             "32768", "&HFFFF", " ",  "  ", "😀",     "🎵🇩🇪", "_",
                             ".",     ".mp3",   "/",  "..", "MP3",   "歌",  " _ "};
const char* const ruleBoxes[] = {"txtFrom", "txtTo",   "txtWith2", "txtRepl",
                                 "txtWith", "txtEras", "txtAdd",   "txtAft"};
const char* const checkBoxes[] = {"chkRepl2", "chkRepl", "chkEras", "chkAll",
                                  "chkAdd",   "chkCapi", "chkUp",   "chkLow"};
const char* const clearedByProceed[] = {"chkAdd",  "chkCapi",  "chkEras", "chkLow",
                                        "chkRepl", "chkRepl2", "chkUp"};

// What a crash prints: the seed and the last actions, written before each action.
char crashNote[8192];
struct sigaction before[32];
void onCrash(int sig, siginfo_t* info, void*)
{
    const ssize_t ignored = ::write(2, crashNote, strlen(crashNote));
    (void)ignored;
    sigaction(sig, &before[sig], nullptr); // then the signal as it was (a sanitizer's report)
    if (info->si_code <= 0)
        raise(sig); // sent, not a fault that comes again on return
}

} // namespace

class SessionTest : public WindowTest {
protected:
    // What an action did, as far as the checks need it.
    struct Effects {
        bool previewed = false; // a preview ran, after any refill of the chosen files
        bool refilled = false;  // the chosen files were filled afresh
        bool run = false;       // PROCEED, or an undo or redo that ran
        std::optional<QByteArray> runFolder = {};
    };

    // ---- the session's folders, and the other program -----------------------------------

    QByteArray full(const QByteArray& folder, const QByteArray& name = {}) const
    {
        return below(below(root, folder), name);
    }
    QString pathOf(const QByteArray& folder) const { return decodePath(full(folder)); }
    std::optional<QByteArray> folderOf(const QString& path) const
    {
        const QByteArray p = encodePath(normalFolderPath(path));
        if (p == root || p.startsWith(root + '/'))
            return p.mid(root.size() + 1);
        return std::nullopt;
    }
    QByteArray someFolder(double shownChance)
    {
        const auto shown = folderOf(dirDir()->Path());
        if (shown && disk.count(*shown) && rnd.chance(shownChance))
            return *shown;
        return std::next(disk.begin(), rnd.below(int(disk.size())))->first;
    }
    bool make(const QByteArray& folder, const QByteArray& name, const QByteArray& content)
    {
        if (!createEntry(pathOf(folder), name, content))
            return false;
        if (content == folderMark)
            model[below(folder, name)];
        else
            model[folder].append(content);
        return true;
    }
    QByteArray content() { return rnd.chance(0.05) ? "" : "content " + QByteArray::number(++made); }
    QByteArray newName()
    {
        QString n = rnd.chance(0.4) ? QString::fromUtf8(rnd.pick(words)) : rnd.pieceText(4);
        if (rnd.chance(0.3))
            n += QString::number(rnd.below(20));
        QByteArray b = (n + QString::fromUtf8(rnd.pick(suffixes))).toUtf8();
        if (rnd.chance(0.12))
            b.insert(rnd.below(int(b.size()) + 1), rnd.pick(notUtf8));
        return b.isEmpty() || b.startsWith('.') ? 'x' + b : b;
    }
    QByteArray folderName() { return "\xc2\xa7 " + newName(); }
    // A name that the rules may turn into the name of a file of the folder, or the other way.
    QByteArray collidingName(const QByteArray& folder)
    {
        const QList<QByteArray> files = filesOf(disk[folder], false);
        if (files.isEmpty() || rnd.chance(0.3))
            return newName();
        QString n = QString::fromUtf8(files[rnd.below(int(files.size()))]);
        const int how = rnd.below(4);
        n = how == 0   ? n.replace(u'_', u' ')
            : how == 1 ? n.toLower()
            : how == 2 ? n.left(1).toUpper() + n.mid(1)
                       : n.replace(QStringLiteral(".mp3"), QStringLiteral(".MP3"));
        return n.toUtf8();
    }

    void makeFolders()
    {
        const QByteArray folders[] = {"",        "Album_One",    "Album_One/CD 1",
                                      "Дорога",  "caf\xe9 \xff", "歌",
                                      "歌/深い", "Card",         "Card/deep"};
        for (const QByteArray& f : folders) { // first, so that no file takes a folder's name
            model[f];
            ASSERT_TRUE(f.isEmpty() || ::mkdir(full(f).constData(), 0755) == 0) << f.data();
        }
        ASSERT_EQ(::mkdir(full(many).constData(), 0755), 0);
        for (const QByteArray& f : folders) {
            for (int k = 3 + rnd.below(5); k > 0; --k) {
                disk[f] = readEntries(pathOf(f));
                make(f, collidingName(f), content());
            }
        }
        for (int k = 2100 + rnd.below(400); k > 0; --k)
            make(many, QByteArray::number(k) + (rnd.chance(0.5) ? "_" : " ") + newName(),
                 content());
        for (const char* f : {"Album_One", "Card/deep"}) // large files, a few MB
            make(f, "big_" + newName(),
                 content() + QByteArray(2 * 1024 * 1024 + rnd.below(1024 * 1024), 'x'));
        fs.extraVolumes = {{pathOf("Card"), QStringLiteral("CARD")}};
        disk = readTree(root, {}, true);
    }

    // Another program at work between two actions of the user: files and folders made, removed
    // and renamed, the shown folder now and then among them. The model follows what it did.
    void meddle()
    {
        QList<std::pair<QByteArray, QByteArray>> files; // folder, name
        for (const auto& [folder, entries] : disk)
            for (const QByteArray& name : filesOf(entries, false))
                if (folder != many)
                    files.append({folder, name});
        const auto shownFolder = folderOf(dirDir()->Path());
        const QList<FileEntry> chosen = list("lstChoice")->entries();
        const QByteArray aChosen =
            chosen.isEmpty() ? QByteArray() : chosen[rnd.below(int(chosen.size()))].bytes();
        const bool chosenThere = shownFolder && disk.count(*shownFolder) &&
                                 disk[*shownFolder].contains(aChosen) &&
                                 disk[*shownFolder][aChosen] != folderMark;
        int op = rnd.below(10);
        if (files.size() < 25)
            op = 0;
        else if (disk.size() < 5 || (disk.size() > 30 && op == 5))
            op = disk.size() < 5 ? 5 : 6;
        else if (files.size() > 90 && op < 2)
            op = 2;
        QString did;
        if (op < 2) { // a new file, often under a name the preview shows
            const QByteArray f = someFolder(0.7);
            const QStringList preview = lines("lstPreview");
            const QByteArray name = !preview.isEmpty() && rnd.chance(0.4)
                                        ? encodePath(preview[rnd.below(int(preview.size()))])
                                        : collidingName(f);
            if (make(f, name, content()))
                did = QStringLiteral("made file %1 in %2").arg(shown(name), place(f));
        } else if (op < 5) { // a file removed, often a chosen one, or renamed or moved
            auto [f, name] = files[rnd.below(int(files.size()))];
            if (chosenThere && rnd.chance(0.5))
                f = *shownFolder, name = aChosen;
            const QByteArray to = op < 4 || rnd.chance(0.7) ? f : someFolder(0.3);
            const QByteArray newer = collidingName(to);
            if (op < 4 && ::unlink(full(f, name).constData()) == 0) {
                model[f].removeOne(disk[f][name]);
                did = QStringLiteral("removed file %1 in %2").arg(shown(name), place(f));
            } else if (op == 4 && renameat2(AT_FDCWD, full(f, name).constData(), AT_FDCWD,
                                            full(to, newer).constData(), RENAME_NOREPLACE) == 0) {
                model[f].removeOne(disk[f][name]);
                model[to].append(disk[f][name]);
                did = QStringLiteral("renamed file %1 in %2 to %3 in %4")
                          .arg(shown(name), place(f), shown(newer), place(to));
            }
        } else if (op == 5) { // a new folder with a file in it
            const QByteArray f = someFolder(0.5);
            const QByteArray name = folderName();
            if (make(f, name, folderMark) && make(below(f, name), newName(), content()))
                did = QStringLiteral("made folder %1 in %2").arg(shown(name), place(f));
        } else if (op < 8) { // a folder removed or moved, now and then the shown one
            const QByteArray f = someFolder(op == 6 ? 0.3 : 0.2);
            const QByteArray to = below(someFolder(0.0), folderName());
            if (f.isEmpty() || f == many) {
            } else if (op == 6) {
                removeEntries(pathOf(f));
                if (::rmdir(full(f).constData()) == 0)
                    did = QStringLiteral("removed folder %1").arg(shown(f));
            } else if (renameat2(AT_FDCWD, full(f).constData(), AT_FDCWD, full(to).constData(),
                                 RENAME_NOREPLACE) == 0) {
                did = QStringLiteral("moved folder %1 to %2").arg(shown(f), shown(to));
            }
            Contents kept;
            for (auto& [k, v] : model)
                if (k != f && !k.startsWith(f + '/'))
                    kept[k] = v;
                else if (!did.isEmpty() && op == 7)
                    kept[to + k.mid(f.size())] = v;
            if (!did.isEmpty())
                model = std::move(kept);
        } else if (foldersTakeFilesPlaces && chosenThere &&
                   ::unlink(full(*shownFolder, aChosen).constData()) == 0) {
            model[*shownFolder].removeOne(disk[*shownFolder][aChosen]);
            make(*shownFolder, aChosen, folderMark);
            did = QStringLiteral("put a folder in the place of %1").arg(shown(aChosen));
        }
        manyChanged = manyChanged || did.contains(QString::fromLatin1(many));
        disk = readTree(root, disk, std::exchange(manyChanged, false));
        if (did.isEmpty())
            return;
        ++counts[QStringLiteral("other program")];
        note(QStringLiteral("(another program) ") + did);
        shownGone = shownGone || !canList(dirDir()->Path());
    }

    // ---- input through the window ---------------------------------------------------------

    void click(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(form()->windowHandle(), button, keys, target->mapTo(form(), at));
    }
    void key(QWidget* target, Qt::Key k, Qt::KeyboardModifiers keys = {})
    {
        QTest::keyClick(target, k, keys);
    }
    // Types as a keyboard does: a key per character, a whole emoji in one key.
    void type(QWidget* box, const QString& text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QString c = text.mid(i, text[i].isHighSurrogate() ? 2 : 1);
            i += c.size() - 1;
            if (c[0] > u' ' && c[0] < QChar(127))
                QTest::keyClick(box, c[0].toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, box, c == u" " ? Qt::Key_Space : Qt::Key_unknown,
                                    c, Qt::NoModifier);
        }
    }
    QString typedText()
    {
        if (rnd.chance(0.1)) { // 300 characters
            QString t;
            while (t.size() < 300)
                t += rnd.pieceText(4) + u'x';
            t.truncate(300);
            return t.back().isHighSurrogate() ? t.chopped(1) : t;
        }
        return rnd.chance(0.5) ? QString::fromUtf8(rnd.pick(texts)) : rnd.pieceText(3);
    }
    // A click on a button, or its Alt key wherever the focus is.
    void press(const char* name, Qt::Key mnemonic)
    {
        auto* button = get<QPushButton>(name);
        if (rnd.chance(0.9)) {
            click(button, button->rect().center());
            return note(QStringLiteral("clicked ") + button->text());
        }
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : form();
        key(focus, mnemonic, Qt::AltModifier);
        note(QStringLiteral("Alt+%1 in %2").arg(QChar(mnemonic), focus->objectName()));
        while (button->isDown()) // the key lets the button go a moment later: the click comes then
            QTest::qWait(10);
    }
    // Opens a list's popup menu with the right button and clicks one of its items.
    void fromMenu(QAbstractScrollArea* list, const char* menuName, const char* item)
    {
        auto* menu = get<QMenu>(menuName);
        QAction* action = menu->findChild<QAction*>(QString::fromLatin1(item));
        click(list->viewport(), QPoint(20, 10), Qt::RightButton);
        if (menu->isVisible() && menu->windowHandle())
            QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {},
                              menu->actionGeometry(action).center());
        else
            action->trigger();
        if (menu->isVisible())
            menu->close(); // a disabled item leaves it open
    }

    // A drop on the drop point as the platform delivers it: an enter, then the drop.
    void drop(const QMimeData& data)
    {
        auto* point = get<DropPoint>("picDragDrop");
        const QPoint at = point->rect().center();
        const Qt::DropActions effects = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(at, effects, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(point, &enter);
        QDropEvent dropped(QPointF(at), effects, &data, Qt::LeftButton, Qt::NoModifier);
        if (enter.isAccepted())
            QApplication::sendEvent(point, &dropped);
    }

    // ---- the user's actions ---------------------------------------------------------------

    Effects edit()
    {
        static const char* const others[] = {"txtFilter", "txtDir", "txtEx"};
        const bool rule = rnd.chance(0.9);
        const char* name = rule ? rnd.pick(ruleBoxes) : rnd.pick(others);
        TextBox* box = text(name);
        int edits = 0;
        const auto counting = QObject::connect(box, &QLineEdit::textChanged, [&] { ++edits; });
        click(box, QPoint(rnd.below(box->width()), box->height() / 2));
        const QString t = typedText();
        QString what = QStringLiteral("typed \"%1\"").arg(t);
        switch (rnd.below(5)) {
        case 0:
            key(box, Qt::Key_A, Qt::ControlModifier);
            [[fallthrough]];
        case 1:
            type(box, t);
            break;
        case 2:
            QGuiApplication::clipboard()->setText(t);
            key(box, Qt::Key_V, Qt::ControlModifier);
            what = QStringLiteral("pasted \"%1\"").arg(t);
            break;
        case 3:
            for (int k = 1 + rnd.below(4); k > 0; --k)
                key(box, Qt::Key_Backspace);
            what = QStringLiteral("backspaced");
            break;
        default:
            key(box, Qt::Key_A, Qt::ControlModifier);
            key(box, Qt::Key_Delete);
            what = QStringLiteral("emptied");
        }
        QObject::disconnect(counting);
        note(what + QStringLiteral(" in ") + QString::fromLatin1(name));
        return {.previewed = rule && edits > 0};
    }

    Effects box()
    {
        const char* name = rnd.pick(checkBoxes);
        CheckBox* b = check(name);
        const int was = b->Value();
        if (rnd.chance(0.7)) {
            click(b, QPoint(6, b->height() / 2));
        } else {
            b->setFocus();
            key(b, Qt::Key_Space);
        }
        note(QStringLiteral("clicked ") + QString::fromLatin1(name));
        EXPECT_NE(b->Value(), was) << name << " did not change";
        return {.previewed = true};
    }

    void select()
    {
        ListBox* l = list("lstChoice");
        const int count = int(l->ListCount());
        const int how = count == 0 ? 0 : rnd.below(4);
        if (how < 2) { // rows at random, none now and then, through the selection model
            QItemSelection s;
            const double p = how == 0 ? 0.0 : rnd.chance(0.5) ? 0.2 : 0.7;
            for (int r = 0; r < count; ++r)
                if (rnd.chance(p))
                    s.select(l->model()->index(r, 0), l->model()->index(r, 0));
            l->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect);
        } else if (how == 2) { // a click on a row in sight, alone, with Ctrl or with Shift
            static const Qt::KeyboardModifiers keys[] = {
                {}, Qt::ControlModifier, Qt::ShiftModifier};
            const QRect at = l->visualRect(l->model()->index(std::min(count - 1, rnd.below(8)), 0));
            if (l->viewport()->rect().contains(at.center()))
                click(l->viewport(), at.center(), Qt::LeftButton, rnd.pick(keys));
        } else {
            l->setFocus();
            key(l, Qt::Key_A, Qt::ControlModifier);
        }
        note(QStringLiteral("selected %1 of %2 chosen files (way %3)")
                 .arg(l->selectionModel()->selectedRows().size())
                 .arg(count)
                 .arg(how));
    }

    // Delete or Crop by key or by the menu, or Copy, often after selecting afresh.
    Effects narrow()
    {
        if (rnd.chance(0.5))
            select();
        ListBox* l = list("lstChoice");
        const int how = rnd.below(5);
        if (how == 4) {
            QStringList selected;
            const std::vector<bool> flags = l->selectedFlags();
            for (size_t i = 0; i < flags.size(); ++i)
                if (flags[i])
                    selected.append(l->List(qsizetype(i)));
            const QString want = selected.isEmpty() ? window.clipboard.content
                                                    : selected.join(QStringLiteral("\r\n"));
            fromMenu(l, "mnuPopUplstChoice", "mnuPopUplstChoiceCopy");
            note(QStringLiteral("copied %1 names").arg(selected.size()));
            EXPECT_EQ(window.clipboard.content, want);
            return {};
        }
        const bool crop = how % 2;
        if (how < 2) {
            l->setFocus();
            key(l, crop ? Qt::Key_Space : Qt::Key_Delete);
        } else {
            fromMenu(l, "mnuPopUplstChoice",
                     crop ? "mnuPopUplstChoiceCrop" : "mnuPopUplstChoiceDel");
        }
        note(crop ? QStringLiteral("cropped") : QStringLiteral("deleted the selected"));
        return {.previewed = true};
    }

    // Whether a rule box is ticked: clearing it after PROCEED runs a preview.
    bool anyRuleTicked()
    {
        bool ticked = false;
        for (const char* b : clearedByProceed)
            ticked = ticked || check(b)->Value() == 1;
        return ticked;
    }

    Effects proceed()
    {
        const auto folder = folderOf(form()->ActDir());
        if (!folder) // never on the machine's own folders
            return dropSomething();
        const bool ticked = anyRuleTicked();
        press("cmdGo_0", Qt::Key_P);
        return {.previewed = ticked, .refilled = true, .run = true, .runFolder = folder};
    }

    // The pass over the active folder and its subfolders: opened from the folder list's menu or
    // with Ctrl+Shift+P, some rows taken out, then PROCEED, or Cancel or Escape.
    Effects tree()
    {
        const auto folder = folderOf(form()->ActDir());
        if (!folder) // never on the machine's own folders
            return dropSomething();
        const bool ticked = anyRuleTicked();
        bool proceeded = false;
        QString what;
        // The dialog is driven as soon as it is up (the menu's own events come first).
        QTimer driver;
        driver.setInterval(5);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != u"frmTree")
                return;
            driver.stop();
            auto* sum = dialog->findChild<QLabel*>(QStringLiteral("lblTreeSum"));
            if (rnd.chance(0.1) || !QTest::qWaitFor([&] { return !sum->text().isEmpty(); })) {
                what = QStringLiteral("cancelled while reading");
                return dialog->reject();
            }
            auto* view = dialog->findChild<QTreeView*>(QStringLiteral("lstTree"));
            const int rows = view->model()->rowCount();
            for (int k = rows > 0 ? rnd.below(3) : 0; k > 0; --k) {
                view->setFocus();
                view->setCurrentIndex(
                    view->model()->index(rnd.below(view->model()->rowCount()), 0));
                key(view, Qt::Key_Delete);
                if (view->model()->rowCount() == 0)
                    break;
            }
            what = sum->text();
            if (rnd.chance(0.2)) {
                what += QStringLiteral(", cancelled");
                return rnd.chance(0.5)
                           ? key(dialog, Qt::Key_Escape)
                           : dialog->findChild<QPushButton*>(QStringLiteral("cmdTreeCancel"))
                                 ->click();
            }
            auto* go = dialog->findChild<QPushButton*>(QStringLiteral("cmdTreeGo"));
            if (!go->isEnabled())
                return dialog->reject();
            proceeded = true;
            go->click();
        });
        driver.start();
        if (rnd.chance(0.5)) {
            fromMenu(dirDir(), "mnuPopUpdirDir", "mnuPopUpdirDirTree");
        } else {
            QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : form();
            key(focus, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        }
        driver.stop();
        note(QStringLiteral("pass over the subfolders: ") + what);
        if (!proceeded)
            return {};
        return {.previewed = ticked, .refilled = true, .run = true};
    }

    Effects refresh()
    {
        press("cmdRefresh_2", Qt::Key_R);
        return {.refilled = true};
    }

    Effects history(const char* item, Qt::KeyboardModifiers shift)
    {
        auto* action =
            get<QMenu>("mnuPopUplstResult")->findChild<QAction*>(QString::fromLatin1(item));
        const bool ran = action->isEnabled();
        if (rnd.chance(0.5)) {
            fromMenu(list("lstResult"), "mnuPopUplstResult", item);
            note(QStringLiteral("menu ") + action->text());
        } else { // the keys, outside the text boxes
            static const char* const places[] = {"lstChoice", "lstResult", "lstPreview", "dirDir",
                                                 "flFile",    "drvDrive",  "cmdGo_0",    "chkCapi"};
            QWidget* focus = get<QWidget>(rnd.pick(places));
            focus->setFocus();
            key(focus, Qt::Key_Z, Qt::ControlModifier | shift);
            note(QStringLiteral("Ctrl+%1Z in %2")
                     .arg(shift ? QStringLiteral("Shift+") : QString(), focus->objectName()));
        }
        // The browser shows the folder the renames were in again; the renames of a pass over
        // the subfolders were in many.
        return {.previewed = ran, .refilled = ran, .run = ran};
    }

    // A folder of the session or above it, by Enter or a double click, or another drive.
    Effects open()
    {
        if (rnd.chance(0.25)) {
            static const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End};
            drives()->setFocus();
            key(drives(), rnd.pick(keys));
            note(QStringLiteral("drive ") + drives()->Drive());
            return {};
        }
        FolderList* d = dirDir();
        QList<int> rows;
        for (int r = 0; r < d->model()->rowCount(); ++r) {
            const QByteArray p = encodePath(d->entryPath(r));
            if (folderOf(d->entryPath(r)) || root.startsWith(p == "/" ? p : p + '/'))
                rows.append(r);
        }
        if (rows.isEmpty())
            return dropSomething();
        const QModelIndex row = d->model()->index(rows[rnd.below(int(rows.size()))], 0);
        const QRect at = d->visualRect(row);
        if (rnd.chance(0.3) && d->viewport()->rect().contains(at.center())) {
            QTest::mouseDClick(form()->windowHandle(), Qt::LeftButton, {},
                               d->viewport()->mapTo(form(), at.center()));
        } else {
            d->setFocus();
            d->setCurrentIndex(row);
            key(d, Qt::Key_Return);
        }
        note(QStringLiteral("opened ") + d->entryPath(row.row()));
        return {};
    }

    Effects mask()
    {
        TextBox* box = text("txtFilter");
        click(box, box->rect().center());
        key(box, Qt::Key_A, Qt::ControlModifier);
        const QString m = QString::fromUtf8(rnd.pick(masks));
        if (m.isEmpty())
            key(box, Qt::Key_Delete);
        type(box, m);
        note(QStringLiteral("mask \"%1\"").arg(m));
        return {};
    }

    // A drop of folders of the session (often the one shown, now and then with a "/"), files,
    // several items, other machines' URLs or plain text.
    Effects dropSomething()
    {
        QList<QByteArray> files;
        for (const auto& [folder, entries] : disk)
            for (const QByteArray& name : filesOf(entries, false))
                files.append(below(folder, name));
        const auto folderUrl = [&] { return fileUrlOf(pathOf(someFolder(0.3))); };
        const auto fileUrl = [&] { return fileUrlOf(pathOf(files[rnd.below(int(files.size()))])); };
        static const char* const remote[] = {"https://example.com/music/",
                                             "file://otherhost/tmp/music"};
        QByteArray urls;
        QMimeData data;
        const int kind = files.isEmpty() ? 0 : rnd.below(10);
        if (kind < 5)
            urls = folderUrl() + (rnd.chance(0.2) ? "/" : "");
        else if (kind < 7)
            urls = kind == 5 ? fileUrl() : folderUrl() + "\r\n" + fileUrl();
        else if (kind == 7)
            urls = rnd.pick(remote);
        else
            data.setText(rnd.chance(0.5) ? pathOf(someFolder(0.5)) : typedText());
        if (kind == 6 && rnd.chance(0.5)) // the first counts: a file first goes to the root
            urls = fileUrl() + "\r\n" + folderUrl();
        if (!urls.isEmpty())
            data.setData(QStringLiteral("text/uri-list"), urls + "\r\n");
        drop(data);
        note(QStringLiteral("dropped ") + (urls.isEmpty() ? data.text() : QString::fromUtf8(urls)));
        slashKept = true;
        return {};
    }

    // ---- the checks -----------------------------------------------------------------------

    // Every "renamed to" line of the run: in the folder it renamed in, a file under the new name
    // holds what the old name held before the run. Names may hold quotes, so every way of
    // reading the line counts; a name stands for the entries that show as it.
    QStringList checkRenames(const Tree& was, const Effects& effects)
    {
        QStringList problems;
        const QString head = QStringLiteral("File \""), middle = QStringLiteral("\" renamed to \"");
        // A folder's files by the texts that stand for them: their bytes as a new name's text
        // gives them, or as they are shown.
        const auto byName = [](const Folder& f) {
            QMultiHash<QString, QByteArray> out;
            for (const QByteArray& n : filesOf(f, false))
                out.insert(decodeFileName(n.constData(), n.size()).name, n);
            return out;
        };
        const auto named = [](const QMultiHash<QString, QByteArray>& index, const Folder& f,
                              const QString& name) {
            QList<QByteArray> out = index.values(name);
            if (f.contains(encodePath(name)) && !out.contains(encodePath(name)))
                out.append(encodePath(name));
            return out;
        };
        using Index = std::pair<QMultiHash<QString, QByteArray>, QMultiHash<QString, QByteArray>>;
        std::map<QByteArray, Index> names;
        for (const auto& [folder, after] : disk)
            if ((!effects.runFolder || folder == *effects.runFolder) && was.count(folder))
                names[folder] = {byName(was.at(folder)), byName(after)};
        const QStringList log = lines("lstResult");
        for (qsizetype i = 0; i < log.size(); ++i) {
            const QString& line = log[i];
            if (!line.startsWith(head) || !line.endsWith(u'"') || !line.contains(middle))
                continue;
            ++counts[QStringLiteral("renamed lines checked")];
            const QString body = line.mid(head.size(), line.size() - head.size() - 1);
            bool truth = false;
            for (const auto& [folder, index] : names) {
                const Folder &before = was.at(folder), &after = disk.at(folder);
                for (qsizetype at = body.indexOf(middle); at >= 0 && !truth;
                     at = body.indexOf(middle, at + 1))
                    for (const QByteArray& o : named(index.first, before, body.left(at)))
                        for (const QByteArray& n :
                             named(index.second, after, body.mid(at + middle.size())))
                            truth = truth || after[n] == before[o];
            }
            if (!truth)
                problems.append(QStringLiteral("log line %1 is not true of the disk: ").arg(i) +
                                line);
        }
        return problems;
    }

    QStringList verify(const Tree& was, const Effects& effects, bool browserRead)
    {
        QStringList problems;
        if (window.end.ends != 0)
            problems.append(QStringLiteral("the program was ended"));
        if (QWidget* popup = QApplication::activePopupWidget())
            problems.append(QStringLiteral("a popup stayed open: ") + popup->objectName());
        if (QWidget* modal = QApplication::activeModalWidget())
            problems.append(QStringLiteral("a dialog stayed open: ") + modal->objectName());
        const qsizetype chosen = list("lstChoice")->ListCount();
        const qsizetype previewed = list("lstPreview")->ListCount();
        if (preview == Preview::Shown && previewed != chosen)
            problems.append(QStringLiteral("the preview has %1 lines for %2 chosen files")
                                .arg(previewed)
                                .arg(chosen));
        if (preview == Preview::Emptied && previewed != 0)
            problems.append(
                QStringLiteral("the chosen files were filled afresh, yet the preview has %1 lines")
                    .arg(previewed));

        const bool ranInMany = effects.run && (!effects.runFolder || *effects.runFolder == many);
        disk = readTree(root, disk, std::exchange(manyChanged, false) || ranInMany);
        for (const auto& [folder, entries] : disk)
            if (!model.count(folder))
                problems.append(QStringLiteral("a folder %1 appeared").arg(place(folder)));
        for (auto& [folder, want] : model) {
            QList<QByteArray> have =
                disk.count(folder) ? filesOf(disk[folder], true) : QList<QByteArray>();
            std::sort(want.begin(), want.end());
            std::sort(have.begin(), have.end());
            if (!disk.count(folder))
                problems.append(QStringLiteral("folder %1 is gone").arg(place(folder)));
            else if (want != have) {
                QStringList lost, extra;
                for (const QByteArray& c : want)
                    if (!have.removeOne(c))
                        lost.append(QString::fromUtf8(c.left(24)));
                for (const QByteArray& c : have)
                    extra.append(QString::fromUtf8(c.left(24)));
                problems.append(QStringLiteral("in folder %1: lost {%2}, more than before {%3}")
                                    .arg(place(folder), lost.join(u','), extra.join(u',')));
            }
        }

        if (effects.run)
            problems += checkRenames(was, effects);
        const QString path = dirDir()->Path();
        if ((browserRead || !shownGone) && !canList(path))
            problems.append(QStringLiteral("the browser shows %1, which cannot be read").arg(path));
        const QString dir = text("txtDir")->Text(), act = form()->ActDir();
        if (dir != act && !(slashKept && normalFolderPath(act) == dir))
            problems.append(
                QStringLiteral("Directory shows %1, the active folder is %2").arg(dir, act));
        return problems;
    }

    void note(const QString& what)
    {
        recent.append(what);
        if (recent.size() > 12)
            recent.removeFirst();
        if (qEnvironmentVariableIsSet("TESSALY_SESSION_TRACE"))
            std::cout << what.toStdString() << std::endl;
    }

    Random rnd{0};
    QByteArray root;
    Contents model; // the contents each folder must hold
    Tree disk;      // as last read
    int made = 0;
    enum class Preview { Shown, Emptied } preview = Preview::Emptied;
    bool shownGone = false; // the other program took the shown folder away
    bool slashKept = false; // a drop may have left ActDir with a trailing "/"
    bool manyChanged = false;
    QStringList recent; // the last actions
    QMap<QString, int> counts;
};

TEST_F(SessionTest, RandomActionsKeepEveryFileAndTheWindowTrue)
{
    const QByteArray seedText = qgetenv("TESSALY_SESSION_SEED");
    const quint64 seed = seedText.isEmpty() ? std::random_device()() : seedText.toULongLong();
    const int actions = qEnvironmentVariableIsSet("TESSALY_SESSION_ACTIONS")
                            ? qEnvironmentVariableIntValue("TESSALY_SESSION_ACTIONS")
                            : DefaultActions;
    std::cout << "session seed " << seed << " (TESSALY_SESSION_SEED repeats it), " << actions
              << " actions\n";
    rnd = Random(seed);
    root = encodePath(folder.path());
    makeFolders();
    for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) {
        struct sigaction a = {};
        a.sa_sigaction = onCrash;
        a.sa_flags = SA_SIGINFO;
        sigaction(sig, &a, &before[sig]);
    }
    // The error report: Retry or Ignore at random, Ignore after three Retries of one box.
    QString lastBox;
    int retries = 0;
    window.box.whileShown = [&] {
        const QString& text = window.box.errors.last().text;
        retries = text == lastBox ? retries : 0;
        lastBox = text;
        const bool retry = retries < 3 && rnd.chance(0.5);
        retries += retry;
        window.box.answers = {retry ? MessageBoxService::Retry : MessageBoxService::Ignore};
    };
    int fileListChanges = 0, folderChanges = 0;
    QObject::connect(flFile(), &FileList::PathChange, [&] { ++fileListChanges; });
    QObject::connect(flFile(), &FileList::PatternChange, [&] { ++fileListChanges; });
    QObject::connect(dirDir(), &FolderList::Change, [&] { ++folderChanges; });

    using Action = std::function<Effects()>;
    const struct {
        const char* name;
        int weight;
        Action act;
    } kinds[] = {{"edit", 24, [&] { return edit(); }},
                 {"box", 10, [&] { return box(); }},
                 {"select", 6, [&] { return select(), Effects(); }},
                 {"narrow", 9, [&] { return narrow(); }},
                 {"proceed", 9, [&] { return proceed(); }},
                 {"refresh", 3, [&] { return refresh(); }},
                 {"undo", 5, [&] { return history("mnuPopUplstResultUndo", {}); }},
                 {"redo", 4, [&] { return history("mnuPopUplstResultRedo", Qt::ShiftModifier); }},
                 {"open", 12, [&] { return open(); }},
                 {"mask", 3, [&] { return mask(); }},
                 {"drop", 6, [&] { return dropSomething(); }},
                 {"tree", 2, [&] { return tree(); }}};
    int total = 0;
    for (const auto& k : kinds)
        total += k.weight;

    activate();
    mask();
    QMimeData start; // the session's folder, dropped
    start.setData(QStringLiteral("text/uri-list"), fileUrlOf(folder.path()) + "\r\n");
    drop(start);
    ASSERT_EQ(form()->ActDir(), folder.path());
    preview = Preview::Emptied;

    QElapsedTimer timer;
    timer.start();
    int n = 1;
    for (; n <= actions; ++n) {
        if (rnd.chance(0.25))
            meddle();
        if (QApplication::activeWindow() != form()) {
            ++counts[QStringLiteral("window activated again")];
            activate();
        }
        const Tree was = disk;
        const qsizetype warnings = window.box.warnings.size();
        const QString shownBefore = dirDir()->Path();
        const int reads = fs.listings + fs.subfolderReads + fs.fileReads;
        fileListChanges = folderChanges = 0;
        lastBox.clear();
        int pick = rnd.below(total);
        const auto* kind = std::begin(kinds);
        while (pick >= kind->weight)
            pick -= (kind++)->weight;
        snprintf(crashNote, sizeof crashNote,
                 "\ncrashed: TESSALY_SESSION_SEED=%llu, action %d (%s), after:\n  %s\n",
                 static_cast<unsigned long long>(seed), n, kind->name,
                 recent.join(QStringLiteral("\n  ")).toStdString().c_str());
        Effects e = kind->act();
        QApplication::processEvents(); // the user's next action comes in a round of its own
        ++counts[QString::fromLatin1(kind->name)];

        // The preview shows the chosen files when a preview ran last, nothing when a refill
        // came last (browsing, REFRESH, the refill after PROCEED or an undo).
        if (e.previewed)
            preview = Preview::Shown;
        else if (e.refilled || fileListChanges > 0 || window.box.warnings.size() > warnings)
            preview = Preview::Emptied;
        if (folderChanges > 0 && strcmp(kind->name, "drop") != 0)
            slashKept = false;
        const bool browserRead = fs.listings + fs.subfolderReads + fs.fileReads > reads ||
                                 dirDir()->Path() != shownBefore;
        const QStringList problems = verify(was, e, browserRead);
        shownGone = shownGone && !browserRead;
        if (!problems.isEmpty() || HasFailure()) {
            ADD_FAILURE() << "TESSALY_SESSION_SEED=" << seed << ", action " << n << ":\n  "
                          << problems.join(QStringLiteral("\n  ")).toStdString()
                          << "\nthe last actions:\n  "
                          << recent.join(QStringLiteral("\n  ")).toStdString();
            break;
        }
    }
    std::cout << n - 1 << " actions in " << timer.elapsed() / 1000.0 << " s;";
    for (auto it = counts.begin(); it != counts.end(); ++it)
        std::cout << ' ' << it.key().toStdString() << ' ' << it.value() << ';';
    std::cout << " error reports " << window.box.errors.size() << ", warnings "
              << window.box.warnings.size() << '\n';
}
