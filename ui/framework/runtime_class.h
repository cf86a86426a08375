// Runtime class names and dynamic creation by name.
//
//   class CColcndPP : public CPropertyPage {
//       DECLARE_DYNCREATE(CColcndPP)
//   ...
//   IMPLEMENT_DYNCREATE(CColcndPP, CPropertyPage)     // in the .cpp
//
//   RUNTIME_CLASS(CColcndPP)->m_lpszClassName   == "CColcndPP"
//   auto page = CreateObjectByName("CColcndPP");  // std::unique_ptr<CObject>
//
// A class registers its name when its translation unit is linked in; the
// library links its code whole, tests link what they name.
#pragma once

#include <memory>

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)();  // null: not dynamically creatable
    const CRuntimeClass* (*m_pfnGetBaseClass)();

    const CRuntimeClass* BaseClass() const { return m_pfnGetBaseClass ? m_pfnGetBaseClass() : nullptr; }
    bool IsDerivedFrom(const CRuntimeClass* base) const;
    // A new object of this class, or null when it cannot be created.
    std::unique_ptr<CObject> CreateObject() const;

    // The registered class of this exact name (case-sensitive), or null.
    static const CRuntimeClass* FromName(const char* name);
};

// Adds a class to the registry of names; used by IMPLEMENT_DYNAMIC.
struct RuntimeClassRegistration {
    explicit RuntimeClassRegistration(const CRuntimeClass* runtimeClass);
};

std::unique_ptr<CObject> CreateObjectByName(const char* name);

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* runtimeClass) const;
    static const CRuntimeClass* GetThisClass();
};

#define RUNTIME_CLASS(theClass) (theClass::GetThisClass())

#define DECLARE_DYNAMIC(theClass)                                \
public:                                                          \
    static const CRuntimeClass* GetThisClass();                  \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(theClass) \
    DECLARE_DYNAMIC(theClass)       \
    static CObject* CreateObject();

#define QV_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, creator)                                     \
    const CRuntimeClass* theClass::GetThisClass() {                                                 \
        static const CRuntimeClass runtimeClass = {#theClass, creator, &baseClass::GetThisClass};   \
        return &runtimeClass;                                                                       \
    }                                                                                               \
    const CRuntimeClass* theClass::GetRuntimeClass() const { return GetThisClass(); }               \
    static const RuntimeClassRegistration theClass##_registration(theClass::GetThisClass());

#define IMPLEMENT_DYNAMIC(theClass, baseClass) QV_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, nullptr)

#define IMPLEMENT_DYNCREATE(theClass, baseClass)                      \
    CObject* theClass::CreateObject() { return new theClass; }        \
    QV_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, &theClass::CreateObject)
