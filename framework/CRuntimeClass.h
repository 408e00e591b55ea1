#pragma once
#include <windows.h>

// Run-time class information: a name, a size and the base class, for IsKindOf.
struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    const CRuntimeClass* m_pBaseClass;

    BOOL IsDerivedFrom(const CRuntimeClass* base) const {
        for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
            if (c == base) {
                return TRUE;
            }
        }
        return FALSE;
    }
};

#define RUNTIME_CLASS(cls) (&cls::class##cls)

#define DECLARE_DYNAMIC(cls)                                                                       \
public:                                                                                            \
    static const CRuntimeClass class##cls;                                                         \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(cls, base)                                                               \
    const CRuntimeClass cls::class##cls = {#cls, static_cast<int>(sizeof(cls)),                    \
                                           RUNTIME_CLASS(base)};                                   \
    const CRuntimeClass* cls::GetRuntimeClass() const {                                            \
        return RUNTIME_CLASS(cls);                                                                 \
    }
