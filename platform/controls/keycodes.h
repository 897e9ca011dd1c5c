#pragma once

#include <Qt>

namespace tessaly {

// The key, shift and mouse-button numbers that the handlers receive.
namespace KeyCode {
constexpr int Space = 32;
constexpr int Delete = 46;
} // namespace KeyCode
constexpr int ShiftMask = 1, CtrlMask = 2, AltMask = 4;
constexpr int LeftButton = 1, RightButton = 2, MiddleButton = 4;

int virtualKeyCode(int qtKey);
int shiftState(Qt::KeyboardModifiers modifiers);
int buttonCode(Qt::MouseButton button);

} // namespace tessaly
