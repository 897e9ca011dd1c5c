#include "window/previewmarks.h"

namespace tessaly {

void markLine(RowMarks& marks, const Prediction& prediction, const PredictionWords& words)
{
    RowMark mark;
    if (prediction.fails()) {
        mark.colour = RowMark::WarningText;
        mark.icon = RowMark::WarningIcon;
    } else {
        if (prediction.outcome == Prediction::LeftAlone)
            mark.colour = RowMark::MutedText;
        if (prediction.positions.range || prediction.positions.insert || prediction.hidesFile)
            mark.icon = RowMark::NoticeIcon;
    }
    marks.append(mark, mark.icon != RowMark::NoIcon ? words.explain(prediction) : QString());
}

void PreviewMarks::ran(RenameRules rules, std::vector<PositionFaults> faults)
{
    if (m_deferring > 0)
        m_pending = Pending{std::move(rules), std::move(faults)};
    else
        m_mark(rules, faults);
}

void PreviewMarks::release()
{
    if (--m_deferring > 0 || !m_pending)
        return;
    const Pending last = std::move(*m_pending);
    m_pending.reset();
    m_mark(last.rules, last.faults);
}

} // namespace tessaly
