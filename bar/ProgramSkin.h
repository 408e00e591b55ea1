#pragma once
// The program's own pictures for the reusable skin: caption buttons of both dialogs and the
// faces of the gray button.
#include "res/resource.h"
#include "skin/CDiyDialogEx.h"
#include "skin/CGrayButton.h"

namespace ProgramSkin {

inline const CDiyDialogEx::CaptionBitmaps kCaption = {
    {IDB_CAPTION_CLOSE, IDB_CAPTION_CLOSE_HOVER, IDB_CAPTION_CLOSE_PRESSED},
    {IDB_CAPTION_MAX, IDB_CAPTION_MAX_HOVER, IDB_CAPTION_MAX_PRESSED},
    {IDB_CAPTION_RESTORE, IDB_CAPTION_RESTORE_HOVER, IDB_CAPTION_RESTORE_PRESSED},
    {IDB_CAPTION_MIN, IDB_CAPTION_MIN_HOVER, IDB_CAPTION_MIN_PRESSED},
};

inline const CGrayButton::Faces kGrayButton = {
    {IDB_GRAYBTN_MID, IDB_GRAYBTN_LEFT, IDB_GRAYBTN_RIGHT},
    {IDB_GRAYBTN_HOVER_MID, IDB_GRAYBTN_HOVER_LEFT, IDB_GRAYBTN_HOVER_RIGHT},
    {IDB_GRAYBTN_PRESSED_MID, IDB_GRAYBTN_PRESSED_LEFT, IDB_GRAYBTN_PRESSED_RIGHT},
};

} // namespace ProgramSkin
