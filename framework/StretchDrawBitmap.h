#pragma once
#include "Framework.h"

// Draws bitmap resource `id` stretched over `rect` of the DC, in halftone mode (left set on the
// DC). The bitmap is loaded from the current resource module on every call.
void StretchDrawBitmap(CDC* pDC, UINT id, CRect rect);
