#include "test_dialog.h"

#include <QImage>
#include <QPainter>

#include "platform/wl/resources.h"
#include "platform/wl/templates.h"

namespace wltest {

using namespace wl;

void RegisterTestTemplates() {
    static bool done = false;
    if (done) return;
    done = true;
    QImage img(60, 45, QImage::Format_RGB32);
    img.fill(QColor(255, 255, 255));
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0, 90, 170));
        p.setPen(Qt::NoPen);
        p.drawRect(5, 5, 50, 6);    // top flange
        p.drawRect(27, 11, 6, 23);  // web
        p.drawRect(5, 34, 50, 6);   // bottom flange
    }
    RegisterBitmap(IDC_PICTURE, img);

    RegisterTemplate(DialogTemplate{
        kTestDialog,
        "Testdialog",
        320,
        190,
        0,
        {
            {IDC_TITLE, Kind::Static, "Testdialog der Fensterschicht", 7, 7, 200, 8},
            {IDC_NAME_LABEL, Kind::Static, "&Bezeichnung:", 15, 24, 100, 8},
            {IDC_NAME, Kind::Edit, "", 15, 34, 154, 13},
            {IDC_ACTIVE, Kind::CheckBox, "Aktiv", 180, 36, 50, 10},
            {IDC_DIRECTION_GROUP, Kind::GroupBox, "Richtung", 7, 52, 110, 42},
            {IDC_LEFT, Kind::Radio, "Links", 15, 64, 60, 10, kGroup},
            {IDC_RIGHT, Kind::Radio, "Rechts", 15, 78, 60, 10},
            {IDC_COUNTRY, Kind::Combo, "", 125, 56, 90, 60, kTranslatable, {"Deutschland", "Frankreich"}},
            {IDC_FACTOR, Kind::Edit, "", 125, 76, 50, 13},
            {IDC_COUNT, Kind::Edit, "", 180, 76, 40, 13},
            {IDC_COUNT_SPIN, Kind::UpDown, "", 220, 76, 10, 13},
            {IDC_SLIDER, Kind::Slider, "", 7, 100, 110, 15},
            {IDC_PROGRESS, Kind::Progress, "", 125, 100, 105, 10},
            {IDC_TABS, Kind::Tab, "", 7, 120, 110, 40},
            {IDC_TREE, Kind::Tree, "", 125, 118, 50, 44, kCheckBoxes},
            {IDC_LIST, Kind::ListView, "", 180, 118, 50, 44},
            {IDC_GRID, Kind::Custom, "", 235, 7, 78, 40, 0, {}, "RigelGridCtrl"},
            {IDC_PICTURE, Kind::Picture, "", 235, 52, 40, 30, 0, {}, "", IDC_PICTURE},
            {IDC_LISTBOX, Kind::ListBox, "", 235, 88, 78, 30, 0, {"Eins", "Zwei", "Drei"}},
            {IDOK, Kind::Button, "OK", 205, 170, 50, 14, kDefault},
            {IDCANCEL, Kind::Button, "Abbrechen", 263, 170, 50, 14},
        },
    });
    RegisterTemplate(DialogTemplate{
        kChildPage,
        "",
        100,
        60,
        kDlgChild | kDlgVisible,
        {
            {2000, Kind::Static, "Seite", 4, 4, 60, 8},
            {2001, Kind::Edit, "", 4, 16, 80, 13},
        },
    });
}

}  // namespace wltest
