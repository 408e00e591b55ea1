#include "CThemeHelper.h"
#include "SystemLibrary.h"

namespace {
using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
using GetThemePartSizeFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCRECT, THEMESIZE, SIZE*);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);

struct UxTheme {
    SystemLibrary library{L"uxtheme.dll"};
    OpenThemeDataFn open = library.Find<OpenThemeDataFn>("OpenThemeData");
    GetThemePartSizeFn partSize = library.Find<GetThemePartSizeFn>("GetThemePartSize");
    CloseThemeDataFn close = library.Find<CloseThemeDataFn>("CloseThemeData");
};

const UxTheme& Api() {
    static UxTheme api;
    return api;
}
} // namespace

HTHEME CThemeHelper::OpenThemeData(HWND hWnd, LPCWSTR classList) {
    return Api().open ? Api().open(hWnd, classList) : nullptr;
}

HRESULT CThemeHelper::GetThemePartSize(HTHEME theme, HDC hdc, int part, int state, LPCRECT rect,
                                       THEMESIZE kind, SIZE* size) {
    if (theme == nullptr || Api().partSize == nullptr) {
        return E_FAIL;
    }
    return Api().partSize(theme, hdc, part, state, rect, kind, size);
}

HRESULT CThemeHelper::CloseThemeData(HTHEME theme) {
    if (theme == nullptr || Api().close == nullptr) {
        return E_FAIL;
    }
    return Api().close(theme);
}
