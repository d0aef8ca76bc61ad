#include "graphics/OwnerDrawMenu.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "graphics/SysColors.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/resources.h"

using namespace graphics;

namespace {

QString ToQ(const std::wstring& s) { return QString::fromStdWString(s); }
std::wstring FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())).toStdWString(); }

// The global state of the menus.
struct Globals {
    std::set<COwnerDrawMenu*> menus;     // every live menu (handles)
    std::set<intptr_t> subMenus;         // owner-drawn submenus
    std::vector<QImage> images;          // the global image list
    std::vector<int> commands;           // its command ids, parallel
    std::map<std::string, std::vector<MenuTableItem>> tables;
    std::map<int, std::vector<int>> toolbars;
    int classic = -1;                    // -1: not read yet
};
Globals& G() {
    static Globals* g = new Globals;  // lives until the process ends
    return *g;
}

// The flat-look switches: under the XP look, otherwise, and the wide
// spacing with faded and shadow image variants.
constexpr int kFlatUnderXp = 1;
constexpr int kFlatOtherwise = 0;
constexpr int kWideSpacing = 1;

QFont MenuFont() { return QApplication::font("QMenu"); }

int TextWidth(const std::wstring& s) { return QFontMetrics(MenuFont()).horizontalAdvance(ToQ(s)); }

bool IsPopup(unsigned f) { return (f & MF_POPUP) != 0; }
bool IsSeparator(unsigned f) { return (f & MF_SEPARATOR) != 0; }

// Pixels of an image that differ from the button face as rendered.
template <class F>
QImage MapInk(const QImage& src, F f) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const QRgb face = SysQColor(COLOR_BTNFACE).rgb();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (qAlpha(c) == 0 || (c | 0xFF000000u) == (face | 0xFF000000u)) continue;
            img.setPixel(x, y, f(c));
        }
    return img;
}

QImage OverFace(const QImage& src) {
    QImage out(src.size(), QImage::Format_ARGB32);
    out.fill(SysQColor(COLOR_BTNFACE));
    QPainter p(&out);
    p.drawImage(0, 0, src);
    return out;
}

}  // namespace

// ---- the pure rules -----------------------------------------------------------

uint32_t LightenColor(uint32_t color, double f) {
    if (!(f > 0.0 && f < 1.0)) return color;
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const int v = static_cast<int>((color >> shift) & 0xFF);
        const int w = static_cast<int>(std::lround(v + (255 - v) * f));
        out |= static_cast<uint32_t>(std::clamp(w, 0, 255)) << shift;
    }
    return out;
}

std::vector<wl::Point> CheckMarkPixels(int x, int y) {
    // Column x + i covers three rows starting at y + top[i].
    static const int top[7] = {2, 3, 4, 3, 2, 1, 0};
    std::vector<wl::Point> pts;
    for (int i = 0; i < 7; ++i)
        for (int r = 0; r < 3; ++r) pts.push_back({x + i, y + top[i] + r});
    return pts;
}

int MenuSpacing(bool flat, bool wideSpacing) { return flat && wideSpacing ? 7 : 4; }

wl::Size MeasureMenuItem(const MenuMeasure& m) {
    const int p = MenuSpacing(m.flat, m.wideSpacing);
    if (m.separator) return {0, (m.imageHeight + p) / 2};
    const int w = m.flat ? m.imageWidth + m.textWidth + p + 8 : m.textWidth + 2 * m.imageWidth + 1;
    return {w, std::max(m.menuBarHeight, p + m.imageHeight)};
}

std::vector<std::wstring> AlignTabTexts(const std::vector<std::wstring>& texts,
                                        const std::function<int(const std::wstring&)>& width) {
    int widest = 0;
    for (const auto& t : texts) widest = std::max(widest, width(t.substr(0, t.find(L'\t')) + L" "));
    std::vector<std::wstring> out = texts;
    for (auto& t : out) {
        const size_t tab = t.find(L'\t');
        if (tab == std::wstring::npos) continue;
        std::wstring left = t.substr(0, tab);
        // Never more blanks than pixels: a width function that does not grow stops here.
        for (int guard = 0; width(left) < widest && guard <= widest; ++guard) left += L' ';
        t = left + t.substr(tab);
    }
    return out;
}

intptr_t MatchMenuChar(wchar_t ch, const std::vector<std::wstring>& texts) {
    const QString key = QStringLiteral("&") + QString::fromStdWString(std::wstring(1, ch)).toLower();
    for (size_t i = 0; i < texts.size(); ++i)
        if (ToQ(texts[i]).toLower().contains(key)) return 0x20000 + static_cast<intptr_t>(i);
    return 0;
}

int WindowsVersionCode() { return 7; }

bool ReadClassicTheme() {
    const auto v = winsys::RegGetString(winsys::Hive::CurrentUser, "Software\\Microsoft\\Plus!\\Themes\\Current", "");
    if (!v) return false;
    const std::string tail = "windows classic.theme";
    const std::string value = winsys::FoldCase(*v);
    return value.size() >= tail.size() && value.compare(value.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsClassicTheme() {
    if (G().classic < 0) G().classic = ReadClassicTheme() ? 1 : 0;
    return G().classic == 1;
}

MenuLook CurrentMenuLook() {
    MenuLook look;
    look.xp = WindowsVersionCode() == 7 && !IsClassicTheme();
    look.flat = look.xp ? kFlatUnderXp == 1 : kFlatOtherwise == 1;
    look.wideSpacing = kWideSpacing == 1;
    return look;
}

std::vector<std::unique_ptr<CMenuItemData>> SyncMenuItemData(std::vector<MenuPosition>& positions,
                                                             std::vector<std::unique_ptr<CMenuItemData>> records) {
    for (auto& r : records) r->mark = false;
    std::vector<CMenuItemData*> byPos(positions.size(), nullptr);
    std::vector<std::unique_ptr<CMenuItemData>> made;
    for (size_t i = 0; i < positions.size(); ++i) {
        MenuPosition& pos = positions[i];
        const intptr_t want = IsSeparator(pos.flags) && !IsPopup(pos.flags) ? 0 : pos.id;
        CMenuItemData* rec = nullptr;
        for (auto& r : records)
            if (!r->mark && r->id == want) {
                rec = r.get();
                rec->mark = true;
                break;
            }
        if (rec && !pos.text.empty()) rec->text = pos.text;
        if (IsPopup(pos.flags)) {
            if (!rec) {
                auto n = std::make_unique<CMenuItemData>();
                n->text = pos.text;
                n->id = pos.id;
                n->flags = ((pos.flags & 0xFF) & ~MF_POPUP) | MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP;
                n->mark = true;
                rec = n.get();
                made.push_back(std::move(n));
            }
            pos.flags = rec->flags;
        } else if (IsSeparator(pos.flags)) {
            if (!rec) {
                auto n = std::make_unique<CMenuItemData>();
                n->flags = pos.flags | MF_BYPOSITION | MF_OWNERDRAW | MF_SEPARATOR;
                n->mark = true;
                rec = n.get();
                made.push_back(std::move(n));
            }
            pos.flags = rec->flags;
        } else {
            if (!rec) {
                auto n = std::make_unique<CMenuItemData>();
                n->text = pos.text;
                n->id = pos.id;
                n->mark = true;
                rec = n.get();
                made.push_back(std::move(n));
            }
            rec->flags = pos.flags | MF_BYPOSITION | MF_OWNERDRAW;
            pos.flags = rec->flags;
        }
        pos.data = rec;
        byPos[i] = rec;
    }
    // Records in position order; unmarked ones are dropped with the vectors.
    std::vector<std::unique_ptr<CMenuItemData>> all = std::move(records);
    for (auto& n : made) all.push_back(std::move(n));
    std::vector<std::unique_ptr<CMenuItemData>> out;
    for (CMenuItemData* want : byPos)
        for (auto& r : all)
            if (r.get() == want) {
                out.push_back(std::move(r));
                break;
            }
    for (auto& r : out) r->mark = false;
    return out;
}

// ---- tables ---------------------------------------------------------------------

void RegisterMenuTable(const std::string& name, std::vector<MenuTableItem> items) {
    G().tables[name] = std::move(items);
}
void RegisterMenuTable(int id, std::vector<MenuTableItem> items) {
    RegisterMenuTable("#" + std::to_string(id), std::move(items));
}
void RegisterToolbar(int id, std::vector<int> commands) { G().toolbars[id] = std::move(commands); }

bool GetToolbarImageIndex(int commandId, int toolbarId, int& imageIndex) {
    auto it = G().toolbars.find(toolbarId);
    if (it == G().toolbars.end()) return false;
    for (size_t i = 0; i < it->second.size(); ++i)
        if (it->second[i] == commandId) {
            imageIndex = static_cast<int>(i);
            return true;
        }
    return false;
}

// ---- the menu ---------------------------------------------------------------------

COwnerDrawMenu::COwnerDrawMenu() = default;

COwnerDrawMenu::~COwnerDrawMenu() { DestroyMenu(); }

intptr_t COwnerDrawMenu::GetSafeHmenu() const { return exists_ ? reinterpret_cast<intptr_t>(this) : 0; }

COwnerDrawMenu* COwnerDrawMenu::FromHandle(intptr_t handle) {
    for (COwnerDrawMenu* m : G().menus)
        if (reinterpret_cast<intptr_t>(m) == handle) return m;
    return nullptr;
}

bool COwnerDrawMenu::IsOwnerDrawSubmenu(intptr_t handle) { return G().subMenus.count(handle) != 0; }

bool COwnerDrawMenu::CreatePopupMenu() {
    if (exists_) return false;
    exists_ = true;
    G().menus.insert(this);
    return true;
}

bool COwnerDrawMenu::CreateMenu() { return CreatePopupMenu(); }

int COwnerDrawMenu::GetMenuItemCount() const { return exists_ ? static_cast<int>(entries_.size()) : -1; }

unsigned COwnerDrawMenu::GetMenuState(int pos) const {
    if (pos < 0 || pos >= static_cast<int>(entries_.size())) return 0xFFFFFFFFu;
    return entries_[pos].flags & ~(MF_BYPOSITION | MF_END);
}

std::wstring COwnerDrawMenu::GetMenuString(int pos) const {
    if (pos < 0 || pos >= static_cast<int>(entries_.size())) return {};
    const Entry& e = entries_[pos];
    return (e.flags & MF_OWNERDRAW) ? std::wstring() : e.text;
}

COwnerDrawMenu* COwnerDrawMenu::GetSubMenu(int pos) const {
    if (pos < 0 || pos >= static_cast<int>(entries_.size()) || !IsPopup(entries_[pos].flags)) return nullptr;
    return FromHandle(entries_[pos].id);
}

intptr_t COwnerDrawMenu::GetMenuItemID(int pos) const {
    if (pos < 0 || pos >= static_cast<int>(entries_.size())) return -1;
    return IsPopup(entries_[pos].flags) ? -1 : entries_[pos].id;
}

bool COwnerDrawMenu::AppendMenu(unsigned flags, intptr_t id, const std::wstring& text) {
    if (!exists_) return false;
    if (IsPopup(flags) && !FromHandle(id)) return false;
    entries_.push_back({flags & ~MF_BYPOSITION, id, text, nullptr});
    return true;
}

bool COwnerDrawMenu::RemoveMenu(int pos) {
    if (pos < 0 || pos >= static_cast<int>(entries_.size())) return false;
    entries_.erase(entries_.begin() + pos);
    return true;
}

bool COwnerDrawMenu::ModifyMenu(int pos, unsigned flags, intptr_t id, const std::wstring& text, CMenuItemData* data) {
    if (pos < 0 || pos >= static_cast<int>(entries_.size())) return false;
    if (IsPopup(flags) && !FromHandle(id)) return false;
    entries_[pos] = {flags & ~MF_BYPOSITION, id, (flags & MF_OWNERDRAW) ? std::wstring() : text,
                     (flags & MF_OWNERDRAW) ? data : nullptr};
    return true;
}

bool COwnerDrawMenu::AppendItem(const std::string& text, unsigned flags, intptr_t id, int toolbarId) {
    return AppendItem(FromUtf8(text), flags, id, toolbarId);
}

bool COwnerDrawMenu::AppendItem(const std::wstring& text, unsigned flags, intptr_t id, int toolbarId) {
    if (!exists_) return false;
    if (id != 0) {
        flags |= MF_OWNERDRAW;
    } else {
        flags = MF_SEPARATOR | MF_OWNERDRAW | (flags & MF_BYPOSITION);
    }
    auto data = std::make_unique<CMenuItemData>();
    data->text = text;
    data->id = id;
    data->flags = flags;
    if (IsPopup(flags)) {
        if (!FromHandle(id)) return false;
        subMenus_.push_back(FromHandle(id));
        G().subMenus.insert(id);
    } else if (id != 0) {
        int index = -1;
        if (toolbarId >= 0) {
            int button = 0;
            if (!GetToolbarImageIndex(static_cast<int>(id), toolbarId, button)) button = 0;
            const QImage strip = wl::FindBitmap(toolbarId);
            if (!strip.isNull()) index = AddCommandImage(static_cast<int>(id), strip.copy(button * imageWidth_, 0, imageWidth_, imageHeight_));
        } else {
            index = ImageIndexOf(static_cast<int>(id));
        }
        data->imageIndex = index;
    }
    CMenuItemData* raw = data.get();
    items_.push_back(std::move(data));
    entries_.push_back({flags & ~MF_BYPOSITION, id, {}, raw});
    if (loaded_) UpdateMenuBar();
    return true;
}

bool COwnerDrawMenu::ModifyItem(int posOrId, unsigned flags, intptr_t id, const std::wstring& text) {
    int pos = -1;
    if (flags & MF_BYPOSITION) {
        pos = posOrId;
    } else {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (!IsPopup(entries_[i].flags) && entries_[i].id == posOrId) pos = static_cast<int>(i);
    }
    if (pos < 0 || pos >= static_cast<int>(entries_.size())) return false;
    auto data = std::make_unique<CMenuItemData>();
    data->text = text;
    data->id = id;
    data->flags = flags | MF_OWNERDRAW;
    data->imageIndex = IsPopup(flags) ? -1 : ImageIndexOf(static_cast<int>(id));
    if (!ModifyMenu(pos, flags | MF_OWNERDRAW, id, text, data.get())) return false;
    items_.push_back(std::move(data));
    return true;
}

std::pair<COwnerDrawMenu*, int> COwnerDrawMenu::FindCommand(int id) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (IsPopup(entries_[i].flags)) {
            if (COwnerDrawMenu* sub = FromHandle(entries_[i].id)) {
                auto found = sub->FindCommand(id);
                if (found.first) return found;
            }
        } else if (!IsSeparator(entries_[i].flags) && entries_[i].id == id) {
            return {this, static_cast<int>(i)};
        }
    }
    return {nullptr, -1};
}

void COwnerDrawMenu::Unregister() {
    for (COwnerDrawMenu* sub : subMenus_) G().subMenus.erase(reinterpret_cast<intptr_t>(sub));
    subMenus_.clear();
}

void COwnerDrawMenu::DestroyMenu() {
    Unregister();
    entries_.clear();
    items_.clear();
    owned_.clear();
    loaded_ = false;
    if (exists_) G().menus.erase(this);
    exists_ = false;
}

bool COwnerDrawMenu::LoadMenu(int resourceId) { return LoadMenu("#" + std::to_string(resourceId)); }

bool COwnerDrawMenu::LoadMenu(const std::string& name) {
    auto it = G().tables.find(name);
    if (it == G().tables.end()) return false;
    const std::vector<MenuTableItem> table = it->second;  // a copy: the table may be replaced meanwhile
    DestroyMenu();
    if (!CreateMenu()) return false;
    struct Level {
        COwnerDrawMenu* menu;
        bool closesParent;
    };
    std::vector<Level> stack{{this, false}};
    for (const MenuTableItem& item : table) {
        if (stack.empty()) break;
        const bool end = (item.flags & MF_END) != 0;
        const unsigned flags = item.flags & ~MF_END;
        COwnerDrawMenu* current = stack.back().menu;
        if (IsPopup(flags)) {
            auto sub = std::make_unique<COwnerDrawMenu>();
            sub->imageWidth_ = imageWidth_;
            sub->imageHeight_ = imageHeight_;
            sub->display1_ = display1_;
            sub->display2_ = display2_;
            sub->CreatePopupMenu();
            COwnerDrawMenu* raw = sub.get();
            owned_.push_back(std::move(sub));
            current->AppendItem(item.text, flags, raw->GetSafeHmenu());
            stack.push_back({raw, end});
            continue;
        }
        current->AppendItem(item.text, flags, item.id);
        if (!end) continue;
        // Close the complete levels from the innermost outward.
        bool close = true;
        while (close && !stack.empty()) {
            Level done = stack.back();
            done.menu->AlignTabs();
            stack.pop_back();
            close = done.closesParent;
        }
    }
    // The top level becomes a menu bar of plain items.
    for (size_t i = 0; i < entries_.size() && i < items_.size(); ++i) {
        CMenuItemData* rec = entries_[i].data;
        if (!rec) continue;
        const bool popup = IsPopup(entries_[i].flags);
        entries_[i] = {popup ? MF_POPUP : (entries_[i].flags & ~MF_OWNERDRAW), entries_[i].id, rec->text, nullptr};
        rec->flags = MF_BYPOSITION | (popup ? MF_POPUP : 0u);
    }
    loaded_ = true;
    return true;
}

void COwnerDrawMenu::UpdateMenuBar() {
    int offset = 0;
    bool found = false;
    for (size_t pos = 0; pos < entries_.size() && !found; ++pos) {
        const std::wstring s = GetMenuString(static_cast<int>(pos));
        if (s.empty()) continue;
        for (size_t k = 0; k < items_.size(); ++k)
            if (items_[k]->text == s) {
                offset = std::max(0, static_cast<int>(pos) - static_cast<int>(k));
                found = true;
                break;
            }
    }
    for (size_t pos = offset; pos < entries_.size(); ++pos) {
        if (!IsPopup(entries_[pos].flags)) continue;
        const size_t k = pos - offset;
        if (k >= items_.size()) break;
        entries_[pos] = {MF_POPUP, entries_[pos].id, items_[k]->text, nullptr};
        items_[k]->flags = MF_BYPOSITION | MF_POPUP;
    }
}

void COwnerDrawMenu::SyncItemData() {
    std::vector<MenuPosition> positions;
    for (const Entry& e : entries_) positions.push_back({e.flags, e.id, GetMenuString(static_cast<int>(&e - entries_.data())), e.data});
    items_ = SyncMenuItemData(positions, std::move(items_));
    for (size_t i = 0; i < positions.size(); ++i) {
        Entry& e = entries_[i];
        e.flags = positions[i].flags & ~MF_BYPOSITION;
        e.data = positions[i].data;
        e.text.clear();
        if (e.data && e.data->imageIndex < 0 && !IsPopup(e.flags) && e.id != 0)
            e.data->imageIndex = ImageIndexOf(static_cast<int>(e.id));
    }
}

void COwnerDrawMenu::AlignTabs() {
    std::vector<std::wstring> texts;
    for (const auto& r : items_) texts.push_back(r->text);
    texts = AlignTabTexts(texts, TextWidth);
    for (size_t i = 0; i < items_.size(); ++i) items_[i]->text = texts[i];
}

intptr_t COwnerDrawMenu::OnMenuChar(wchar_t ch, unsigned flags) {
    if (!IsPopup(flags)) return 0;
    if (entries_.size() != items_.size()) SyncItemData();
    std::vector<std::wstring> texts;
    for (const Entry& e : entries_) texts.push_back(e.data ? e.data->text : e.text);
    return MatchMenuChar(ch, texts);
}

wl::Size COwnerDrawMenu::MeasureItem(const CMenuItemData& item, const MenuLook& look) const {
    MenuMeasure m;
    m.separator = IsSeparator(item.flags) && !IsPopup(item.flags);
    m.textWidth = m.separator ? 0 : TextWidth(item.text);
    m.flat = look.flat;
    m.wideSpacing = look.wideSpacing;
    m.imageWidth = imageWidth_;
    m.imageHeight = imageHeight_;
    return MeasureMenuItem(m);
}

// ---- the global image list -------------------------------------------------------

int COwnerDrawMenu::ImageIndexOf(int commandId) {
    const auto& c = G().commands;
    auto it = std::find(c.begin(), c.end(), commandId);
    return it == c.end() ? -1 : static_cast<int>(it - c.begin());
}

QImage COwnerDrawMenu::GlobalImage(int index) {
    if (index < 0 || index >= static_cast<int>(G().images.size())) return {};
    return G().images[index];
}

int COwnerDrawMenu::GlobalImageCount() { return static_cast<int>(G().images.size()); }

void COwnerDrawMenu::ClearImages() {
    G().images.clear();
    G().commands.clear();
}

int COwnerDrawMenu::AddCommandImage(int commandId, const QImage& image) {
    if (image.isNull()) return -1;
    const MenuLook look = CurrentMenuLook();
    const bool variants = look.flat && look.wideSpacing;
    QImage faded, shadow;
    if (variants) {
        const QImage base = OverFace(image);
        faded = MapInk(base, [](QRgb c) {
            return ToQColor(LightenColor(FromQColor(QColor(c)), 0.3)).rgb();
        });
        const uint32_t sc = look.xp ? GetSysColor(COLOR_3DSHADOW) : LightenColor(GetSysColor(COLOR_3DSHADOW), 0.49);
        shadow = MapInk(base, [sc](QRgb) { return ToQColor(sc).rgb(); });
    }
    auto& imgs = G().images;
    auto& cmds = G().commands;
    const int at = ImageIndexOf(commandId);
    if (at >= 0) {
        imgs[at] = image;
        if (variants && at + 2 < static_cast<int>(cmds.size()) && cmds[at + 1] == commandId && cmds[at + 2] == commandId) {
            imgs[at + 1] = faded;
            imgs[at + 2] = shadow;
        }
        return at;
    }
    imgs.push_back(image);
    cmds.push_back(commandId);
    const int index = static_cast<int>(imgs.size()) - 1;
    if (variants) {
        imgs.push_back(faded);
        cmds.push_back(commandId);
        imgs.push_back(shadow);
        cmds.push_back(commandId);
    }
    return index;
}
