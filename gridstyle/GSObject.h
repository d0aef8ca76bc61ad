// Run-time class records and the object base of the grid style classes.
//
// Every class of the family has one record (name, base record, schema and an
// optional create function). Records are registered by static initialisers,
// so that an archive can create an object from the class name it holds.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

class CArchive;
class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  const CRuntimeClass* m_pBaseClass;  // null for the root
  uint32_t m_wSchema;
  CObject* (*m_pfnCreateObject)();     // null when the class cannot be created

  bool IsDerivedFrom(const CRuntimeClass* base) const;
  // A new object of this class, or null when the class has no create function.
  std::unique_ptr<CObject> CreateObject() const;
  // The registered record of that name, or null.
  static const CRuntimeClass* FromName(std::string_view name);
};

// Adds a record to the registry; one static instance per class.
struct CClassRegistration {
  explicit CClassRegistration(const CRuntimeClass* rc);
};

class CObject {
 public:
  static const CRuntimeClass classCObject;
  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
  virtual void Serialize(CArchive& ar);
  const char* ClassName() const { return GetRuntimeClass()->m_lpszClassName; }
  bool IsKindOf(const CRuntimeClass* rc) const { return GetRuntimeClass()->IsDerivedFrom(rc); }

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

// Records of the class library's container bases, which the grid classes
// name as their bases; no object of these is ever created.
extern const CRuntimeClass classCPtrArray;
extern const CRuntimeClass classCPtrList;
extern const CRuntimeClass classCObArray;
extern const CRuntimeClass classCWnd;

#define GS_DECLARE_CLASS(name)                                   \
 public:                                                         \
  static const CRuntimeClass class##name;                        \
  const CRuntimeClass* GetRuntimeClass() const override { return &class##name; }

// A record with a create function (the class must be default-constructible).
#define GS_IMPLEMENT_SERIAL(name, baseRecord, schema)                                    \
  const CRuntimeClass name::class##name = {#name, &(baseRecord), schema,                 \
                                           []() -> CObject* { return new name; }};       \
  static const CClassRegistration gs_registration_##name(&name::class##name)

// A record without a create function.
#define GS_IMPLEMENT_CLASS(name, baseRecord, schema)                       \
  const CRuntimeClass name::class##name = {#name, &(baseRecord), schema, nullptr}; \
  static const CClassRegistration gs_registration_##name(&name::class##name)
