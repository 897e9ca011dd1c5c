#include "form1.h"
#include "listbox.h"
#include "testsupport.h"

namespace tessaly::test {

MessageBoxService::Answer FakeMessageBox::runTimeError(const QString& text, const QString& title)
{
    errors.append({title, text});
    if (whileShown)
        whileShown();
    return answers.isEmpty() ? Abort : answers.takeFirst();
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

Window::Window(FileSystem* fs)
{
    form = std::make_unique<Form1>(Services{fs ? *fs : posix, box, clipboard, end});
    form->show();
}

Window::~Window() = default;

QStringList Window::texts(const char* listName) const
{
    auto* list = get<ListBox>(listName);
    return list ? list->texts() : QStringList();
}

} // namespace tessaly::test
