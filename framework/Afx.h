#pragma once
#include <windows.h>

class CWinApp;
class CWnd;

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// The module every resource is loaded from: the executable unless a resource library was set.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);
// The current resource module; a resource library replaces every resource, so a resource it
// lacks fails to load rather than coming from the executable.
HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);

// Registration of the application object, for CWinApp.
void AfxSetApp(CWinApp* app);
