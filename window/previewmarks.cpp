#include "window/previewmarks.h"

namespace tessaly {

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
