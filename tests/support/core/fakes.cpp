#include "testsupport.h"

namespace tessaly::test {

MessageBoxService::Answer FakeMessageBox::runTimeError(const QString& text, const QString& title)
{
    errors.append({title, text});
    if (whileShown)
        whileShown();
    return answers.isEmpty() ? whenEmpty : answers.takeFirst();
}

void FakeMessageBox::warning(const QString& title, const QString& text)
{
    warnings.append({title, text});
}

void FakeClipboard::Clear()
{
    ++clears;
    content.clear();
}

void FakeClipboard::SetText(const QString& text)
{
    content = text;
}

} // namespace tessaly::test
