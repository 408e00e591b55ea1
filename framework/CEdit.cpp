#include "CEdit.h"

IMPLEMENT_DYNAMIC(CEdit, CWnd)
