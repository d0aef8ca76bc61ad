#include "platform/richedit/print_service.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <QPrinter>
#include <QTextDocument>
#include <string>

#include "platform/richedit/rtf_reader.h"
#include "platform/wl/ui.h"

namespace richedit {

namespace {

void Say(const std::string& text) {
    winsys::MessageBox(text, "Drucken", winsys::Buttons::Ok, winsys::Icon::Information);
}

}  // namespace

bool PrintService::Open(const std::filesystem::path& file) {
    // A service installed before this one other than the desktop's (a
    // test's recording shell) opens the file; otherwise the desktop's
    // application for the file's type, through Qt's desktop services (which
    // use the freedesktop opener).
    if (next_ && dynamic_cast<winsys::DesktopShell*>(next_) == nullptr) return next_->Open(file);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        winsys::MessageBox("Die Datei '" + file.string() + "' wurde nicht gefunden.", "Fehler", winsys::Buttons::Ok,
                           winsys::Icon::Error);
        return false;
    }
    const std::filesystem::path path = std::filesystem::absolute(file, ec);
    if (winsys::FindProgram("xdg-open").empty() ||
        !QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())))) {
        winsys::MessageBox("Die Datei '" + path.filename().string() + "' wurde geschrieben; es ist aber kein Programm "
                               "eingerichtet, das sie öffnet. Sie liegt im Ordner '" + path.parent_path().string() + "'.",
                           "Hinweis", winsys::Buttons::Ok, winsys::Icon::Information);
        return false;
    }
    return true;
}

bool PrintService::Print(const std::filesystem::path& file) {
    QFile f(QString::fromStdString(file.string()));
    if (!f.open(QIODevice::ReadOnly)) {
        Say("Die Datei '" + file.string() + "' kann nicht gelesen werden; sie wurde nicht gedruckt.");
        return false;
    }
    const QByteArray bytes = f.readAll();
    QTextDocument doc;
    // A report is RTF; anything else prints as the text it is.
    if (!ReadRtf(bytes.toStdString(), doc).read) doc.setPlainText(QString::fromUtf8(bytes));

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(file.filename().string()));
    if (!wl::GetUi().PrintSetup(printer, nullptr)) return false;
    if (!printer.isValid()) {
        Say("Es ist kein Drucker eingerichtet; die Datei '" + file.string() + "' wurde nicht gedruckt.");
        return false;
    }
    doc.print(&printer);
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
        Say("Der Druck der Datei '" + file.string() + "' ist fehlgeschlagen.");
        return false;
    }
    return true;
}

void InstallPrintService() {
    static PrintService* service = nullptr;
    if (service) return;
    static PrintService installed(winsys::GetShellService());
    service = &installed;
    winsys::SetShellService(service);
}

}  // namespace richedit
