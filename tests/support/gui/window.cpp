#include "windowfixture.h"

namespace tessaly::test {

Window::Window(FileSystem& fs)
{
    form = std::make_unique<Form1>(Services{fs, box, clipboard, end});
    form->show();
}

Window::~Window() = default;

QStringList Window::texts(const char* listName) const
{
    auto* list = get<ListBox>(listName);
    return list ? list->texts() : QStringList();
}

} // namespace tessaly::test
