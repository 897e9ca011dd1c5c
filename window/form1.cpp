#include "window/form1.h"

#include <QEvent>
#include <QLocale>

namespace tessaly {

Form1::Form1(Services services, QWidget* parent)
    : QWidget(parent), m_services(services), m_fs(services.fs),
      m_marks([this](const RenameRules& rules, const std::vector<PositionFaults>& faults) {
          markPreview(rules, faults);
      }),
      m_decimalPoint(QLocale::system().decimalPoint())
{
    buildControls();
    connectBrowser();
    connectRun();
    connectRulePanel();
    connectChoiceList();
    connectDropPoint();
    connectHistory();
    connectTree();
    Form_Load();
}

Form1::~Form1() = default;

bool Form1::event(QEvent* event)
{
    // Activation of the application's window: the window is the program's only one, so this
    // happens once, at start-up; switching to other programs and back does not move the focus.
    if (event->type() == QEvent::WindowActivate && !m_activated) {
        m_activated = true;
        Form_Activate();
    }
    return QWidget::event(event);
}

} // namespace tessaly
