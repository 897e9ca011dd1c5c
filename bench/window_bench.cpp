// The window at library scale: drives the real Form1 offscreen over folders of N files named
// like a music collection and prints a table of medians.
//
//   tessaly_bench_window [--quick | --million | --files N] [--disk DIR | --no-disk]
//       the table (N = 10,000 and 100,000; --quick: 10,000 only; --million: 1,000,000 too;
//       --files N: N only), on /dev/shm and on the disk
//   tessaly_bench_window --tree [--million] [--disk DIR | --no-disk]
//       the pass over a folder tree: 100,000 files in 10,000 folders (--million: 1,000,000 in
//       100,000, on /dev/shm only), against find and a plain loop of renames
//   tessaly_bench_window --callgrind
//       instructions of one PREVIEW, of its prediction alone, of one keystroke and of one
//       PROCEED (without the kernel's work) over 10,000 names
#include "benchsupport.h"
#include "controls/filelist.h"
#include "controls/folderlist.h"
#include "controls/listbox.h"
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "engine/nameedit.h"
#include "engine/prediction.h"
#include "window/form1.h"
#include "window/frmtree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/resource.h>
#include <unistd.h>
#include <valgrind/callgrind.h>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

// The real file system, timing the renames it does.
class TimingFileSystem : public PosixFileSystem {
public:
    double renameMs = 0;
    void rename(const QString& folder, const QByteArray& oldName, const NewName& newName) override
    {
        const auto start = std::chrono::steady_clock::now();
        PosixFileSystem::rename(folder, oldName, newName);
        renameMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
};

QString newNameOf(const QString& name)
{
    return LowerSuffix(
        CapitalizeWords(ReplaceText(name, QStringLiteral("_"), QStringLiteral(" "), -1)));
}

// The physical limit: the same renames in a plain loop, nothing else.
double baselineMs(const QString& under, int count)
{
    MusicFolder folder(under, count);
    // Each file's old and new name, NUL-terminated, one after the other in one block: the
    // bench's own names neither slow the loop down nor scatter the heap of the window measured.
    std::vector<char> names;
    for (int i = 0; i < count; ++i) {
        for (const QString& name : {MusicFolder::nameOf(i), newNameOf(MusicFolder::nameOf(i))}) {
            const QByteArray bytes = name.toUtf8();
            names.insert(names.end(), bytes.constData(), bytes.constData() + bytes.size() + 1);
        }
    }
    const int dir = ::open(QFile::encodeName(folder.path()).constData(), O_RDONLY | O_DIRECTORY);
    const double ms = milliseconds([&] {
        const char* from = names.data();
        for (int i = 0; i < count; ++i) {
            const char* to = from + std::strlen(from) + 1;
            renameat2(dir, from, dir, to, RENAME_NOREPLACE);
            from = to + std::strlen(to) + 1;
        }
    });
    ::close(dir);
    return ms;
}

struct Bench {
    TimingFileSystem fs;
    SilentBox box;
    FakeClipboard clipboard;
    FakeProgramEnd end;
    Form1 form{{fs, box, clipboard, end}};

    template <typename T> T* get(const char* name)
    {
        return form.findChild<T*>(QString::fromLatin1(name));
    }

    void show(const QString& folder) { get<FolderList>("dirDir")->setPath(folder + u'/'); }
    void refresh() { get<QAbstractButton>("cmdRefresh_2")->click(); }
    void setRules()
    {
        get<CheckBox>("chkCapi")->setValue(1);
        get<CheckBox>("chkLow")->setValue(1);
        get<TextBox>("txtRepl")->setText(QStringLiteral("_"));
        get<TextBox>("txtWith")->setText(QStringLiteral(" "));
    }
    void selectEvery(int step)
    {
        ListBox* l = get<ListBox>("lstChoice");
        QItemSelection s;
        for (int r = 0; r < l->ListCount(); r += step)
            s.append(QItemSelectionRange(l->model()->index(r, 0)));
        l->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect);
    }
    void settle() { QApplication::processEvents(); }
    int faults = 0; // figures measured over the wrong work
};

struct Row {
    QString where;
    int count;
    double browse, preview, prediction, keystroke, del, crop, proceed, renames, baseline, undo;
};

// The prediction part of the PREVIEW just run, done again on its own: what the preview of
// the same lines costs without it is the difference.
void predictLastPreview(Bench& b)
{
    const QList<FileEntry>& chosen = b.get<ListBox>("lstChoice")->entries();
    const std::vector<PositionFaults> faults(size_t(chosen.size()));
    qsizetype failing = 0;
    predictOutcomes(b.get<FileList>("flFile")->folderNames(), chosen,
                    b.get<ListBox>("lstPreview")->entries(), faults,
                    [&](qsizetype, const Prediction& p) { failing += p.fails(); });
    if (failing != 0)
        std::fprintf(stderr, "the bench's renames should all go through: %lld fail\n",
                     static_cast<long long>(failing));
}

// The time of taking the last renames back from the result list's menu, with the browser
// somewhere else.
double undoFromElsewhere(Bench& b)
{
    b.settle();
    b.show(QStringLiteral("/"));
    b.settle();
    const double ms = milliseconds([&] { b.get<QAction>("mnuPopUplstResultUndo")->trigger(); });
    b.show(QStringLiteral("/"));
    b.settle();
    return ms;
}

Row measure(Bench& b, const QString& under, int count)
{
    constexpr int runs = 5;
    constexpr int proceedRuns = 3;
    Row row{under, count, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<double> t;
    auto med = [&] {
        const double m = median(t);
        t.clear();
        return m;
    };

    MusicFolder folder(under, count);
    for (int i = 0; i < runs; ++i) {
        b.show(QStringLiteral("/"));
        b.settle();
        t.push_back(milliseconds([&] { b.show(folder.path()); }));
        b.settle();
    }
    row.browse = med();

    b.setRules();
    auto* go = b.get<QAbstractButton>("cmdGo_1");
    for (int i = 0; i < runs; ++i) {
        t.push_back(milliseconds([&] { go->click(); }));
        b.settle();
    }
    row.preview = med();
    for (int i = 0; i < runs; ++i)
        t.push_back(milliseconds([&] { predictLastPreview(b); }));
    row.prediction = med();

    auto* repl = b.get<TextBox>("txtRepl");
    auto* replOn = b.get<CheckBox>("chkRepl");
    for (int i = 0; i < runs; ++i) {
        repl->setText(QStringLiteral("_"));
        replOn->setValue(0);
        repl->setFocus();
        repl->end(false);
        t.push_back(milliseconds([&] { QTest::keyClick(repl, Qt::Key_A); }));
        b.settle();
    }
    row.keystroke = med();
    repl->setText(QStringLiteral("_"));

    auto* chosen = b.get<ListBox>("lstChoice");
    for (int i = 0; i < runs; ++i) {
        b.refresh();
        b.selectEvery(2);
        t.push_back(milliseconds([&] { QTest::keyClick(chosen, Qt::Key_Delete); }));
        b.settle();
    }
    row.del = med();
    for (int i = 0; i < runs; ++i) {
        b.refresh();
        b.selectEvery(std::max(1, count / 1000)); // about 1,000 files, or all of fewer
        t.push_back(milliseconds([&] { QTest::keyClick(chosen, Qt::Key_Space); }));
        b.settle();
    }
    row.crop = med();

    // Each fresh folder has the same path as the one shown: the browser leaves it first, or it
    // would not read the fresh one and PROCEED would rename the files still chosen.
    b.show(QStringLiteral("/"));
    b.settle();
    std::vector<double> renames, baselines, undos;
    for (int i = 0; i < proceedRuns; ++i) {
        MusicFolder fresh(under, count);
        b.show(fresh.path());
        b.setRules();
        b.settle();
        b.fs.renameMs = 0;
        t.push_back(milliseconds([&] { b.get<QAbstractButton>("cmdGo_0")->click(); }));
        renames.push_back(b.fs.renameMs);
        if (b.get<ListBox>("lstResult")->ListCount() != count) {
            std::fprintf(stderr, "PROCEED should rename all %d files: %lld log lines\n", count,
                         static_cast<long long>(b.get<ListBox>("lstResult")->ListCount()));
            b.faults += 1;
        }
        undos.push_back(undoFromElsewhere(b));
        baselines.push_back(baselineMs(under, count));
    }
    row.undo = median(undos);
    row.proceed = med();
    row.renames = median(renames);
    row.baseline = median(baselines);
    b.show(QStringLiteral("/"));
    return row;
}

long peakResidentKiB()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The pass over a tree: its list against find, its PROCEED against a plain loop of renames that
// opens each folder once, its undo.
struct TreeRow {
    QString where;
    int files, folders;
    double find, list, proceed, baseline, undo;
};

double findMs(const QString& root)
{
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    return milliseconds([&] {
        find.start(QStringLiteral("find"),
                   {root, QStringLiteral("-iname"), QStringLiteral("*.mp3")});
        find.waitForFinished(-1);
    });
}

double treeBaselineMs(const MusicTree& tree)
{
    std::vector<char> names;
    for (int i = 0; i < MusicTree::FilesPerFolder; ++i)
        for (const QString& name : {MusicFolder::nameOf(i), newNameOf(MusicFolder::nameOf(i))}) {
            const QByteArray bytes = name.toUtf8();
            names.insert(names.end(), bytes.constData(), bytes.constData() + bytes.size() + 1);
        }
    std::vector<QByteArray> folders;
    for (const QString& f : tree.folders())
        folders.push_back(QFile::encodeName(tree.path() + u'/' + f));
    return milliseconds([&] {
        for (const QByteArray& folder : folders) {
            const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
            const char* from = names.data();
            for (int i = 0; i < MusicTree::FilesPerFolder; ++i) {
                const char* to = from + std::strlen(from) + 1;
                renameat2(dir, from, dir, to, RENAME_NOREPLACE);
                from = to + std::strlen(to) + 1;
            }
            ::close(dir);
        }
    });
}

// Opens the pass on the window's folder; `inDialog` runs once its list is complete, and the
// time from the opening until then is returned.
double openPass(Bench& b, const std::function<void(QDialog*)>& inDialog)
{
    double listed = 0;
    const auto start = std::chrono::steady_clock::now();
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* sum = dialog->findChild<QLabel*>(QStringLiteral("lblTreeSum"));
        while (sum->text().isEmpty())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        listed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
        inDialog(dialog);
    });
    b.get<QAction>("mnuPopUpdirDirTree")->trigger();
    return listed;
}

TreeRow measureTree(Bench& b, const QString& under, int folders)
{
    constexpr int runs = 3;
    TreeRow row{under, folders * MusicTree::FilesPerFolder, folders, 0, 0, 0, 0, 0};
    std::vector<double> finds, lists, proceeds, baselines, undos;
    for (int i = 0; i < runs; ++i) {
        MusicTree tree(under, folders);
        b.show(tree.path());
        b.setRules();
        b.settle();
        finds.push_back(findMs(tree.path()));
        lists.push_back(openPass(b, [](QDialog* d) { d->reject(); }));
        double proceed = 0;
        openPass(b, [&](QDialog* d) {
            auto* go = d->findChild<QPushButton*>(QStringLiteral("cmdTreeGo"));
            proceed = milliseconds([&] { go->click(); });
        });
        proceeds.push_back(proceed);
        const qsizetype logged = b.get<ListBox>("lstResult")->ListCount();
        if (logged != row.files + folders) {
            std::fprintf(stderr, "the pass should rename all %d files: %lld log lines\n", row.files,
                         static_cast<long long>(logged));
            b.faults += 1;
        }
        undos.push_back(undoFromElsewhere(b));
        baselines.push_back(treeBaselineMs(tree));
    }
    row.find = median(finds);
    row.list = median(lists);
    row.proceed = median(proceeds);
    row.baseline = median(baselines);
    row.undo = median(undos);
    return row;
}

int treeTable(Bench& b, const QStringList& places, bool million)
{
    QList<TreeRow> rows;
    for (const QString& under : places)
        rows.append(measureTree(b, under, 10000));
    if (million)
        rows.append(measureTree(b, places.first(), 100000));
    std::printf("| folder | files | folders | find | list | list/find | proceed | baseline | "
                "proceed/baseline | undo |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const TreeRow& r : rows)
        std::printf("| %s | %d | %d | %.0f ms | %.0f ms | %.2f | %.0f ms | %.0f ms | %.2f | %.0f "
                    "ms |\n",
                    qPrintable(r.where), r.files, r.folders, r.find, r.list, r.list / r.find,
                    r.proceed, r.baseline, r.proceed / r.baseline, r.undo);
    std::printf("peak resident memory: %.0f MB\n", peakResidentKiB() / 1024.0);
    return b.box.shown() == 0 && b.faults == 0 ? 0 : 2;
}

// Instructions of one PREVIEW, of the prediction within it, of one keystroke into a rule's
// field whose box is clear (one preview, one prediction) and of one PROCEED over 10,000 names,
// counted by callgrind: repeatable whatever else the machine is doing.
int callgrindFigures(const char* self)
{
    for (const char* what : {"browse", "preview", "prediction", "keystroke", "proceed"}) {
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("callgrind.out"));
        const int rc = QProcess::execute(
            QStringLiteral("valgrind"),
            {QStringLiteral("--tool=callgrind"), QStringLiteral("--instr-atstart=no"),
             QStringLiteral("--callgrind-out-file=") + file, QString::fromLocal8Bit(self),
             QStringLiteral("--callgrind-child"), QString::fromLatin1(what)});
        QFile f(file);
        if (rc != 0 || !f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "valgrind failed (is it installed?)\n");
            return 1;
        }
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("totals:"))
                std::printf("callgrind: one %s over 10000 names = %s instructions\n", what,
                            line.split(' ').value(1).constData());
    }
    return 0;
}

// Runs under callgrind: counts only the one piece of work.
int callgrindChild(const char* what)
{
    Bench b;
    MusicFolder folder(fastScratch(), 10000);
    if (!std::strcmp(what, "browse")) {
        CALLGRIND_START_INSTRUMENTATION;
        b.show(folder.path());
        CALLGRIND_STOP_INSTRUMENTATION;
        return 0;
    }
    b.show(folder.path());
    b.setRules();
    if (!std::strcmp(what, "preview")) {
        auto* go = b.get<QAbstractButton>("cmdGo_1");
        CALLGRIND_START_INSTRUMENTATION;
        go->click();
        CALLGRIND_STOP_INSTRUMENTATION;
    } else if (!std::strcmp(what, "proceed")) {
        auto* go = b.get<QAbstractButton>("cmdGo_0");
        CALLGRIND_START_INSTRUMENTATION;
        go->click();
        CALLGRIND_STOP_INSTRUMENTATION;
    } else if (!std::strcmp(what, "prediction")) {
        b.get<QAbstractButton>("cmdGo_1")->click();
        CALLGRIND_START_INSTRUMENTATION;
        predictLastPreview(b);
        CALLGRIND_STOP_INSTRUMENTATION;
    } else {
        auto* repl = b.get<TextBox>("txtRepl");
        b.get<CheckBox>("chkRepl")->setValue(0);
        repl->setFocus();
        repl->end(false);
        CALLGRIND_START_INSTRUMENTATION;
        QTest::keyClick(repl, Qt::Key_A);
        CALLGRIND_STOP_INSTRUMENTATION;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool quick = false;
    bool million = false;
    bool diskToo = true;
    bool tree = false;
    QList<int> only;
    QString disk = QStringLiteral("/var/tmp");
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--callgrind"))
            return callgrindFigures(argv[0]);
        if (!std::strcmp(argv[i], "--callgrind-child") && i + 1 < argc)
            return callgrindChild(argv[i + 1]);
        if (!std::strcmp(argv[i], "--quick"))
            quick = true;
        else if (!std::strcmp(argv[i], "--million"))
            million = true;
        else if (!std::strcmp(argv[i], "--tree"))
            tree = true;
        else if (!std::strcmp(argv[i], "--no-disk"))
            diskToo = false;
        else if (!std::strcmp(argv[i], "--files") && i + 1 < argc)
            only.append(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--disk") && i + 1 < argc)
            disk = QString::fromLocal8Bit(argv[++i]);
    }

    Bench b;
    b.form.show();
    QList<Row> rows;
    QList<int> counts = quick ? QList<int>{10000} : QList<int>{10000, 100000};
    if (million)
        counts.append(1000000);
    if (!only.isEmpty())
        counts = only;
    QStringList places{fastScratch()};
    if (diskToo)
        places.append(disk);
    if (tree)
        return treeTable(b, places, million);
    for (const QString& under : places)
        for (int n : counts)
            rows.append(measure(b, under, n));

    std::printf(
        "| folder | files | browse | preview | of it prediction | keystroke | delete | "
        "crop | proceed | renames | baseline | proceed/baseline | renames/baseline | undo |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Row& r : rows)
        std::printf("| %s | %d | %.0f ms | %.1f ms | %.1f ms | %.1f ms | %.1f ms | %.1f ms | %.0f "
                    "ms | %.0f ms | %.0f ms | %.2f | %.2f | %.0f ms |\n",
                    qPrintable(r.where), r.count, r.browse, r.preview, r.prediction, r.keystroke,
                    r.del, r.crop, r.proceed, r.renames, r.baseline, r.proceed / r.baseline,
                    r.renames / r.baseline, r.undo);
    std::printf("peak resident memory: %.0f MB\n", peakResidentKiB() / 1024.0);
    return b.box.shown() == 0 && b.faults == 0 ? 0 : 2;
}
