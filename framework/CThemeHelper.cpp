#include "CThemeHelper.h"
#include <string>
#include "UniqueHandle.h"

namespace {
using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
using GetThemePartSizeFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCRECT, THEMESIZE, SIZE*);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);

template <typename Fn> Fn Lookup(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                  : nullptr;
}

struct UxTheme {
    UniqueModule module;
    OpenThemeDataFn open = nullptr;
    GetThemePartSizeFn partSize = nullptr;
    CloseThemeDataFn close = nullptr;

    // From the system folder by full path, so that no other folder can supply the library.
    UxTheme() {
        wchar_t folder[MAX_PATH] = {};
        UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return;
        }
        std::wstring path = std::wstring(folder, length) + L"\\uxtheme.dll";
        module.reset(::LoadLibraryW(path.c_str()));
        open = Lookup<OpenThemeDataFn>(module.get(), "OpenThemeData");
        partSize = Lookup<GetThemePartSizeFn>(module.get(), "GetThemePartSize");
        close = Lookup<CloseThemeDataFn>(module.get(), "CloseThemeData");
    }
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
