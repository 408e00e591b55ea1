// One face of the gray button, built from bitmap strips.
#pragma once

#include "Framework.h"

// Paints over `rect` the centre strip stretched across it (its top and bottom two rows kept
// at full size) and the two end caps at their natural width, stretched to the full height.
void DrawButtonFace(CDC* dc, UINT midId, UINT leftId, UINT rightId, const RECT& rect);
