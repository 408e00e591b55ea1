// Shows one skinned window modally so that a person (or a screenshot) can look at it:
//   SkinHarness.exe [about|menu|buttons|bar]
// Ends like the window itself ends (Escape, its button, its close button). A console program:
// under Wine a GUI program sets up its display before main runs, too early for it to turn the
// window manager's decorations off for itself.
#include <string>

#include "SkinTestResources.h"
#include "tests/support/WineSettings.h"
#include "res/resource.h"
#include "bar/CAboutDlg.h"
#include "bar/ProgramSkin.h"

namespace {

class PlainSkinDialog : public CDiyDialogEx {
public:
    explicit PlainSkinDialog(UINT templateId) : CDiyDialogEx(templateId, ProgramSkin::kCaption) {}
};

class ButtonsDialog : public CDiyDialogEx {
public:
    ButtonsDialog() : CDiyDialogEx(IDD_TEST_BUTTON_DIALOG, ProgramSkin::kCaption) {}
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_BUTTON, m_button);
        DDX_Control(pDX, IDC_TEST_DISABLED_BUTTON, m_disabled);
    }
    CGrayButton m_button{ProgramSkin::kGrayButton};
    CGrayButton m_disabled{ProgramSkin::kGrayButton};
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    ztest::DisableWindowManagerDecorations();
    const std::wstring which = argc > 1 ? argv[1] : L"";
    if (which == L"menu" || which == L"bar") {
        PlainSkinDialog dialog(which == L"menu" ? IDD_TEST_MENU_DIALOG : IDD_ZELVANOR_DIALOG);
        return static_cast<int>(dialog.DoModal());
    }
    if (which == L"buttons") {
        ButtonsDialog dialog;
        return static_cast<int>(dialog.DoModal());
    }
    CAboutDlg about;
    return static_cast<int>(about.DoModal());
}
