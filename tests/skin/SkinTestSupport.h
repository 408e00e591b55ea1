// Running a modal skinned dialog while a script drives it from inside its loop.
#pragma once

#include <functional>

#include "Framework.h"
#include "bar/ProgramSkin.h"
#include "tests/support/Desktop.h"
#include "tests/support/Image.h"
#include "tests/support/TestHandles.h"

namespace skintest {

using namespace ztest;

// Runs `dialog` modally; `script` runs inside its message loop once the window is up, and the
// harness's pumps pass keys through the dialog manager meanwhile. A dialog that the script did
// not end is ended with -2, so a missing ending shows as a wrong result.
[[nodiscard]] INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& script);

// A bitmap of the program's resources, which are linked into the test program.
inline Image BitmapOfResource(UINT id) {
    return BitmapResource(GetModuleHandleW(nullptr), id);
}

} // namespace skintest
