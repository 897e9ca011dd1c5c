#pragma once

#include "controls/namelistmodel.h"
#include "engine/prediction.h"
#include "engine/renamerules.h"

#include <functional>
#include <optional>
#include <vector>

namespace tessaly {

// How a preview line shows what PROCEED would do with its file: unchanged names muted, names
// that would fail in the warning colour with an icon, position faults and names that hide their
// file with an icon of their own; the reasons as its tooltip. Appends the line's mark.
void markLine(RowMarks& marks, const Prediction& prediction, const PredictionWords& words);

// When the preview's lines are marked with what PROCEED would do with each file. A handler
// whose previews follow one another (a tick's preview, then the edit's own) asks for only the
// last of them to be marked, once, as it ends: the others are replaced before anyone sees them.
class PreviewMarks {
public:
    using Mark = std::function<void(const RenameRules&, const std::vector<PositionFaults>&)>;
    explicit PreviewMarks(Mark mark) : m_mark(std::move(mark)) {}

    // While it lives, previews are not marked; as the last of these scopes ends, the last
    // preview is.
    class [[nodiscard]] OnlyTheLast {
    public:
        explicit OnlyTheLast(PreviewMarks& marks) : m_marks(marks) { ++m_marks.m_deferring; }
        ~OnlyTheLast() { m_marks.release(); }
        OnlyTheLast(const OnlyTheLast&) = delete;
        OnlyTheLast& operator=(const OnlyTheLast&) = delete;

    private:
        PreviewMarks& m_marks;
    };
    OnlyTheLast markOnlyTheLast() { return OnlyTheLast(*this); }

    // A preview ran with these rules and found these position faults: marks its lines now, or
    // as the last OnlyTheLast scope ends.
    void ran(RenameRules rules, std::vector<PositionFaults> faults);
    // The lines that the marks waiting for the scope's end were for are gone.
    void drop() { m_pending.reset(); }

private:
    struct Pending {
        RenameRules rules;
        std::vector<PositionFaults> faults;
    };
    void release();

    Mark m_mark;
    int m_deferring = 0; // OnlyTheLast scopes alive
    std::optional<Pending> m_pending;
};

} // namespace tessaly
