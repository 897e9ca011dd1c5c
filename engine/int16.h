#pragma once

#include "core/runtimeerror.h"

#include <QtGlobal>

namespace tessaly {

// Positions and counts inside names are 16-bit: arithmetic that leaves -32768..32767 is an
// overflow, never a wrap.
inline qint16 toInt16(qint64 v)
{
    if (v < -32768 || v > 32767)
        throw RunTimeError(ErrorCode::Overflow);
    return static_cast<qint16>(v);
}

} // namespace tessaly
