#pragma once

#include <QString>
#include <QStringView>
#include <string>

namespace tessaly {

// A file mask with the wildcards "*" (any run of characters) and "?" (one character),
// matched without regard to case. "*", "*.*" and the empty mask match every name.
class Mask {
public:
    explicit Mask(const QString& pattern);
    bool matches(QStringView name) const;

private:
    std::u32string m_folded;
    std::u16string m_suffix; // folded, where the mask is "*" and an ASCII ending
    bool m_all = false;
};

} // namespace tessaly
