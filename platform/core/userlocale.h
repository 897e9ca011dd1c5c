#pragma once

#include <QLocale>

namespace tessaly {

// The system's language, or English where the system has none: the C locale sorts numbers by
// their characters and groups no digits.
inline QLocale userLocale()
{
    const QLocale locale = QLocale::system();
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                           : locale;
}

} // namespace tessaly
