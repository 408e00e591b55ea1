#include "CDwmHelper.h"
#include "SystemLibrary.h"

namespace {
// dwmapi.h's values; the header is not needed for two numbers.
constexpr DWORD kNcRenderingPolicy = 2; // DWMWA_NCRENDERING_POLICY
constexpr DWORD kCloaked = 14;          // DWMWA_CLOAKED
constexpr int kNcRenderingDisabled = 1; // DWMNCRP_DISABLED

using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, const void*, DWORD);

struct DwmApi {
    SystemLibrary library{L"dwmapi.dll"};
    GetAttributeFn get = library.Find<GetAttributeFn>("DwmGetWindowAttribute");
    SetAttributeFn set = library.Find<SetAttributeFn>("DwmSetWindowAttribute");
};

const DwmApi& Api() {
    static DwmApi api;
    return api;
}
} // namespace

bool CDwmHelper::IsCloaked(HWND hWnd) {
    DWORD cloaked = 0;
    return Api().get && SUCCEEDED(Api().get(hWnd, kCloaked, &cloaked, sizeof(cloaked))) &&
           cloaked != 0;
}

void CDwmHelper::DisableNonClientRendering(HWND hWnd) {
    if (Api().set) {
        const int policy = kNcRenderingDisabled;
        Api().set(hWnd, kNcRenderingPolicy, &policy, sizeof(policy));
    }
}
