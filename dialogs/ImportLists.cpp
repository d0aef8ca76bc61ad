#include "dialogs/ImportLists.h"

#include <QPainter>
#include <QStyle>
#include <QTreeWidget>
#include <filesystem>

#include "graphics/TreePaths.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "module/frame/ProgDB.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/resources.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace importlists {

namespace {

constexpr int kIconSize = 16;

// A plain icon for a source without an image: a framed square in a colour
// of its own.
QIcon GeneratedIcon(int seed) {
    static const QColor colours[] = {QColor(70, 110, 170), QColor(60, 140, 90), QColor(170, 110, 50),
                                     QColor(130, 80, 150), QColor(160, 60, 60), QColor(60, 130, 140)};
    QImage img(kIconSize, kIconSize, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(colours[unsigned(seed) % std::size(colours)]);
    p.drawRect(2, 2, kIconSize - 5, kIconSize - 5);
    p.end();
    return QIcon(QPixmap::fromImage(img));
}

QIcon IconOf(const CProgIcon& source, int index) {
    if (source.resourceId >= 0) {
        const QImage img = wl::FindBitmap(source.resourceId);
        if (!img.isNull()) return QIcon(QPixmap::fromImage(img));
    }
    return GeneratedIcon(index);
}

const std::vector<QIcon>& Icons() {
    static const std::vector<QIcon> icons = [] {
        std::vector<QIcon> out;
        const CProgIconList& list = GetProgDB().CreateIconList();
        for (size_t i = 0; i < list.icons.size(); ++i) out.push_back(IconOf(list.icons[i], int(i)));
        return out;
    }();
    return icons;
}

std::string Tr(const std::string& area, const std::string& text) {
    return lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, area, text);
}

// The exported values below an "exports" element: values of a level before
// its folders, each a record and a tree line "path\desc [unit] = value".
void CollectExports(ZVELEM level, const std::string& path, std::vector<CImportValue>& records,
                    std::vector<std::string>& lines) {
    for (ZVELEM v = ZEVUD_FindFirstChild(level, "value"); v; v = ZEVUD_FindNextChild(v, "value")) {
        CImportValue r;
        r.m_strDescription = zevud::GetString(v, "desc");
        r.m_strVarName = zevud::GetString(v, "varName");
        r.m_strUnit = zevud::GetString(v, "unit");
        r.m_dValue = ZEVUD_GetDouble(v, "val");
        r.m_strSourcePath = path + "\\" + r.m_strDescription;
        lines.push_back(winsys::FormatC("%s\\%s [%s] = %6.2lf", path.c_str(), r.m_strDescription.c_str(),
                                        r.m_strUnit.c_str(), r.m_dValue));
        records.push_back(r);
    }
    for (ZVELEM f = ZEVUD_FindFirstChild(level, "folder"); f; f = ZEVUD_FindNextChild(f, "folder"))
        CollectExports(f, path + "\\" + zevud::GetString(f, "desc"), records, lines);
}

}  // namespace

QIcon CatalogueIcon(int index) {
    const std::vector<QIcon>& icons = Icons();
    return index >= 0 && size_t(index) < icons.size() ? icons[size_t(index)] : GeneratedIcon(index);
}

QIcon CatalogueIconById(int iconId) {
    const int index = GetProgDB().GetIconIndex(iconId);
    if (index >= 0 && size_t(index) < Icons().size()) return Icons()[size_t(index)];
    // Not in the catalogue's list: its own bitmap, else a plain icon.
    return IconOf(CProgIcon{iconId, {}}, iconId);
}

int FillPositionList(wl::ListCtrl& list, const std::string& area, const std::string& select) {
    list.DeleteAllItems();
    while (list.GetColumnCount() > 0) list.DeleteColumn(0);
    list.InsertColumn(0, Tr(area, "Position"), wl::ListCtrl::Left, 50);
    list.InsertColumn(1, Tr(area, "Programm"), wl::ListCtrl::Left, 50);
    auto* view = qobject_cast<QTreeWidget*>(list.Widget());
    if (QWidget* w = list.Widget()) {
        const int frame = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
        const int scroll = w->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w);
        const double free = w->width() - 2 * frame - scroll;
        list.SetColumnWidth(0, static_cast<int>(free * 0.6 / 1.01));
        list.SetColumnWidth(1, static_cast<int>(free * 0.4 / 1.01));
    }
    if (view) view->setIconSize(QSize(kIconSize, kIconSize));

    std::vector<std::string> files;
    std::error_code ec;
    for (const fs::path& p : winsys::FindFiles(fs::current_path(ec), "*.vkx")) files.push_back(p.filename().string());
    SortStringList(files, false);

    int selected = -1;
    for (const std::string& file : files) {
        CProgDBEntry* entry = GetProgDB().FindProgramByFile(file);
        if (!entry || file.size() < 4) continue;
        const std::string name = file.substr(0, file.size() - 4);
        const int row = list.InsertItem(list.GetItemCount(), name);
        std::string program = "VK-" + entry->m_strShortProgName;
        if (!entry->m_strShortModuleName.empty()) program += "/" + entry->m_strShortModuleName;
        list.SetItemText(row, 1, program);
        if (view) {
            if (QTreeWidgetItem* it = view->topLevelItem(row))
                it->setIcon(0, CatalogueIcon(GetProgDB().GetIconIndex(entry->m_icon)));
        }
        if (selected < 0 && !select.empty() && winsys::EqualsNoCase(name, select)) selected = row;
    }
    return selected;
}

void FillValueTree(wl::TreeCtrl& tree, const std::string& fileName, const std::string& area,
                   std::vector<CImportValue>& records, std::map<std::string, wl::TreeCtrl::Item>* items) {
    tree.SetRedraw(false);
    if (items) items->clear();
    tree.DeleteAllItems();
    records.clear();
    if (auto* view = qobject_cast<QTreeWidget*>(tree.Widget())) view->setIconSize(QSize(kIconSize, kIconSize));
    ZVDOC doc = ZEVUD_OpenDocQuiet(fileName.c_str());
    ZVELEM root = doc ? ZEVUD_GetRootElement(doc) : ZVELEM{};
    if (root) {
        ZVELEM exports = ZEVUD_FindFirstChild(root, "exports");
        if (!exports) {
            const char* format = "Die Datei '%s' exportiert keine Ergebnisse!";
            tree.InsertItem(lingo::FormatTranslated(format, Tr(area, format), fileName));
        } else {
            std::vector<std::string> lines;
            CollectExports(exports, fileName.substr(0, fileName.rfind('.')), records, lines);
            const QIcon valueIcon = CatalogueIconById(kValueIconId);
            for (size_t i = 0; i < lines.size(); ++i) {
                const size_t cut = lines[i].find('\\');
                HTREEITEM item = 0;
                if (!TreeInsertPath(item, lines[i].substr(cut + 1), &tree) || !item) continue;
                tree.SetItemData(item, static_cast<std::intptr_t>(i + 1));
                if (QTreeWidgetItem* it = tree.ItemOf(item)) it->setIcon(0, valueIcon);
                if (items) (*items)[records[i].m_strSourcePath] = item;
            }
        }
    }
    if (doc) ZEVUD_CloseDoc(doc);
    TreeRedraw(&tree);
}

}  // namespace importlists
