// Form1: the rename run, the click handler of the PROCEED and PREVIEW buttons.
#include "controls/drivelist.h"
#include "controls/filelist.h"
#include "controls/folderlist.h"
#include "controls/listbox.h"
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "controls/waitcursor.h"
#include "core/filesystem.h"
#include "core/runtimeerror.h"
#include "core/services.h"
#include "engine/numbers.h"
#include "engine/prediction.h"
#include "engine/renamerun.h"
#include "window/form1.h"
#include "window/linebuffer.h"

#include <optional>

namespace tessaly {

void Form1::connectRun()
{
    connect(cmdGo_0, &CommandButton::Click, this, &Form1::cmdGo_Click);
    connect(cmdGo_1, &CommandButton::Click, this, &Form1::cmdGo_Click);
}

void Form1::markPreview(const RenameRules& rules, const std::vector<PositionFaults>& faults)
{
    if (m_ended)
        return;
    // One preview line per chosen file, in order: the new names the run computed.
    const QList<FileEntry>& chosen = lstChoice->entries();
    const QList<FileEntry>& lines = lstPreview->entries();
    if (lines.size() != chosen.size() || faults.size() != size_t(chosen.size()))
        return;
    const PredictionWords words(rules);
    RowMarks marks;
    marks.rows.reserve(faults.size());
    predictOutcomes(flFile->folderNames(), chosen, lines, faults,
                    [&](qsizetype file, const Prediction& prediction) {
                        Q_ASSERT(size_t(file) == marks.rows.size()); // the files in order
                        markLine(marks, prediction, words);
                    });
    lstPreview->setMarks(std::move(marks));
}

void Form1::cmdGo_Click(int Index)
{
    if (m_ended)
        return;
    const RunMode mode = Index == ProceedButton ? RunMode::Proceed : RunMode::Preview;
    if (m_actDir.isEmpty())
        return; // 1. no folder chosen yet: nothing is read, cleared or renamed

    // PROCEED does not yield to the event loop while it works: show that it is busy.
    std::optional<WaitCursor> busy;
    if (mode == RunMode::Proceed)
        busy.emplace();
    // A line per chosen file: a preview line, or in PROCEED mostly one log line.
    const qsizetype files = lstChoice->ListCount();
    LineBuffer preview(lstPreview, mode == RunMode::Preview ? files : 0);
    LineBuffer log(lstResult, mode == RunMode::Proceed ? files : 0);
    RunErrorReport report(m_services.box, m_services.end, [&] {
        preview.flush();
        log.flush();
    });
    try {
        // 2. There are no drive letters to make current.
        runStep(report, [&] { m_fs.setCurrentFolder(m_actDir); }); // 3.
        if (mode == RunMode::Proceed)
            runStep(report, [&] { lstResult->Clear(); }); // 4.
        runStep(report, [&] { lstPreview->Clear(); });    // 5.
        m_marks.drop();                                   // the lines they were for are gone
        RenameRules rules = ruleSettings();
        readPositions(report, rules); // 6. to 8.

        runChosenFiles(mode, std::move(rules), report, preview, log); // 9. to 21.
        if (mode == RunMode::Proceed)
            showHistoryState();
        if (mode == RunMode::Preview && !report.shown())
            ++m_cleanPreviews;
        if (mode == RunMode::Proceed)
            refreshAfterProceed(report); // 22.
    } catch (const RunEnded&) {
        m_ended = true;
    }
}

void Form1::runChosenFiles(RunMode mode, RenameRules rules, RunErrorReport& report,
                           LineBuffer& preview, LineBuffer& log)
{
    if (mode == RunMode::Proceed) {
        // Names are resolved in ActDir; the run becomes the newest entry of the history.
        RenameOperation rename({m_fs, report, log, m_history}, RenameOperation::Kind::Proceed,
                               m_actDir);
        rename.enterFolder(m_actDir, lstChoice->ListCount(),
                           [this] { return foldsCase(m_actDir); });
        proceedFiles(rules, lstChoice->entries(), rename);
        log.flush();
        lstResult->scrollToBottom(); // the log's last lines, often its failures, in view
        if (rename.madeHistoryEntry())
            undoKeysToRenames(true); // Ctrl+Z takes it back, wherever the focus is
        return;
    }
    // A preview also tells what PROCEED would do with each file, judged from the folder's
    // names as the file list last read them (the folder is never read per keystroke).
    const bool predict = showsActDir();
    std::vector<PositionFaults> faults;
    PreviewSinks sinks{[&](const QString& line) { preview.add(line); }};
    if (predict) {
        faults.reserve(size_t(lstChoice->ListCount()));
        sinks.faults = [&](PositionFaults f) { faults.push_back(f); };
    }
    previewFiles(rules, lstChoice->entries(), sinks, report);
    preview.flush();
    if (predict)
        m_marks.ran(std::move(rules), std::move(faults));
}

void Form1::readPositions(RunErrorReport& report, RenameRules& rules)
{
    runStep(report, [&] { rules.rangeFrom = readPosition(txtFrom->Text()); }); // 6.
    runStep(report, [&] { rules.rangeTo = readPosition(txtTo->Text()); });     // 7.
    runStep(report, [&] { rules.insertPos = readPosition(txtAft->Text()); });  // 8.
}

bool Form1::showsActDir() const
{
    return flFile->Path() == normalFolderPath(m_actDir);
}

bool Form1::foldsCase(const QString& folder)
{
    // The file list's last read of the folder knows how it compares names; another folder is
    // asked.
    return flFile->Path() == normalFolderPath(folder) ? flFile->folderNames().foldsCase()
                                                      : m_fs.foldsCase(folder);
}

void Form1::refreshAfterProceed(RunErrorReport& report)
{
    runStep(report, [&] { drvDrive->Refresh(); }); // a.
    // The chosen names, renamed on disk by now, are replaced by d. whatever b. and c. find; they
    // go first, so that a large folder is not held twice while it is read again.
    lstChoice->Clear();
    refreshFolderAndFiles(report);                                        // b. and c.
    runStep(report, [&] { ChooseAllFiles(); });                           // d.
    runStep(report, [&] { m_fs.setCurrentFolder(QStringLiteral("/")); }); // e.
    // f. Each box that was ticked runs a whole PREVIEW, nested, as it is cleared.
    const auto onlyTheLast = m_marks.markOnlyTheLast();
    for (const RuleRow& row : RulePanel) {
        if (!row.clearedAfterProceed)
            continue;
        runStep(report, [&] { (this->*row.box)->setValue(0); });
        if (m_ended)
            return;
    }
}

} // namespace tessaly
