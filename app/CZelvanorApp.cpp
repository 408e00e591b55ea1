// Placeholder until the framework layer exists: shows dialog 102 modally.
#include <windows.h>
static INT_PTR CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM) {
    if (m == WM_COMMAND && (LOWORD(w) == IDCANCEL || LOWORD(w) == 32776)) {
        EndDialog(h, 0);
        return TRUE;
    }
    return m == WM_INITDIALOG;
}
int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, LPWSTR, int) {
    return static_cast<int>(DialogBoxParamW(inst, MAKEINTRESOURCEW(102), nullptr, Proc, 0));
}
