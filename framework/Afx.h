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

// Called, with the exception in flight, when an exception leaves a message handler. It must not
// go on through the system's frames: there it may be swallowed, and the program would run on in
// a state no handler finished. Without a handler set, the process ends through std::terminate;
// when the handler returns, the message's result is 0. Returns the handler set before.
using AfxHandlerFaultFn = void (*)();
AfxHandlerFaultFn AfxSetHandlerFault(AfxHandlerFaultFn handler);
// For the framework's procedures, inside their catch: hands the exception to the handler.
void AfxHandlerFault();

// Registration of the application object, for CWinApp.
void AfxSetApp(CWinApp* app);
