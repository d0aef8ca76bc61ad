// A concrete user attribute holding its value as text, for the tests.
#pragma once

#include "gridstyle/GSUserAttribute.h"

class CTestTextAttribute : public CGSAbstractUserAttribute {
  GS_DECLARE_CLASS(CTestTextAttribute)
 public:
  CTestTextAttribute() = default;
  CTestTextAttribute(uint16_t id, std::string value) : m_value(std::move(value)) { m_nId = id; }
  CGSAbstractUserAttribute& SetValue(const std::string& text) override {
    m_value = text;
    return *this;
  }
  const std::string& GetValue() const override { return m_value; }
  std::unique_ptr<CGSAbstractUserAttribute> Clone() const override {
    return std::make_unique<CTestTextAttribute>(*this);
  }

 private:
  std::string m_value;
};

std::unique_ptr<CGSUserAttributeMap> MakeAttributes(std::initializer_list<std::pair<uint16_t, const char*>> items);
