#pragma once
#include "CObject.h"

class CCmdTarget;

// One message-map entry. The dispatch function unpacks the message and calls the handler by name,
// so that an unqualified virtual handler goes through the virtual table and a qualified one does
// not.
typedef LRESULT (*AFX_PMSGDISPATCH)(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;                  // first message of the range (WM_COMMAND for commands)
    UINT nLastMessage;              // last message of the range
    const UINT* pRegisteredMessage; // non-null: the message is this variable's value at dispatch
    UINT nCode;                     // WM_COMMAND notification code
    UINT nID;                       // WM_COMMAND id range
    UINT nLastID;
    AFX_PMSGDISPATCH pfn; // null ends the entries
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)(); // null for the root map
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#ifndef afx_msg
#define afx_msg
#endif

#define DECLARE_MESSAGE_MAP()                                                                      \
public:                                                                                            \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;                                              \
                                                                                                   \
protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, nullptr, 0, 0, 0, nullptr }                                                            \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &messageEntries[0]};   \
    return &messageMap;                                                                            \
    }

// WM_COMMAND entries. A command from a menu or an accelerator has code 0.
#define ON_CONTROL(code, id, fn)                                                                   \
    {WM_COMMAND,                                                                                   \
     WM_COMMAND,                                                                                   \
     nullptr,                                                                                      \
     static_cast<UINT>(code),                                                                      \
     static_cast<UINT>(id),                                                                        \
     static_cast<UINT>(id),                                                                        \
     [](CCmdTarget* afxTarget, UINT, WPARAM, LPARAM) -> LRESULT {                                  \
         static_cast<ThisClass*>(afxTarget)->fn();                                                 \
         return 0;                                                                                 \
     }},
#define ON_COMMAND(id, fn) ON_CONTROL(0, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)

#define ON_MESSAGE(message, fn)                                                                    \
    {static_cast<UINT>(message),                                                                   \
     static_cast<UINT>(message),                                                                   \
     nullptr,                                                                                      \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     [](CCmdTarget* afxTarget, UINT, WPARAM afxW, LPARAM afxL) -> LRESULT {                        \
         return static_cast<ThisClass*>(afxTarget)->fn(afxW, afxL);                                \
     }},

#define ON_REGISTERED_MESSAGE(var, fn)                                                             \
    {0, 0, &(var), 0, 0, 0, [](CCmdTarget* afxTarget, UINT, WPARAM afxW, LPARAM afxL) -> LRESULT { \
         return static_cast<ThisClass*>(afxTarget)->fn(afxW, afxL);                                \
     }},

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // Runs the WM_COMMAND entry of the map chain for (id, code); FALSE when there is none.
    virtual BOOL OnCmdMsg(UINT id, int code);

protected:
    CCmdTarget() = default;
    // The first non-command entry of the map chain for this message, or null.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message) const;
};
