#include "host/window/EditWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTextDocument>
#include <QWindow>

#include <fstream>
#include <optional>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "host/Host.h"
#include "host/HostCommand.h"
#include "host/Module.h"
#include "platform/richedit/rtf_reader.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace host {

const char* const kFreeTextEditorText = "Freitext-Editor (Formeln, Makros) auf der ersten Seite";
const char* const kSettingsKey = "software\\VKT\\velor2005";

const char* const kNoOutputSettingsText =
    "velor2005 hat keine eigenen Ausgabeeinstellungen: die Ausgabe der Position wird auf den Seiten des "
    "Eingabedialogs eingestellt.";

namespace {

// The session whose status bar shows the module's tips.
EditSession* g_tipSession = nullptr;

int64_t Value(std::uintptr_t v) { return static_cast<int64_t>(v); }

// Keeps the module's windows in a host area filling it: the area's direct
// child widgets follow its size.
class AreaFiller : public QObject {
public:
    using QObject::QObject;
    void Watch(QWidget* area) { area->installEventFilter(this); }
    static void Fill(QWidget* area) {
        for (QObject* o : area->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && !w->isWindow() && w->geometry() != area->rect()) w->setGeometry(area->rect());
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Resize || e->type() == QEvent::ChildAdded || e->type() == QEvent::Show ||
            e->type() == QEvent::LayoutRequest)
            if (auto* area = qobject_cast<QWidget*>(watched)) Fill(area);
        return false;
    }
};

// Notices the user's input in the main window and has the session check,
// a moment later, whether the position has changed (the title's mark).
class InputWatcher : public QObject {
public:
    InputWatcher(QWidget* window, QTimer& check) : QObject(window), window_(window), check_(check) {
        qApp->installEventFilter(this);
    }
    ~InputWatcher() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::KeyRelease || e->type() == QEvent::MouseButtonRelease) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && w->window() == window_) check_.start();
        }
        return false;
    }

private:
    QWidget* window_;
    QTimer& check_;
};

// The plain text of an RTF file, on one line; empty when it cannot be read.
QString PlainTextOfRtf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string rtf{std::istreambuf_iterator<char>(in), {}};
    QTextDocument doc;
    if (!richedit::ReadRtf(rtf, doc).read) return {};
    return doc.toPlainText().simplified();
}

}  // namespace

// ---- HostMainWindow ------------------------------------------------------------------------------

HostMainWindow::HostMainWindow(EditSession& session) : session_(session) {}

void HostMainWindow::closeEvent(QCloseEvent* e) {
    if (session_.MayClose())
        e->accept();
    else
        e->ignore();
}

// ---- EditSession ---------------------------------------------------------------------------------

EditSession::EditSession(Module& module, ZVDOC doc, fs::path file)
    : module_(module), doc_(doc), file_(std::move(file)) {
    // The file changes only when the user saves: the saves the module and
    // the kernel make of the document (a calculation from the dialog saves
    // its results) are held back.
    ZEVUD_HoldSaves(doc_, 1);
    // The calculations started from the dialog write their side files into
    // the current folder: the position's.
    std::error_code ec;
    oldFolder_ = fs::current_path(ec);
    fs::current_path(file_.parent_path(), ec);
    modifiedCheck_.setSingleShot(true);
    modifiedCheck_.setInterval(400);
    QObject::connect(&modifiedCheck_, &QTimer::timeout, [this] {
        // Not while a dialog of the module or a menu waits for the user.
        if (window_ && !QApplication::activeModalWidget() && !QApplication::activePopupWidget()) CheckModified();
    });
}

EditSession::~EditSession() {
    modifiedCheck_.stop();
    if (g_tipSession == this) g_tipSession = nullptr;
    if (wl::GetMainWindow() == &frame_) wl::SetMainWindow(nullptr);
    // The windows go first: the module's dialogs lose their widgets with
    // the host's areas; the module deletes its objects at its teardown.
    window_.reset();
    if (doc_) ZEVUD_CloseDoc(doc_);
    std::error_code ec;
    if (!oldFolder_.empty()) fs::current_path(oldFolder_, ec);
}

void EditSession::BuildWindow() {
    window_ = std::make_unique<HostMainWindow>(*this);
    window_->setObjectName("velor2005");
    QMenu* file = window_->menuBar()->addMenu(QStringLiteral("Datei"));
    QAction* save = file->addAction(QStringLiteral("Speichern"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setShortcutContext(Qt::ApplicationShortcut);
    QObject::connect(save, &QAction::triggered, [this] { Save(); });
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("Beenden"));
    QObject::connect(exit, &QAction::triggered, [this] { window_->close(); });
    // The free-text editor (formulas, macros) in place of the variable
    // table on the first tab: the user setting "bQuill".
    QMenu* extras = window_->menuBar()->addMenu(QStringLiteral("Extras"));
    QAction* editor = extras->addAction(QString::fromUtf8(kFreeTextEditorText));
    editor->setCheckable(true);
    editor->setChecked(FreeTextEditorOn());
    QObject::connect(editor, &QAction::toggled, [this](bool on) { SetFreeTextEditor(on); });

    splitter_ = new QSplitter(Qt::Horizontal, window_.get());
    splitter_->setChildrenCollapsible(false);
    inputArea_ = new QWidget(splitter_);
    inputArea_->setObjectName("inputArea");
    inputArea_->setMinimumSize(400, 300);
    previewArea_ = new QWidget(splitter_);
    previewArea_->setObjectName("previewArea");
    previewArea_->setMinimumSize(200, 300);
    splitter_->addWidget(inputArea_);
    splitter_->addWidget(previewArea_);
    splitter_->setStretchFactor(0, 3);
    splitter_->setStretchFactor(1, 2);
    window_->setCentralWidget(splitter_);
    window_->statusBar()->showMessage(QString());
    window_->resize(1400, 850);
    // The preview wide enough for the buttons of its report tab, which keep
    // their places at its right end; the input dialog's tab row beside it.
    splitter_->setSizes({770, 630});

    auto* filler = new AreaFiller(window_.get());
    filler->Watch(inputArea_);
    filler->Watch(previewArea_);
    new InputWatcher(window_.get(), modifiedCheck_);

    frame_.Attach(window_.get());
    inputHost_.Attach(inputArea_);
    previewHost_.Attach(previewArea_);
    frame_.MapCommand(kCmdOutputSettings, [] {
        winsys::MessageBox(kNoOutputSettingsText, "velor2005", winsys::Buttons::Ok, winsys::Icon::Information);
    });
    wl::SetMainWindow(&frame_);
    UpdateTitle();
}

bool EditSession::Open(std::ostream& err) {
    BuildWindow();
    {
        HostCommand create("CreateInputDlg", true);
        create.AddParam("CWnd*", Value(inputHost_.GetSafeHwnd()));
        dialog_ = module_.Send(create);
    }
    if (dialog_ == 0) {
        err << "Das Modul hat keinen Eingabedialog angelegt (Antwort 0).\n";
        return false;
    }
    {
        HostCommand preview("CreatePreviewDlg", true);
        preview.AddParam("CWnd*", Value(previewHost_.GetSafeHwnd()));
        preview.AddParam("CWnd*", dialog_);
        preview.AddParam("BOOL", 1);
        preview_ = module_.Send(preview);
    }
    {
        HostCommand tip("RegisterShowRtfTip", true);
        tip.AddParam("TYPE_SHOWRTFTIP", Value(reinterpret_cast<std::uintptr_t>(&ShowRtfTip)));
        module_.Send(tip);
        g_tipSession = this;
    }
    {
        HostCommand set("SetData", true);
        set.AddParam("CWnd*", dialog_);
        set.AddParam("int", doc_);
        module_.Send(set);
    }
    AreaFiller::Fill(inputArea_);
    AreaFiller::Fill(previewArea_);
    // What the dialog makes of the file as read counts as saved.
    SendGetData();
    saved_ = InputFingerprint();
    UpdateTitle();
    return true;
}

int64_t EditSession::SendGetData() {
    HostCommand get("GetData", true);
    get.AddParam("CWnd*", dialog_);
    get.AddParam("int", doc_);
    return module_.Send(get);
}

bool EditSession::HasCalculatedResult() const {
    const ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc_), "result");
    return result && ZEVUD_GetInt(result, "abbruch") == 0;
}

namespace {

// The parts of a position that a calculation writes: its results, the values
// it exports to other positions and the stored parts of its report.
bool IsCalculatedPart(const std::string& name) {
    return name == "result" || name == "results" || name == "exports" || name == "rtfFiles";
}

void DeleteAttribute(ZVELEM e, const char* name) {
    if (e && ZEVUD_HasAttr(e, name)) ZEVUD_DeleteAttr(e, name);
}

}  // namespace

zevud::Fingerprint EditSession::InputFingerprint() const {
    const ZVELEM source = ZEVUD_GetRootElement(doc_);
    const ZVDOC scratch = ZEVUD_CreateDoc(nullptr);
    const ZVELEM root = ZEVUD_GetRootElement(scratch);
    for (int i = 0; i < ZEVUD_GetAttrCount(source); ++i) {
        const std::string name = zevud::GetAttrName(source, i);
        ZEVUD_SetString(root, name.c_str(), zevud::GetString(source, name).c_str());
    }
    for (ZVELEM child = ZEVUD_GetFirstChild(source); child; child = ZEVUD_GetNextChild(child)) {
        const std::string name = zevud::GetElementName(child);
        if (IsCalculatedPart(name)) continue;
        ZEVUD_CloneElementTree(ZEVUD_AddChildElement(root, name.c_str()), child);
    }
    // The run's fingerprints of the input and of the report.
    const ZVELEM info = ZEVUD_FindFirstChild(root, "info");
    DeleteAttribute(info, "input_fingerprint");
    DeleteAttribute(info, "output_fingerprint");
    const ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    // The load combinations, generated from the actions by every
    // calculation.
    if (const ZVELEM lk = input ? ZEVUD_FindFirstChild(input, "lastUeberlagerung") : 0)
        while (const ZVELEM generated = ZEVUD_FindFirstChild(lk, "results"))
            if (!ZEVUD_DeleteElement(generated)) break;
    // The span shares of the loads, made anew by every calculation behind the
    // user's loads, and their count.
    if (const ZVELEM loads = input ? ZEVUD_FindFirstChild(input, "loads") : 0) {
        DeleteAttribute(loads, "numOfLoads");
        std::vector<ZVELEM> shares;
        for (ZVELEM load = ZEVUD_GetFirstChild(loads); load; load = ZEVUD_GetNextChild(load))
            if (ZEVUD_GetIntWithDefault(load, "feldanteil", 0) > 0) shares.push_back(load);
        for (ZVELEM load : shares) ZEVUD_DeleteElement(load);
    }
    const zevud::Fingerprint fp = zevud::FingerPrint(root);
    ZEVUD_CloseDoc(scratch);
    return fp;
}

void EditSession::UpdateTitle() {
    if (!window_) return;
    window_->setWindowTitle(QString::fromStdString(file_.filename().string()) + QStringLiteral("[*] - velor2005"));
}

bool FreeTextEditorOn() {
    const std::optional<std::string> v = winsys::RegGetString(winsys::Hive::CurrentUser, kSettingsKey, "bQuill");
    const std::optional<long long> n = v ? winsys::ParseInt(*v) : std::nullopt;
    return n && *n != 0;
}

bool EditSession::SetFreeTextEditor(bool on) {
    // The first tab's input goes into the document through the page as it
    // is, then the dialog takes the document again with the other page.
    if (window_ && dialog_) SendGetData();
    winsys::RegCreateKey(winsys::Hive::CurrentUser, kSettingsKey);
    if (!winsys::RegSetString(winsys::Hive::CurrentUser, kSettingsKey, "bQuill", on ? "1" : "0")) {
        winsys::MessageBox("Die Einstellung des Freitext-Editors kann nicht gespeichert werden.", "velor2005",
                           winsys::Buttons::Ok, winsys::Icon::Error);
        return false;
    }
    if (window_ && dialog_) {
        // Taken anew as a position the dialog did not hold: its tabs are
        // laid out again, the first one with its new caption.
        for (ZVDOC doc : {ZVDOC(0), doc_}) {
            HostCommand set("SetData", true);
            set.AddParam("CWnd*", dialog_);
            set.AddParam("int", doc);
            module_.Send(set);
        }
        AreaFiller::Fill(inputArea_);
    }
    return true;
}

bool EditSession::CheckModified() {
    SendGetData();
    const bool modified = !(InputFingerprint() == saved_);
    if (window_) window_->setWindowModified(modified);
    return modified;
}

bool EditSession::Save() {
    // Said before anything is taken from the dialog: the document and the
    // file stay as they were.
    if (const std::string why = winsys::WhyNotWritable(file_); !why.empty()) {
        winsys::MessageBox(winsys::FormatC("Die Position '%s' kann nicht gespeichert werden (%s); die Datei bleibt "
                                           "unverändert.",
                                           file_.string().c_str(), why.c_str()),
                           "velor2005", winsys::Buttons::Ok, winsys::Icon::Error);
        return false;
    }
    SendGetData();
    // A calculated position keeps its report beside it, as "calc" leaves
    // it: the module writes the report of the calculated data.
    // The report replaces the old one only once the position is saved.
    const bool reported = HasCalculatedResult() && CalculatePosition(module_, doc_, file_) == 1;
    ZEVUD_HoldSaves(doc_, 0);
    const bool saved = ZEVUD_SaveDoc(doc_) == 1;
    ZEVUD_HoldSaves(doc_, 1);
    CommitSideFiles(module_, doc_, saved && reported);
    if (!saved) {
        winsys::MessageBox(winsys::FormatC("Die Position '%s' konnte nicht gespeichert werden; die Datei bleibt "
                                           "unverändert.",
                                           file_.string().c_str()),
                           "velor2005", winsys::Buttons::Ok, winsys::Icon::Error);
        return false;
    }
    saved_ = InputFingerprint();
    if (window_) window_->setWindowModified(false);
    return true;
}

bool EditSession::MayClose() {
    if (closing_) return true;
    if (!CheckModified()) return true;
    const int answer = winsys::MessageBox(
        winsys::FormatC("Sollen die Änderungen an '%s' gespeichert werden?", file_.filename().string().c_str()),
        "velor2005", winsys::Buttons::YesNoCancel, winsys::Icon::Question, winsys::IdNo);
    if (answer == winsys::IdYes) return Save();
    return answer == winsys::IdNo;
}

bool EditSession::Close() { return window_ && window_->close(); }

void EditSession::Discard() {
    closing_ = true;
    if (window_) window_->close();
}

QImage EditSession::Screenshot() {
    if (!window_) return {};
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return window_->grab().toImage();
    // On a window system the picture comes from the server: the window must
    // be mapped and painted there first. A busy machine can take a while to
    // expose a freshly shown window, so wait for it (a few seconds at most),
    // paint it now and let the server catch up before grabbing.
    if (!window_->isVisible()) window_->show();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        QWindow* handle = window_->windowHandle();
        if (handle && handle->isExposed()) break;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    window_->repaint();
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QGuiApplication::sync();
    QScreen* screen = window_->screen();
    return screen ? screen->grabWindow(window_->winId()).toImage() : QImage();
}

QString EditSession::TipText() const { return window_ ? window_->statusBar()->currentMessage() : QString(); }

void EditSession::ShowTip(const char* tipFile) {
    if (!window_ || !tipFile || !*tipFile) return;
    std::string name(tipFile);
    for (char& c : name)
        if (c == '\\') c = '/';
    const fs::path rel(name);
    // Only files of the installation: no absolute path, no way up.
    if (rel.is_absolute()) return;
    for (const fs::path& part : rel)
        if (part == "..") return;
    std::error_code ec;
    const fs::path file = winsys::ResolveCaseInsensitive(winsys::InstallRoot() / rel);
    if (!fs::is_regular_file(file, ec)) return;
    const QString text = PlainTextOfRtf(file);
    if (!text.isEmpty()) window_->statusBar()->showMessage(text);
}

void ShowRtfTip(const char* tipFile) {
    if (g_tipSession) g_tipSession->ShowTip(tipFile);
}

}  // namespace host
