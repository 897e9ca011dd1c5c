// Form1: the rename run, the click handler of the PROCEED and PREVIEW buttons.
#include "drivelist.h"
#include "filelist.h"
#include "filesystem.h"
#include "folderlist.h"
#include "form1.h"
#include "listbox.h"
#include "numbers.h"
#include "renamerun.h"
#include "runtimeerror.h"
#include "services.h"
#include "simplecontrols.h"
#include "textbox.h"
#include "waitcursor.h"

#include <optional>
#include <QSet>

namespace tessaly {

namespace {

// Lines for a list, appended in one update when flushed: a run of 100,000 files would
// otherwise update the list 100,000 times. Flushed before anything else can look at the list.
class LineBuffer {
public:
    LineBuffer(ListBox* list, qsizetype expected) : m_list(list) { m_lines.reserve(expected); }
    ~LineBuffer() { flush(); }
    void add(const QString& line) { m_lines.append(FileEntry{line, {}}); }
    void flush()
    {
        if (!m_lines.isEmpty())
            m_list->AddItems(std::exchange(m_lines, {}));
    }

private:
    ListBox* m_list;
    QList<FileEntry> m_lines;
};

// The names the run has given to files so far. A chosen name among them is no longer the
// chosen file: that one vanished before the run reached it, and a file renamed earlier in the
// run took its name (a chosen file still there would have stopped that rename). On a folder
// that ignores case, another spelling of a given name finds that file too.
class GivenNames {
public:
    GivenNames(FileSystem& fs, const QString& folder, qsizetype most)
        : m_fs(fs), m_folder(folder), m_most(most)
    {
    }

    void add(const QByteArray& name)
    {
        if (m_exact.isEmpty())
            m_exact.reserve(m_most); // a PREVIEW never gets here
        m_exact.insert(name);
        if (m_foldsCase.value_or(false))
            m_folded.insert(folded(name));
    }
    bool contains(const QByteArray& name)
    {
        if (m_exact.isEmpty())
            return false;
        if (!m_foldsCase) { // asked once, after the first rename
            m_foldsCase = m_fs.foldsCase(m_folder);
            if (*m_foldsCase)
                for (const QByteArray& given : std::as_const(m_exact))
                    m_folded.insert(folded(given));
        }
        return m_exact.contains(name) || (*m_foldsCase && m_folded.contains(folded(name)));
    }

private:
    static QString folded(const QByteArray& name) { return decodePath(name).toCaseFolded(); }

    FileSystem& m_fs;
    const QString m_folder;
    const qsizetype m_most;
    QSet<QByteArray> m_exact;
    QSet<QString> m_folded; // on a folder that ignores case
    std::optional<bool> m_foldsCase;
};

} // namespace

void Form1::connectRun()
{
    connect(cmdGo_0, &CommandButton::Click, this, &Form1::cmdGo_Click);
    connect(cmdGo_1, &CommandButton::Click, this, &Form1::cmdGo_Click);
}

RenameRules Form1::ruleSettings() const
{
    // A rule counts as on only when its box is ticked (1); "Replace all" for any non-zero value.
    RenameRules r;
    r.rangeOn = chkRepl2->Value() == 1;
    r.rangeWith = txtWith2->Text();
    r.replaceOn = chkRepl->Value() == 1;
    r.replaceFind = txtRepl->Text();
    r.replaceWith = txtWith->Text();
    r.eraseOn = chkEras->Value() == 1;
    r.eraseText = txtEras->Text();
    r.allMatches = chkAll->Value() != 0;
    r.insertOn = chkAdd->Value() == 1;
    r.insertText = txtAdd->Text();
    r.capitalizeOn = chkCapi->Value() == 1;
    r.upperSuffixOn = chkUp->Value() == 1;
    r.lowerSuffixOn = chkLow->Value() == 1;
    return r; // the three positions are read by steps of their own
}

void Form1::cmdGo_Click(int Index)
{
    if (m_ended)
        return;
    const RunMode mode = Index == 0 ? RunMode::Proceed : RunMode::Preview;
    if (m_actDir.isEmpty())
        return; // 1. no folder chosen yet: nothing is read, cleared or renamed

    // PROCEED does not yield to the event loop while it works: show that it is busy.
    std::optional<WaitCursor> busy;
    if (mode == RunMode::Proceed)
        busy.emplace();
    // A line per chosen file: a preview line, or in PROCEED mostly one log line.
    LineBuffer preview(lstPreview, mode == RunMode::Preview ? lstChoice->ListCount() : 0);
    LineBuffer log(lstResult, mode == RunMode::Proceed ? lstChoice->ListCount() : 0);
    RunErrorReport report(m_services.box, m_services.end, [&] {
        preview.flush();
        log.flush();
    });
    FileSystem& fs = m_services.fs;
    try {
        // 2. There are no drive letters to make current.
        runStep(report, [&] { fs.setCurrentFolder(m_actDir); }); // 3.
        if (mode == RunMode::Proceed)
            runStep(report, [&] { lstResult->Clear(); }); // 4.
        runStep(report, [&] { lstPreview->Clear(); });    // 5.
        RenameRules rules = ruleSettings();
        runStep(report, [&] { rules.rangeFrom = readPosition(txtFrom->Text()); }); // 6.
        runStep(report, [&] { rules.rangeTo = readPosition(txtTo->Text()); });     // 7.
        runStep(report, [&] { rules.insertPos = readPosition(txtAft->Text()); });  // 8.

        // 9. to 21. Names are resolved in ActDir; a file is renamed at most once.
        GivenNames given(fs, m_actDir, lstChoice->ListCount());
        const RunSinks sinks{[&](const QString& line) { preview.add(line); },
                             [&](const QString& line) { log.add(line); },
                             [&](const FileEntry& old, const QString& newName) {
                                 const QByteArray oldName = old.bytes();
                                 if (given.contains(oldName))
                                     throw RunTimeError(ErrorCode::FileNotFound);
                                 fs.rename(m_actDir, oldName, newName);
                                 given.add(encodePath(newName));
                             }};
        runFiles(mode, rules, lstChoice->entries(), sinks, report);
        preview.flush();
        log.flush();
        if (mode == RunMode::Preview)
            return;

        // 22.
        runStep(report, [&] { drvDrive->Refresh(); });                      // a.
        runStep(report, [&] { dirDir->Refresh(); });                        // b.
        runStep(report, [&] { flFile->Refresh(); });                        // c.
        runStep(report, [&] { ChooseAllFiles(); });                         // d.
        runStep(report, [&] { fs.setCurrentFolder(QStringLiteral("/")); }); // e.
        // f. Each box that was ticked runs a whole PREVIEW, nested, as it is cleared.
        for (CheckBox* box : {chkAdd, chkCapi, chkEras, chkLow, chkRepl, chkRepl2, chkUp}) {
            runStep(report, [&] { box->setValue(0); });
            if (m_ended)
                return;
        }
    } catch (const RunEnded&) {
        m_ended = true;
    }
}

} // namespace tessaly
