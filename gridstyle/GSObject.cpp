#include "gridstyle/GSObject.h"

#include <map>
#include <string>

#include "gridstyle/GSArchive.h"

namespace {

// The registry lives in a function so that records registered by other
// translation units' static initialisers always find it built.
std::map<std::string, const CRuntimeClass*, std::less<>>& Registry() {
  static std::map<std::string, const CRuntimeClass*, std::less<>> registry;
  return registry;
}

}  // namespace

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* rc = this; rc != nullptr; rc = rc->m_pBaseClass) {
    if (rc == base) return true;
  }
  return false;
}

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const {
  if (m_pfnCreateObject == nullptr) return nullptr;
  return std::unique_ptr<CObject>(m_pfnCreateObject());
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name) {
  auto& reg = Registry();
  auto it = reg.find(name);
  return it == reg.end() ? nullptr : it->second;
}

CClassRegistration::CClassRegistration(const CRuntimeClass* rc) {
  Registry()[rc->m_lpszClassName] = rc;
}

const CRuntimeClass CObject::classCObject = {"CObject", nullptr, 0xFFFF, nullptr};
const CRuntimeClass classCPtrArray = {"CPtrArray", &CObject::classCObject, 0xFFFF, nullptr};
const CRuntimeClass classCPtrList = {"CPtrList", &CObject::classCObject, 0xFFFF, nullptr};
const CRuntimeClass classCObArray = {"CObArray", &CObject::classCObject, 0xFFFF, nullptr};
const CRuntimeClass classCWnd = {"CWnd", &CObject::classCObject, 0xFFFF, nullptr};

namespace {
const CClassRegistration regObject(&CObject::classCObject);
const CClassRegistration regPtrArray(&classCPtrArray);
const CClassRegistration regPtrList(&classCPtrList);
const CClassRegistration regObArray(&classCObArray);
const CClassRegistration regWnd(&classCWnd);
}  // namespace

void CObject::Serialize(CArchive&) {}
