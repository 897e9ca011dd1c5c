// Form1: the rule option panel. Editing a rule's field ticks its box, and every edit or click
// refreshes the preview.
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "engine/numbers.h"
#include "window/form1.h"

namespace tessaly {

void Form1::connectRulePanel()
{
    connect(txtFrom, &TextBox::GotFocus, this, &Form1::txtFrom_GotFocus);
    connect(txtTo, &TextBox::GotFocus, this, &Form1::txtTo_GotFocus);
    connect(txtAft, &TextBox::GotFocus, this, &Form1::txtAft_GotFocus);
    connect(txtFrom, &TextBox::Change, this, &Form1::txtFrom_Change);
    connect(txtTo, &TextBox::Change, this, &Form1::txtTo_Change);
    connect(txtAft, &TextBox::Change, this, &Form1::txtAft_Change);
    connect(txtWith2, &TextBox::Change, this, &Form1::txtWith2_Change);
    connect(txtRepl, &TextBox::Change, this, &Form1::txtRepl_Change);
    connect(txtWith, &TextBox::Change, this, &Form1::txtWith_Change);
    connect(txtEras, &TextBox::Change, this, &Form1::txtEras_Change);
    connect(txtAdd, &TextBox::Change, this, &Form1::txtAdd_Change);
    connect(chkRepl2, &CheckBox::Click, this, &Form1::chkRepl2_Click);
    connect(chkRepl, &CheckBox::Click, this, &Form1::chkRepl_Click);
    connect(chkEras, &CheckBox::Click, this, &Form1::chkEras_Click);
    connect(chkAll, &CheckBox::Click, this, &Form1::chkAll_Click);
    connect(chkAdd, &CheckBox::Click, this, &Form1::chkAdd_Click);
    connect(chkCapi, &CheckBox::Click, this, &Form1::chkCapi_Click);
    connect(chkUp, &CheckBox::Click, this, &Form1::chkUp_Click);
    connect(chkLow, &CheckBox::Click, this, &Form1::chkLow_Click);
}

void Form1::selectWholeText(TextBox* box)
{
    box->setSelStart(0);
    box->setSelLength(int(box->Text().size()));
}

void Form1::txtFrom_GotFocus()
{
    selectWholeText(txtFrom);
}
void Form1::txtTo_GotFocus()
{
    selectWholeText(txtTo);
}
void Form1::txtAft_GotFocus()
{
    selectWholeText(txtAft);
}

// The number normal form: the write re-enters this handler once, which finds the text already
// normal, writes the same text (raising nothing) and previews; the outer run previews again
// only where that preview showed a box.
void Form1::normaliseAndPreview(TextBox* box, CheckBox* rule)
{
    const auto once = m_marks.hold();
    const quint64 previewed = m_cleanPreviews;
    box->setText(normalNumberForm(box->Text(), m_decimalPoint));
    box->setSelStart(int(box->Text().size()));
    rule->setValue(1); // a box that was clear raises its own preview first
    previewAgainUnless(previewed);
}

void Form1::tickAndPreview(CheckBox* rule)
{
    const auto once = m_marks.hold();
    const quint64 previewed = m_cleanPreviews;
    rule->setValue(1);
    previewAgainUnless(previewed);
}

void Form1::previewAgainUnless(quint64 previewed)
{
    // A PREVIEW raised since `previewed` by the edit itself, that showed no box, ran over
    // what is there now: no event loop ran and nothing else changed since. Another would
    // compute the same lines and marks again (a 100,000-file folder's keystroke in half the
    // time).
    if (m_cleanPreviews == previewed)
        cmdGo_Click(PreviewButton);
}

void Form1::txtFrom_Change()
{
    normaliseAndPreview(txtFrom, chkRepl2);
}
void Form1::txtTo_Change()
{
    normaliseAndPreview(txtTo, chkRepl2);
}
void Form1::txtAft_Change()
{
    normaliseAndPreview(txtAft, chkAdd);
}
void Form1::txtWith2_Change()
{
    tickAndPreview(chkRepl2);
}
void Form1::txtRepl_Change()
{
    tickAndPreview(chkRepl);
}
void Form1::txtWith_Change()
{
    tickAndPreview(chkRepl);
}
void Form1::txtEras_Change()
{
    tickAndPreview(chkEras);
}
void Form1::txtAdd_Change()
{
    tickAndPreview(chkAdd);
}

void Form1::chkRepl2_Click()
{
    cmdGo_Click(PreviewButton);
}
void Form1::chkRepl_Click()
{
    cmdGo_Click(PreviewButton);
}
void Form1::chkEras_Click()
{
    cmdGo_Click(PreviewButton);
}
void Form1::chkAll_Click()
{
    cmdGo_Click(PreviewButton);
}
void Form1::chkAdd_Click()
{
    cmdGo_Click(PreviewButton);
}
void Form1::chkCapi_Click()
{
    cmdGo_Click(PreviewButton);
}
void Form1::chkUp_Click()
{
    cmdGo_Click(PreviewButton);
}
void Form1::chkLow_Click()
{
    cmdGo_Click(PreviewButton);
}

} // namespace tessaly
