// Shared by the skin tests: the harness, and the program's pictures linked into the test program.
#pragma once

#include "Framework.h"
#include "bar/ProgramSkin.h"
#include "tests/support/Desktop.h"
#include "tests/support/Image.h"
#include "tests/support/MessageLog.h"
#include "tests/support/Modal.h"
#include "tests/support/TestHandles.h"

namespace skintest {

using namespace ztest;

// A bitmap of the program's resources, which are linked into the test program.
inline Image BitmapOfResource(UINT id) {
    return BitmapResource(GetModuleHandleW(nullptr), id);
}

// A point as the system packs one into an lParam, negative coordinates included.
inline LPARAM Packed(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                      static_cast<WORD>(static_cast<short>(y)));
}

} // namespace skintest
