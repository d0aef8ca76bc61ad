#include "platform/wl/ui.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

#include "platform/wl/dialog.h"
#include "platform/wl/internal.h"

namespace wl {

using detail::FromQt;
using detail::ToQt;

std::vector<FileFilter> ParseFileFilter(const std::string& filter) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : filter) {
        if (c == '|') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    // The list ends with an empty part ("||"); drop the empty tail.
    while (!parts.empty() && parts.back().empty()) parts.pop_back();
    std::vector<FileFilter> out;
    bool ok = !parts.empty() && parts.size() % 2 == 0;
    for (size_t i = 0; ok && i < parts.size(); i += 2) {
        if (parts[i + 1].find_first_not_of(" ;") == std::string::npos) ok = false;
        out.push_back({parts[i], parts[i + 1]});
    }
    if (!ok) return {{"Alle Dateien (*.*)", "*"}};
    return out;
}

std::string ToToolkitFilter(const std::string& filter) {
    std::string out;
    for (const FileFilter& f : ParseFileFilter(filter)) {
        // The description may name its patterns in brackets already; the
        // toolkit reads the patterns from the last brackets.
        std::string desc = f.description;
        size_t open = desc.rfind('(');
        if (open != std::string::npos && !desc.empty() && desc.back() == ')') {
            desc = desc.substr(0, open);
            while (!desc.empty() && desc.back() == ' ') desc.pop_back();
        }
        std::string pats;
        for (char c : f.patterns) pats += (c == ';') ? ' ' : c;
        if (!out.empty()) out += ";;";
        out += desc + " (" + pats + ")";
    }
    return out;
}

bool Ui::PrintSetup(QPrinter&, Window*) { return true; }

namespace {

void AddItems(QMenu* menu, const std::vector<MenuItem>& items, int* chosen) {
    for (const MenuItem& it : items) {
        if (!it.items.empty()) {
            QMenu* sub = menu->addMenu(ToQt(it.text));
            AddItems(sub, it.items, chosen);
        } else if (it.id == 0 && it.text.empty()) {
            menu->addSeparator();
        } else {
            QAction* a = menu->addAction(ToQt(it.text));
            a->setData(it.id);
            a->setCheckable(it.checked);
            a->setChecked(it.checked);
            a->setEnabled(!it.disabled);
            int id = it.id;
            QObject::connect(a, &QAction::triggered, menu, [chosen, id] { *chosen = id; });
        }
    }
}

class QtUi : public Ui {
public:
    int RunModal(Dialog& dlg) override {
        if (!dlg.BeginModal(GetMainWindow())) return -1;
        if (!dlg.ModalEnded()) {
            dlg.Widget()->show();
            while (!dlg.ModalEnded() && dlg.IsWindow()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return dlg.FinishModal();
    }
    std::optional<std::string> GetOpenFileName(const FileRequest& r, Window* owner) override {
        QString f = QFileDialog::getOpenFileName(OwnerWidget(owner), ToQt(r.title), StartPath(r),
                                                 ToQt(ToToolkitFilter(r.filter)));
        if (f.isEmpty()) return std::nullopt;
        return FromQt(f);
    }
    std::optional<std::string> GetSaveFileName(const FileRequest& r, Window* owner) override {
        QFileDialog d(OwnerWidget(owner), ToQt(r.title), StartPath(r), ToQt(ToToolkitFilter(r.filter)));
        d.setAcceptMode(QFileDialog::AcceptSave);
        if (!r.defaultExt.empty()) d.setDefaultSuffix(ToQt(r.defaultExt));
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
        return FromQt(d.selectedFiles().front());
    }
    int TrackPopupMenu(const Menu& menu, Point screen, Window* owner) override {
        QMenu m(OwnerWidget(owner));
        int chosen = 0;
        AddItems(&m, menu.items, &chosen);
        m.exec(QPoint(screen.x, screen.y));
        return chosen;
    }
    void SetClipboardText(const std::string& text) override { QGuiApplication::clipboard()->setText(ToQt(text)); }
    std::string GetClipboardText() override { return FromQt(QGuiApplication::clipboard()->text()); }
    void SetClipboardRtf(const std::string& rtf, const std::string& plain) override {
        auto* data = new QMimeData;
        QByteArray bytes(rtf.data(), static_cast<qsizetype>(rtf.size()));
        data->setData(QStringLiteral("text/rtf"), bytes);
        data->setData(QStringLiteral("application/rtf"), bytes);
        if (!plain.empty()) data->setText(ToQt(plain));
        QGuiApplication::clipboard()->setMimeData(data);
    }
    std::optional<std::string> GetClipboardRtf() override {
        const QMimeData* d = QGuiApplication::clipboard()->mimeData();
        if (!d) return std::nullopt;
        for (const char* type : {"text/rtf", "application/rtf"}) {
            if (d->hasFormat(QLatin1String(type))) return d->data(QLatin1String(type)).toStdString();
        }
        return std::nullopt;
    }
    bool PrintSetup(QPrinter& printer, Window* owner) override {
        QPrintDialog d(&printer, OwnerWidget(owner));
        return d.exec() == QDialog::Accepted;
    }

private:
    static QWidget* OwnerWidget(Window* owner) {
        if (owner && owner->Widget()) return owner->Widget();
        Window* main = GetMainWindow();
        return main ? main->Widget() : nullptr;
    }
    static QString StartPath(const FileRequest& r) {
        if (r.folder.empty()) return ToQt(r.fileName);
        if (r.fileName.empty()) return ToQt(r.folder);
        return ToQt(r.folder + "/" + r.fileName);
    }
};

Ui* g_ui = nullptr;

}  // namespace

Ui& GetUi() {
    static QtUi toolkit;
    return g_ui ? *g_ui : toolkit;
}

Ui* SetUi(Ui* ui) {
    Ui* previous = g_ui;
    g_ui = ui;
    return previous;
}

}  // namespace wl
