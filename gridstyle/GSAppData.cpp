#include "gridstyle/GSAppData.h"

#include <optional>

#include "gridstyle/GSArchive.h"
#include "gridstyle/GSDrawing.h"
#include "gridstyle/GSFont.h"
#include "gridstyle/GSUserAttribute.h"

namespace {

// Never read; kept with the values the styles map's defaults start with.
struct GSStylesMapDefaults {
  std::string text1, text2;
  std::string pair1a, pair1b, pair2a, pair2b;
  int value750 = 750, value1500 = 1500, value1 = 1;
  int minus1a = -1, minus1b = -1;
  std::array<uint8_t, 256> buffer256{};
  std::array<uint8_t, 64> buffer64{};
  std::string textBuffer;
};

// Never read; three texts, two switches on.
struct GSDefaultRecord {
  std::string text1, text2, text3;
  bool switch1 = true, switch2 = true;
};

// The known rows of the pattern table: patterns 0 to 3.
constexpr std::array<std::array<uint16_t, 8>, 4> kPatternRows = {{
    {0x44, 0x11, 0x44, 0x11, 0x44, 0x11, 0x44, 0x11},
    {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA},
    {0xBB, 0xEE, 0xBB, 0xEE, 0xBB, 0xEE, 0xBB, 0xEE},
    {0xEE, 0xFF, 0xBB, 0xFF, 0xEE, 0xFF, 0xBB, 0xFF},
}};

constexpr int kPatternCount = 41;

// In the order the library builds them; destroyed in reverse at unload.
struct GSProcessObjects {
  GSProcessObjects();
  ~GSProcessObjects();

  CGSAbstractUserAttribute emptyAttribute;
  CGSFontTable fontTable;
  GSStylesMapDefaults stylesMapDefaults;
  std::array<std::optional<CGSPatternBitmap>, kPatternCount> patterns;
  CGSAppData appData;
  CGSColorTable colorTable;
  std::unique_ptr<CGSDIBPool> pool;
  std::unique_ptr<CGSDrawingAndFormatting> drawing;
  GSDefaultRecord defaultRecord;
  std::unique_ptr<CObject> heldObject;
};

// Constant-initialised, so valid before and after the objects' lifetime.
bool g_destroyed = false;
GSProcessObjects* g_objects = nullptr;

GSProcessObjects* Objects() {
  if (g_destroyed) return nullptr;
  static GSProcessObjects objects;
  return &objects;
}

GSProcessObjects::GSProcessObjects() { g_objects = this; }

GSProcessObjects::~GSProcessObjects() {
  // Members are destroyed after this body: objects they hold must no longer
  // reach the font cache or the colour table.
  g_destroyed = true;
  g_objects = nullptr;
}

// Built during the library's static initialisation.
const bool g_built = (Objects(), true);

}  // namespace

bool GSProcessObjectsAlive() { return g_objects != nullptr; }

const CGSAbstractUserAttribute& GSEmptyUserAttribute() {
  static const CGSAbstractUserAttribute fallback;
  GSProcessObjects* o = Objects();
  return o != nullptr ? o->emptyAttribute : fallback;
}

CGSFontTable* GSFontTable() {
  GSProcessObjects* o = Objects();
  return o != nullptr ? &o->fontTable : nullptr;
}

CGSAppData* GSAppData() {
  GSProcessObjects* o = Objects();
  return o != nullptr ? &o->appData : nullptr;
}

CGSImplementations* GSImplementations() {
  GSProcessObjects* o = Objects();
  return o != nullptr ? &o->appData.m_impl : nullptr;
}

CGSColorTable* GSColorTable() {
  GSProcessObjects* o = Objects();
  return o != nullptr ? &o->colorTable : nullptr;
}

const CGSPatternBitmap* GSPatternBitmap(int n) {
  GSProcessObjects* o = Objects();
  if (o == nullptr || n < 0 || n >= kPatternCount) return nullptr;
  if (static_cast<size_t>(n) >= kPatternRows.size()) return nullptr;
  auto& slot = o->patterns[static_cast<size_t>(n)];
  if (!slot) slot = CGSPatternBitmap{kPatternRows[static_cast<size_t>(n)]};
  return &*slot;
}

CGSDIBPool* GSDIBPool() {
  GSProcessObjects* o = Objects();
  if (o == nullptr) return nullptr;
  if (!o->pool) o->pool = std::make_unique<CGSDIBPool>();
  return o->pool.get();
}

CGSDrawingAndFormatting* GSDrawingAndFormatting() {
  GSProcessObjects* o = Objects();
  if (o == nullptr) return nullptr;
  if (!o->drawing) o->drawing = std::make_unique<CGSDrawingAndFormatting>();
  return o->drawing.get();
}

uint32_t GSLookupColor(int n) {
  CGSColorTable* t = GSColorTable();
  if (t != nullptr && n >= 0 && static_cast<size_t>(n) < t->m_colors.size()) return t->m_colors[static_cast<size_t>(n)];
  return GSServices::SystemColours().SysColor(n);
}

uint32_t GSGetSysColor(int n) { return GSLookupColor(n); }

void GSForwardSerialize(CObject& obj, CArchive& ar) {
  CGSImplementations* impl = GSImplementations();
  if (impl != nullptr && impl->serialization) impl->serialization->Serialize(obj, ar);
}
