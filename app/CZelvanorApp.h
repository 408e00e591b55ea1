#pragma once
#include "Framework.h"

// The one application object: prepares the framework, picks the resource module and runs the
// bar modally. The process lives exactly as long as that modal run.
class CZelvanorApp : public CWinApp {
public:
    CZelvanorApp();
    ~CZelvanorApp() override;
    BOOL InitInstance() override;

    HMODULE m_hResourceLibrary; // never freed: resources come from it until the process ends

    DECLARE_MESSAGE_MAP()
};
