// User attributes that a style can carry, kept sorted by id.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gridstyle/GSObject.h"

// The base of all user attributes: an id; the value is reached through
// virtual operations (the base holds none).
class CGSAbstractUserAttribute : public CObject {
  GS_DECLARE_CLASS(CGSAbstractUserAttribute)
 public:
  CGSAbstractUserAttribute() = default;
  uint16_t m_nId = 0;

  // Archive: the value text.
  void Serialize(CArchive& ar) override;
  // Sets the value from a text and returns this attribute (the base ignores it).
  virtual CGSAbstractUserAttribute& SetValue(const std::string& text);
  // The value as text (the base: an empty text).
  virtual const std::string& GetValue() const;
  // The value text read as a decimal integer (0 when it holds none).
  virtual int32_t GetLong() const;
  virtual uint32_t GetDWord() const { return static_cast<uint32_t>(GetLong()); }
  // The value text read as a floating point number (0 when it holds none).
  virtual double GetDouble() const;
  // A copy; the base returns null and concrete attributes supply one.
  virtual std::unique_ptr<CGSAbstractUserAttribute> Clone() const { return nullptr; }
  virtual bool IsEqual(const CGSAbstractUserAttribute& other) const {
    return m_nId == other.m_nId && GetValue() == other.GetValue();
  }
  virtual bool IsEmpty() const { return GetValue().empty(); }
};

// The attribute returned by lookups that find nothing.
const CGSAbstractUserAttribute& GSEmptyUserAttribute();

// Owned attributes sorted ascending by id, at most one per id.
class CGSUserAttributeMap : public CObject {
  GS_DECLARE_CLASS(CGSUserAttributeMap)
 public:
  CGSUserAttributeMap() = default;
  // A deep copy (attributes that cannot be cloned are left out).
  std::unique_ptr<CGSUserAttributeMap> Clone() const;

  // Index of the id (binary search), -1 when absent.
  int FindIndex(uint16_t id) const;
  CGSAbstractUserAttribute* Get(uint16_t id) const;
  // Puts the attribute in, replacing one with the same id.
  void Set(std::unique_ptr<CGSAbstractUserAttribute> attr);
  // Removes (destroys) the attribute of the id; false when absent.
  bool Remove(uint16_t id);
  bool IsEmpty() const { return m_items.empty(); }
  size_t GetSize() const { return m_items.size(); }
  const CGSAbstractUserAttribute& At(size_t i) const { return *m_items[i]; }
  // Merge modes as for styles: 0 override, 1 fill in, 2 copy, 3 remove.
  void Merge(const CGSUserAttributeMap& other, int mode);
  // A 16-bit count, then per attribute the object and its 16-bit id.
  void Serialize(CArchive& ar) override;
  void FreeAll() { m_items.clear(); }

 private:
  void SortById();
  std::vector<std::unique_ptr<CGSAbstractUserAttribute>> m_items;
};
