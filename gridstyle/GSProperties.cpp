#include "gridstyle/GSProperties.h"

#include "gridstyle/GSImplementations.h"

GS_IMPLEMENT_SERIAL(CGSProperties, CObject::classCObject, 0);
GS_IMPLEMENT_SERIAL(CGSGridParam, CObject::classCObject, 1);

const std::array<const char*, 20> CGSProperties::kPropertyNames = {
    "MarkRowHeader",        "MarkColumnHeader",       "3dHeader",
    "VerticalLines",        "HorizontalLines",        "DisplayRowHeader",
    "DisplayColumnHeader",  "Grid",                   "Print Vertical Lines",
    "Print Horizontal Lines", "Print Only Black&White", "Print Row Headers",
    "Print Column Headers", "Center Vertical",        "Center Horizontal",
    "Page Order",           "Margins",                "Print Frame",
    "Start Page Numbering", "Distances"};

namespace {

std::string ResourceOr(uint32_t id, const char* fallbackPrefix) {
  if (auto s = GSServices::Resources().String(id)) return *s;
  return fallbackPrefix + std::to_string(id);
}

CGSStyle TextStyle(const std::string& text) {
  CGSStyle s;
  s.SetValue(text);
  return s;
}

}  // namespace

CGSProperties::CGSProperties() : m_pAppData(GSAppData()), m_name(kPropertyNames[7]) {
  for (size_t i = 0; i < kTextIds.size(); ++i) m_texts[i] = GSServices::Resources().String(kTextIds[i]).value_or("");

  AddColor(52232, GSColourRef::System(17));
  AddColor(52233, GSColourRef::System(2));
  AddColor(52234, 0x0000FF);
  AddColor(52236, 0x0000FF);
  AddColor(52235, GSColourRef::System(15));

  // Margins and distances in pixels of the display's horizontal resolution.
  const int r = GSServices::Display().PixelsPerInchX();
  m_margins = {r * 3 / 2, r, r * 3 / 2, r};
  m_distances = {r * 4 / 10, r * 4 / 10};

  for (const char* token : {"$F", "$A", "$P", "$N", "$D", "$R"}) AddPageToken(token);

  for (CGSData* d : {&m_header, &m_footer}) {
    d->SetRowCount(3);
    d->SetColCount(10);
  }
  const CGSStyle date = TextStyle("$D");
  const CGSStyle pages = TextStyle("$P/$N");
  m_header.StoreStyle(1, 1, &date, gsCopy, 0);
  m_header.StoreStyle(1, 3, &pages, gsCopy, 0);
  CGSStyle footer = TextStyle("$R");
  CGSFont bold;
  bold.SetWeight(700);
  bold.SetSize(16);
  footer.SetFont(bold);
  m_footer.StoreStyle(1, 2, &footer, gsCopy, 0);
}

CGSProperties::~CGSProperties() = default;

void CGSProperties::Serialize(CArchive& ar) { GSForwardSerialize(*this, ar); }

void CGSProperties::DefineUserProperties() {
  CGSStyle s;
  s.SetControl(kChoiceControl);
  s.SetValue(m_texts[0]);
  std::string choices;
  for (size_t i = 0; i < m_texts.size(); ++i) choices += (i == 0 ? "" : "\n") + m_texts[i];
  s.SetChoiceList(choices);
  AddUserProperty(kChoiceProperty, s);
}

int CGSProperties::AddColor(uint32_t nameId, uint32_t colourRef) {
  const std::string name = ResourceOr(nameId, "COLOR");
  for (size_t i = 0; i < m_colorNames.size(); ++i)
    if (m_colorNames[i] == name) return static_cast<int>(i);
  m_colorNames.push_back(name);
  m_colorValues.push_back(colourRef);
  return static_cast<int>(m_colorNames.size() - 1);
}

void CGSProperties::AddUserProperty(uint16_t id, const CGSStyle& style) {
  auto it = m_userProperties.find(id);
  if (it != m_userProperties.end()) {
    it->second.style = style.Clone();
    return;
  }
  CGSUserPropertyEntry& e = m_userProperties[id];
  e.id = id;
  e.name = ResourceOr(id, "USERPROP");
  e.style = style.Clone();
}

const CGSUserPropertyEntry* CGSProperties::GetUserProperty(uint16_t id) const {
  auto it = m_userProperties.find(id);
  return it == m_userProperties.end() ? nullptr : &it->second;
}

int CGSProperties::AddPageToken(const std::string& token) {
  m_pageTokens.push_back(token);
  return static_cast<int>(m_pageTokens.size() - 1);
}

void CGSProperties::Free() {
  m_colorNames.clear();
  m_colorValues.clear();
  m_userProperties.clear();
}

CGSGridParam::CGSGridParam() : m_pAppData(GSAppData()) {
  m_map1.InitHashTable(1021);
  m_map1[0] = 1400;
  m_map2.InitHashTable(257);
  m_map2[0] = 6000;
  CGSImplementations* impl = GSImplementations();
  if (impl != nullptr && impl->factory) m_owned[0] = impl->factory->CreateGridParamObject();
}

CGSGridParam::~CGSGridParam() = default;

void CGSGridParam::Serialize(CArchive& ar) { GSForwardSerialize(*this, ar); }
