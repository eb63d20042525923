// The root of every framework class that can be named in a file or checked for its kind.
//
// A class takes part in the runtime-class registry through a macro pair: the BEGIN macro
// opens the class body, the END macro follows the class's closing brace.
//
//     class CWceUiButton : public CWceUiLayer {
//         WCEUI_DYNCREATE_BEGIN(CWceUiButton, CWceUiLayer)
//     public:
//         ...
//     };
//     WCEUI_DYNCREATE_END(CWceUiButton, CWceUiLayer)
//
// WCEUI_DYNCREATE makes the class creatable by name (it needs a default constructor);
// WCEUI_DYNAMIC registers it for kind checks only. The END macro registers the class from
// every translation unit that includes the header; repeats are harmless. The BEGIN macro
// leaves the access at private.
#pragma once

#include <new>

#include "JXHandleDycInfo.h"
#include "wce/types.h"

// The class name X as a wide string literal.
#define WCEUI_CLASS_NAME(X) (u"" #X)

class CWceUiObject;

// A member, one per class of a hierarchy: members are built from the base class to the most
// derived one, so the last name set is the object's own class. A copy names its new owner
// after the member's own class, so a copy (sliced or not) never carries a foreign name;
// assignment keeps the target's name.
struct CWceUiClassNameMember {
    CWceUiClassNameMember(CWceUiObject* pOwner, LPCWSTR pClassName);
    CWceUiClassNameMember(const CWceUiClassNameMember& other);
    CWceUiClassNameMember& operator=(const CWceUiClassNameMember&) { return *this; }

private:
    LPCWSTR m_pClassName;
    long m_nOwnerOffset;  // from the owner's CWceUiObject part to this member
};

// One per class and translation unit, run during static initialisation.
struct CWceUiClassRegistration {
    CWceUiClassRegistration(PFN_WCEUI_CREATE_OBJECT pFunc, LPCWSTR pClassName, LPCWSTR pBaseClassName)
    {
        JxGetHandleDycInfo()->RegisterClassInfo(pFunc, pClassName, pBaseClassName);
    }
};

// Whether a class of that name is registered with a creation function.
BOOL WceUiIsClassCreatable(LPCWSTR pClassName);
// Registers a class at run time, as the END macros do: both names must live as long as the
// process (a base of "0" makes a root). FALSE for a missing function or name.
BOOL WceUiRegisterClass(PFN_WCEUI_CREATE_OBJECT pFunc, LPCWSTR pClassName, LPCWSTR pBaseClassName);

// Logs why a class declared with the WCEUI_DYNAMIC pair cannot be created; returns null.
CWceUiObject* WceUiRefuseDynamicCreate();

#define WCEUI_IMP_CLASS_BEGIN(ThisClass)                                                   \
public:                                                                                    \
    static LPCWSTR GetThisClassName() { return WCEUI_CLASS_NAME(ThisClass); }             \
                                                                                           \
private:                                                                                   \
    CWceUiClassNameMember m_wceuiClassName_##ThisClass{this, WCEUI_CLASS_NAME(ThisClass)};

#define WCEUI_DYNCREATE_BEGIN(ThisClass, BaseClass)                                \
    WCEUI_IMP_CLASS_BEGIN(ThisClass)                                               \
public:                                                                            \
    static CWceUiObject* CreateWceUiObject() { return new (std::nothrow) ThisClass(); } \
                                                                                   \
private:

#define WCEUI_DYNAMIC_BEGIN(ThisClass, BaseClass)                                  \
    WCEUI_IMP_CLASS_BEGIN(ThisClass)                                               \
public:                                                                            \
    static CWceUiObject* CreateWceUiObject() { return WceUiRefuseDynamicCreate(); } \
                                                                                   \
private:

#define WCEUI_IMP_CLASS_END(ThisClass, BaseClass)                                                      \
    static const CWceUiClassRegistration s_wceuiClassRegistration_##ThisClass(                         \
        &ThisClass::CreateWceUiObject, WCEUI_CLASS_NAME(ThisClass), WCEUI_CLASS_NAME(BaseClass));

#define WCEUI_DYNCREATE_END(ThisClass, BaseClass) WCEUI_IMP_CLASS_END(ThisClass, BaseClass)
#define WCEUI_DYNAMIC_END(ThisClass, BaseClass) WCEUI_IMP_CLASS_END(ThisClass, BaseClass)

class CWceUiObject {
    LPCWSTR m_pClassName;  // static string, not owned; declared before the class-name member

    WCEUI_DYNCREATE_BEGIN(CWceUiObject, 0)

public:
    CWceUiObject();
    // The class-name members set the copy's name; assignment keeps the target's.
    CWceUiObject(const CWceUiObject&) : m_pClassName(NULL) {}
    CWceUiObject& operator=(const CWceUiObject&) { return *this; }
    virtual ~CWceUiObject();

    BOOL SetClassName(LPCWSTR pClassName);
    LPCWSTR GetClassName() const { return m_pClassName; }
    BOOL IsKindOf(LPCWSTR pBaseClassName) const;
};
WCEUI_DYNCREATE_END(CWceUiObject, 0)

// A new object of the named class (the caller deletes it), or null.
CWceUiObject* WceUiCreateObject(LPCWSTR pClassName);
