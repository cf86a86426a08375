#include "ui/framework/runtime_class.h"

#include <cstring>
#include <map>
#include <string>

namespace {
std::map<std::string, const CRuntimeClass*>& Registry() {
    static std::map<std::string, const CRuntimeClass*> registry;
    return registry;
}
}  // namespace

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->BaseClass())
        if (c == base) return true;
    return false;
}

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const {
    if (!m_pfnCreateObject) return nullptr;
    return std::unique_ptr<CObject>(m_pfnCreateObject());
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name) {
    if (!name) return nullptr;
    auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

RuntimeClassRegistration::RuntimeClassRegistration(const CRuntimeClass* runtimeClass) {
    Registry()[runtimeClass->m_lpszClassName] = runtimeClass;
}

std::unique_ptr<CObject> CreateObjectByName(const char* name) {
    const CRuntimeClass* c = CRuntimeClass::FromName(name);
    return c ? c->CreateObject() : nullptr;
}

const CRuntimeClass* CObject::GetThisClass() {
    static const CRuntimeClass runtimeClass = {"CObject", nullptr, nullptr};
    return &runtimeClass;
}

const CRuntimeClass* CObject::GetRuntimeClass() const { return GetThisClass(); }

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const {
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

static const RuntimeClassRegistration CObject_registration(CObject::GetThisClass());
