#include "test_attribute.h"

GS_IMPLEMENT_SERIAL(CTestTextAttribute, CGSAbstractUserAttribute::classCGSAbstractUserAttribute, 0);

std::unique_ptr<CGSUserAttributeMap> MakeAttributes(std::initializer_list<std::pair<uint16_t, const char*>> items) {
  auto map = std::make_unique<CGSUserAttributeMap>();
  for (const auto& [id, value] : items) map->Set(std::make_unique<CTestTextAttribute>(id, value));
  return map;
}
