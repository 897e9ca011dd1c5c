// Form1: the rule option panel. Editing a rule's field ticks its box, and every edit or click
// refreshes the preview.
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "engine/numbers.h"
#include "window/form1.h"

namespace tessaly {

const Form1::RuleRow Form1::RulePanel[] = {
    {&Form1::chkAdd,
     &Form1::Label3,
     &Form1::chkAdd_Click,
     &RenameRules::insertOn,
     false,
     true,
     {{&Form1::txtAdd, &Form1::txtAdd_Change, &RenameRules::insertText, nullptr},
      {&Form1::txtAft, &Form1::txtAft_Change, nullptr, &Form1::txtAft_GotFocus}}},
    {&Form1::chkCapi,
     &Form1::Label7,
     &Form1::chkCapi_Click,
     &RenameRules::capitalizeOn,
     false,
     true,
     {}},
    {&Form1::chkEras,
     &Form1::Label1,
     &Form1::chkEras_Click,
     &RenameRules::eraseOn,
     false,
     true,
     {{&Form1::txtEras, &Form1::txtEras_Change, &RenameRules::eraseText, nullptr}}},
    {&Form1::chkLow,
     &Form1::Label14,
     &Form1::chkLow_Click,
     &RenameRules::lowerSuffixOn,
     false,
     true,
     {}},
    {&Form1::chkRepl,
     &Form1::Label2,
     &Form1::chkRepl_Click,
     &RenameRules::replaceOn,
     false,
     true,
     {{&Form1::txtRepl, &Form1::txtRepl_Change, &RenameRules::replaceFind, nullptr},
      {&Form1::txtWith, &Form1::txtWith_Change, &RenameRules::replaceWith, nullptr}}},
    {&Form1::chkRepl2,
     &Form1::Label8,
     &Form1::chkRepl2_Click,
     &RenameRules::rangeOn,
     false,
     true,
     {{&Form1::txtFrom, &Form1::txtFrom_Change, nullptr, &Form1::txtFrom_GotFocus},
      {&Form1::txtTo, &Form1::txtTo_Change, nullptr, &Form1::txtTo_GotFocus},
      {&Form1::txtWith2, &Form1::txtWith2_Change, &RenameRules::rangeWith, nullptr}}},
    {&Form1::chkUp,
     &Form1::Label13,
     &Form1::chkUp_Click,
     &RenameRules::upperSuffixOn,
     false,
     true,
     {}},
    {&Form1::chkAll,
     &Form1::Label15,
     &Form1::chkAll_Click,
     &RenameRules::allMatches,
     true,
     false,
     {}},
};

void Form1::connectRulePanel()
{
    for (const RuleRow& row : RulePanel) {
        connect(this->*row.box, &CheckBox::Click, this, row.click);
        CheckBox* box = this->*row.box;
        connect(this->*row.caption, &Label::Click, box, &QAbstractButton::click);
        for (const RuleField& field : row.fields) {
            if (!field.box)
                continue;
            connect(this->*field.box, &TextBox::Change, this, field.change);
            if (field.gotFocus)
                connect(this->*field.box, &TextBox::GotFocus, this, field.gotFocus);
        }
    }
}

RenameRules Form1::ruleSettings() const
{
    // A rule counts as on only when its box is ticked (1); "Replace all" for any non-zero value.
    RenameRules rules;
    for (const RuleRow& row : RulePanel) {
        const int value = (this->*row.box)->Value();
        rules.*row.on = row.onWhenGreyed ? value != 0 : value == 1;
        for (const RuleField& field : row.fields) {
            if (field.box && field.text)
                rules.*field.text = (this->*field.box)->Text();
        }
    }
    return rules; // the three positions are read by steps of their own
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
    const auto onlyTheLast = m_marks.markOnlyTheLast();
    const quint64 previewed = m_cleanPreviews;
    box->setText(normalNumberForm(box->Text(), m_decimalPoint));
    box->setSelStart(int(box->Text().size()));
    rule->setValue(1); // a box that was clear raises its own preview first
    previewAgainUnless(previewed);
}

void Form1::tickAndPreview(CheckBox* rule)
{
    const auto onlyTheLast = m_marks.markOnlyTheLast();
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
