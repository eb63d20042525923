// The runtime-class registry: class name -> creation function and base class. Classes
// register from static objects before main runs, so the registry is reachable without the
// framework globals and never logs (only the debug assertion).
#pragma once

#include "JXMapStringToType.h"
#include "wce/types.h"

class CWceUiObject;
typedef CWceUiObject* (*PFN_WCEUI_CREATE_OBJECT)();

struct CJxClassInfo {
    CJxClassInfo* pBaseClassInfo;  // null for a root class (or a base not registered yet)
    PFN_WCEUI_CREATE_OBJECT pFunc;  // null until the class itself registers
};

class CJxHandleDycInfo {
public:
    enum { HASH_TABLE_SIZE = 47 };

    CJxHandleDycInfo();
    ~CJxHandleDycInfo();
    CJxHandleDycInfo(const CJxHandleDycInfo&) = delete;
    CJxHandleDycInfo& operator=(const CJxHandleDycInfo&) = delete;

    // pClassName and pBaseClassName must be strings of static lifetime: they are kept as
    // keys. A base named "0" makes a root. Registering the same class again is harmless.
    BOOL RegisterClassInfo(PFN_WCEUI_CREATE_OBJECT pFunc, LPCWSTR pClassName, LPCWSTR pBaseClassName);
    BOOL IsKindOf(LPCWSTR pClassName, LPCWSTR pBaseClassName) const;
    const CJxClassInfo* FindClassInfo(LPCWSTR pClassName) const;
    // A new object (owned by the caller), or null for an unknown or non-creatable class.
    CWceUiObject* CreateObject(LPCWSTR pClassName) const;

    int GetCount() const { return m_ClassMap.GetCount(); }
    JXPOSITION GetStartPosition() const { return m_ClassMap.GetStartPosition(); }
    void GetNextClass(JXPOSITION& rPosition, LPCWSTR& rClassName, const CJxClassInfo*& rClassInfo) const;

private:
    CJxClassInfo* FindOrAddClassInfo(LPCWSTR pClassName);

    JXMapStringToType<CJxClassInfo*> m_ClassMap;
    LPCWSTR m_pLastClassName;  // the name registered just before, skipped when repeated
};

// The process-wide registry, created on first use and destroyed at exit.
CJxHandleDycInfo* JxGetHandleDycInfo();
