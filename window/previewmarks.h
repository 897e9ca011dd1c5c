#pragma once

#include "engine/renamerun.h"

#include <functional>
#include <optional>
#include <vector>

namespace tessaly {

// When the preview's lines are marked with what PROCEED would do with each file. A handler
// whose previews follow one another (a tick's preview, then the edit's own) holds the marks
// while it works: only the last preview's lines are marked, once, when the last hold ends, for
// the others are replaced before anyone sees them.
class PreviewMarks {
public:
    using Mark = std::function<void(const RenameRules&, const std::vector<PositionFaults>&)>;
    explicit PreviewMarks(Mark mark) : m_mark(std::move(mark)) {}

    class [[nodiscard]] Hold {
    public:
        explicit Hold(PreviewMarks& marks) : m_marks(marks) { ++m_marks.m_holds; }
        ~Hold() { m_marks.release(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        PreviewMarks& m_marks;
    };
    Hold hold() { return Hold(*this); }

    // A preview ran with these rules and found these position faults: marks its lines now, or
    // when the last hold ends.
    void ran(RenameRules rules, std::vector<PositionFaults> faults);
    // The lines that marks waiting for a hold's end were for are gone.
    void drop() { m_pending.reset(); }

private:
    struct Pending {
        RenameRules rules;
        std::vector<PositionFaults> faults;
    };
    void release();

    Mark m_mark;
    int m_holds = 0;
    std::optional<Pending> m_pending;
};

} // namespace tessaly
