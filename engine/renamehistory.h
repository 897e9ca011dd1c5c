#pragma once

#include "renamerun.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

namespace tessaly {

// One rename of a run that takes renames back or does them again: the file as it is named now
// and the name it gets, each as the lists show it and with its bytes on disk.
struct RenameStep {
    FileEntry from;
    FileEntry to;
};

// The renames of one PROCEED, to take back and to do again: the folder it renamed in and, in
// run order, each file it renamed, its names before and after as bytes on disk (names that are
// not UTF-8 included). Files the run left alone or failed to rename are not in it.
class RenameBatch {
public:
    struct Rename {
        QByteArray before;
        QByteArray after;
    };

    RenameBatch() = default;
    explicit RenameBatch(QString folder) : m_folder(std::move(folder)) {}

    const QString& folder() const { return m_folder; }
    const QList<Rename>& renames() const { return m_renames; }
    bool isEmpty() const { return m_renames.isEmpty(); }
    // A file of the run renamed from `before` to the name `after` (as the run gave it).
    void add(const QByteArray& before, const QString& after);

    // Each file from its new name back to its old, the last renamed first.
    QList<RenameStep> undoSteps() const;
    // Each file from its old name to its new, the first renamed first.
    QList<RenameStep> redoSteps() const;
    // After a run of undoSteps() or redoSteps(): keeps the renames whose step renamed its file,
    // `renamed[i]` telling it for step i, so that taking the run back again touches only them.
    void keepUndone(const std::vector<bool>& renamed);
    void keepRedone(const std::vector<bool>& renamed);

private:
    QString m_folder;
    QList<Rename> m_renames;
};

// Runs the steps in order in PROCEED's way: renames each file, logs each rename and each
// failure that concerns one file in PROCEED's forms (the file's present name as the old one),
// reports any other failure, and tells what became of each step.
void runRenames(const QList<RenameStep>& steps, const RunSinks& sinks, RunErrorReport& report);

} // namespace tessaly
