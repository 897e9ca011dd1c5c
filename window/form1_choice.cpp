// Form1: the chosen-files list, narrowed by Delete and Crop, copied by Copy.
#include "controls/keycodes.h"
#include "controls/listbox.h"
#include "controls/simplecontrols.h"
#include "core/services.h"
#include "window/form1.h"

#include <QAction>

namespace tessaly {

void Form1::connectChoiceList()
{
    connect(lstChoice, &ListBox::KeyDown, this, &Form1::lstChoice_KeyDown);
    connect(lstChoice, &ListBox::MouseUp, this, &Form1::lstChoice_MouseUp);
    connect(lstChoice, &ListBox::MenuKey, this,
            [this] { mnuPopUplstChoice->popupAtCurrent(lstChoice); });
    const std::pair<const char*, void (Form1::*)()> items[] = {
        {"mnuPopUplstChoiceDel", &Form1::mnuPopUplstChoiceDel_Click},
        {"mnuPopUplstChoiceCrop", &Form1::mnuPopUplstChoiceCrop_Click},
        {"mnuPopUplstChoiceCopy", &Form1::mnuPopUplstChoiceCopy_Click}};
    for (auto [name, handler] : items)
        connect(mnuPopUplstChoice->findChild<QAction*>(QString::fromLatin1(name)),
                &QAction::triggered, this, handler);
}

void Form1::lstChoice_KeyDown(int KeyCode, int /*Shift*/)
{
    if (KeyCode == KeyCode::Delete)
        mnuPopUplstChoiceDel_Click();
    else if (KeyCode == KeyCode::Space)
        mnuPopUplstChoiceCrop_Click();
}

void Form1::lstChoice_MouseUp(int Button, int /*Shift*/, double /*X*/, double /*Y*/)
{
    if (Button == RightButton)
        mnuPopUplstChoice->popupAtMouse();
}

// Delete removes every selected entry. The walk from the first entry to the last, removing
// selected ones in place, is done as one pass over the flags and one update of the list, so a
// list of a whole folder does not take quadratic time.
void Form1::mnuPopUplstChoiceDel_Click()
{
    std::vector<bool> keep = lstChoice->selectedFlags();
    keep.flip();
    lstChoice->keepEntries(keep);
    cmdGo_Click(PreviewButton); // also when nothing was removed
}

// Crop keeps only the selected entries, still selected.
void Form1::mnuPopUplstChoiceCrop_Click()
{
    lstChoice->keepEntries(lstChoice->selectedFlags());
    cmdGo_Click(PreviewButton);
}

void Form1::mnuPopUplstChoiceCopy_Click()
{
    const std::vector<bool> selected = lstChoice->selectedFlags();
    QString text;
    for (qsizetype i = 0; i < lstChoice->ListCount(); ++i)
        if (selected[size_t(i)])
            text += lstChoice->List(i) + QStringLiteral("\r\n");
    if (text.isEmpty())
        return; // nothing selected: the clipboard keeps what it held
    text.chop(2);
    m_services.clipboard.Clear();
    m_services.clipboard.SetText(text);
}

} // namespace tessaly
