#include "dialogs/DlgFeder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QWidget>

#include "dialogs/SpringValDlg.h"
#include "input/SpringValues.h"
#include "input/StdProfile.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "module/frame/ModuleMessages.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

std::vector<wl::ControlTemplate> MemberControls(int base, int x, const char* title) {
    using C = CDlgFeder;
    const int lx = x + 6, ex = x + 70;
    return {
        {base + 20, Kind::GroupBox, title, x, 7, 150, 190},
        {base + C::ENABLE, Kind::CheckBox, title, lx, 18, 100, 10},
        {base + C::RECT, Kind::Radio, "Rechteck", lx, 32, 60, 10, wl::kGroup},
        {base + C::CIRCLE, Kind::Radio, "Kreis", lx + 60, 32, 50, 10},
        {base + C::CATALOGUE, Kind::Radio, "Profildatenbank", lx, 44, 80, 10},
        {base + 21, Kind::Static, "E-Modul [MN/m²]:", lx, 60, 62, 10},
        {base + C::EMOD, Kind::Edit, "", ex, 58, 70, 12},
        {base + 22, Kind::Static, "Einspanngrad [%]:", lx, 76, 62, 10},
        {base + C::FIXITY, Kind::Edit, "", ex, 74, 70, 12},
        {base + 23, Kind::Static, "Höhe [m]:", lx, 92, 62, 10},
        {base + C::HEIGHT, Kind::Edit, "", ex, 90, 70, 12},
        {base + 24, Kind::Static, "Durchmesser [cm]:", lx, 108, 62, 10},
        {base + C::DIAMETER, Kind::Edit, "", ex, 106, 70, 12},
        {base + 25, Kind::Static, "Breite [cm]:", lx, 124, 62, 10},
        {base + C::WIDTH, Kind::Edit, "", ex, 122, 70, 12},
        {base + 26, Kind::Static, "Tiefe [cm]:", lx, 140, 62, 10},
        {base + C::DEPTH, Kind::Edit, "", ex, 138, 70, 12},
        {base + 27, Kind::Static, "Reihe:", lx, 156, 62, 10},
        {base + C::SERIES, Kind::Combo, "", ex, 154, 70, 80},
        {base + 28, Kind::Static, "Profil:", lx, 170, 62, 10},
        {base + C::PROFILE, Kind::Combo, "", ex, 168, 70, 80},
        {base + C::AXIS, Kind::Combo, "", ex, 182, 70, 40, 0, {"y-y", "z-z"}},
    };
}

wl::DialogTemplate MakeTemplate() {
    wl::DialogTemplate t{CDlgFeder::kTemplateId, "Federwerte aus Bauteil berechnen", 320, 225, 0, {}};
    for (const auto& c : MemberControls(CDlgFeder::kBelow, 7, "Bauteil unten")) t.controls.push_back(c);
    for (const auto& c : MemberControls(CDlgFeder::kAbove, 163, "Bauteil oben")) t.controls.push_back(c);
    t.controls.push_back({wl::IDOK, Kind::Button, "OK", 153, 204, 50, 14, wl::kDefault});
    t.controls.push_back({wl::IDCANCEL, Kind::Button, "Abbrechen", 208, 204, 50, 14});
    t.controls.push_back({wl::IDHELP, Kind::Button, "Hilfe", 263, 204, 50, 14});
    return t;
}

const wl::TemplateRegistrar kTemplates({MakeTemplate()});

std::string Fmt(const char* format, double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, v);
    return buffer;
}

// Area and second moment of a catalogue profile about the chosen axis (1:
// the second one, else the first); zero while no series or profile is chosen
// or the catalogue does not know it.
springs::SectionValues CatalogueValues(const std::string& family, const std::string& profile, int axis) {
    if (family.empty() || profile.empty()) return {};
    CStdProfile& catalogue = GetStdProfile();
    int s = -1, p = -1;
    catalogue.FindProfile(family, profile, s, p);
    SektGqs gross{};
    SektSqs dims{};
    if (s < 0 || p < 0 || !catalogue.GetValues(s, p, gross, dims, nullptr)) return {};
    return springs::CatalogueSection(gross.A, axis == 1 ? gross.Azz : gross.Ayy);
}

}  // namespace

CDlgFeder::CDlgFeder() : wl::Dialog(kTemplateId) {
    // A new dialog: both members off, a circle, rotational.
    m_Data.m_bDrehfeder = 1;
    m_Data.m_bEnableUnten = m_Data.m_bEnableOben = 0;
    m_Data.m_uemod = m_Data.m_oemod = 25000.0;
    m_Data.m_ugrad = m_Data.m_ograd = 100.0;
    m_Data.m_uh = m_Data.m_oh = 3.0;
    m_Data.m_uqkd = m_Data.m_oqkd = 30.0;
    m_Data.m_uqrb = m_Data.m_oqrb = 20.0;
    m_Data.m_uqrd = m_Data.m_oqrd = 30.0;
    m_Data.m_uqtyp = m_Data.m_oqtyp = 1;
    m_Data.m_ulage = m_Data.m_olage = -1;
}

CDlgFeder::~CDlgFeder() = default;

void CDlgFeder::SetData(const CSpringData& data) { m_Data = data; }

bool CDlgFeder::OnInitDialog() {
    struct M {
        int base;
        int enabled, kind, lage;
        double emod, grad, h, kd, rb, rd;
        const char* hFormat;
    };
    const CSpringData& d = m_Data;
    const std::string families[] = {d.m_uProfFamily, d.m_oProfFamily};
    const std::string profiles[] = {d.m_uProfile, d.m_oProfile};
    CStdProfile& catalogue = GetStdProfile();
    const M members[] = {
        {kBelow, d.m_bEnableUnten, d.m_uqtyp, d.m_ulage, d.m_uemod, d.m_ugrad, d.m_uh, d.m_uqkd, d.m_uqrb, d.m_uqrd, "%.1lf"},
        {kAbove, d.m_bEnableOben, d.m_oqtyp, d.m_olage, d.m_oemod, d.m_ograd, d.m_oh, d.m_oqkd, d.m_oqrb, d.m_oqrd, "%.2lf"},
    };
    for (const M& m : members) {
        const size_t i = m.base == kBelow ? 0 : 1;
        if (auto* series = dynamic_cast<QComboBox*>(GetDlgItemWidget(m.base + SERIES))) {
            series->clear();
            for (int k = 0, n = catalogue.GetSeriesCount(); k < n; ++k)
                series->addItem(QString::fromStdString(catalogue.GetSeriesName(k)));
            series->setCurrentIndex(families[i].empty() ? -1 : catalogue.FindSeries(families[i]));
        }
        FillProfiles(m.base, profiles[i]);
        if (auto* axis = dynamic_cast<QComboBox*>(GetDlgItemWidget(m.base + AXIS)))
            axis->setCurrentIndex(m.lage >= 0 && m.lage < axis->count() ? m.lage : -1);
        if (auto* b = dynamic_cast<QAbstractButton*>(GetDlgItemWidget(m.base + ENABLE))) b->setChecked(m.enabled != 0);
        for (int k = 0; k < 3; ++k)
            if (auto* b = dynamic_cast<QAbstractButton*>(GetDlgItemWidget(m.base + RECT + k))) b->setChecked(m.kind == k);
        SetDlgItemText(m.base + EMOD, Fmt("%.0lf", m.emod));
        SetDlgItemText(m.base + FIXITY, Fmt("%.1lf", m.grad));
        SetDlgItemText(m.base + HEIGHT, Fmt(m.hFormat, m.h));
        SetDlgItemText(m.base + DIAMETER, Fmt("%.1lf", m.kd));
        SetDlgItemText(m.base + WIDTH, Fmt("%.1lf", m.rb));
        SetDlgItemText(m.base + DEPTH, Fmt("%.1lf", m.rd));
        for (int id : {ENABLE, RECT, CIRCLE, CATALOGUE})
            MapCommand(m.base + id, [this] { UpdateEnabling(); });
    }
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, "DlgFeder");
    MapCommand(wl::IDHELP, [] { OpenSpringHelpTopic(); });
    UpdateEnabling();
    return true;
}

void CDlgFeder::FillProfiles(int base, const std::string& profile) {
    auto* series = dynamic_cast<QComboBox*>(GetDlgItemWidget(base + SERIES));
    auto* combo = dynamic_cast<QComboBox*>(GetDlgItemWidget(base + PROFILE));
    if (!series || !combo) return;
    combo->clear();
    const int s = series->currentIndex();
    if (s < 0) return;
    CStdProfile& catalogue = GetStdProfile();
    std::vector<std::string> names;
    catalogue.GetProfileNames(s, names, -1);
    for (const std::string& name : names) combo->addItem(QString::fromStdString(name));
    int foundSeries = -1, foundProfile = -1;
    if (!profile.empty()) catalogue.FindProfile(catalogue.GetSeriesName(s), profile, foundSeries, foundProfile);
    combo->setCurrentIndex(foundSeries == s ? foundProfile : -1);
}

bool CDlgFeder::OnCommand(int id, int code) {
    for (int base : {int(kBelow), int(kAbove)})
        if (id == base + SERIES && code == wl::CBN_SELCHANGE) {
            FillProfiles(base, std::string());
            return true;
        }
    return wl::Dialog::OnCommand(id, code);
}

void CDlgFeder::UpdateEnabling() {
    const bool rotational = m_Data.m_bDrehfeder != 0;
    for (int base : {int(kBelow), int(kAbove)}) {
        const bool memberAllowed = base == kBelow || rotational;
        auto checked = [this](int id) {
            auto* b = dynamic_cast<QAbstractButton*>(GetDlgItemWidget(id));
            return b && b->isChecked();
        };
        if (QWidget* w = GetDlgItemWidget(base + ENABLE)) w->setEnabled(memberAllowed);
        const bool on = memberAllowed && checked(base + ENABLE);
        const int kind = checked(base + RECT) ? 0 : checked(base + CIRCLE) ? 1 : 2;
        const std::pair<int, bool> states[] = {
            {RECT, on},           {CIRCLE, on},         {CATALOGUE, on},        {EMOD, on},
            {HEIGHT, on},         {FIXITY, on && rotational}, {WIDTH, on && kind == 0}, {DEPTH, on && kind == 0},
            {DIAMETER, on && kind == 1}, {SERIES, on && kind == 2}, {PROFILE, on && kind == 2}, {AXIS, on && kind == 2},
        };
        for (const auto& [id, enable] : states)
            if (QWidget* w = GetDlgItemWidget(base + id)) w->setEnabled(enable);
    }
}

bool CDlgFeder::ReadMember(int base, bool below, std::string& error) {
    auto number = [&](int id, double& out) {
        std::string text = GetDlgItemText(base + id);
        std::replace(text.begin(), text.end(), ',', '.');
        const std::optional<double> v = winsys::ParseDouble(text);
        if (!v) {
            error = "Die Eingabe \"" + GetDlgItemText(base + id) + "\" ist keine Zahl.";
            return false;
        }
        out = *v;
        return true;
    };
    auto checked = [this](int id) {
        auto* b = dynamic_cast<QAbstractButton*>(GetDlgItemWidget(id));
        return b && b->isChecked();
    };
    CSpringData& d = m_Data;
    int& enabled = below ? d.m_bEnableUnten : d.m_bEnableOben;
    int& kind = below ? d.m_uqtyp : d.m_oqtyp;
    enabled = checked(base + ENABLE) ? 1 : 0;
    kind = checked(base + RECT) ? 0 : checked(base + CIRCLE) ? 1 : 2;
    auto chosen = [this, base](int id) {
        auto* c = dynamic_cast<QComboBox*>(GetDlgItemWidget(base + id));
        return c && c->currentIndex() >= 0 ? c->currentText().toStdString() : std::string();
    };
    (below ? d.m_uProfFamily : d.m_oProfFamily) = chosen(SERIES);
    (below ? d.m_uProfile : d.m_oProfile) = chosen(PROFILE);
    if (auto* axis = dynamic_cast<QComboBox*>(GetDlgItemWidget(base + AXIS)))
        (below ? d.m_ulage : d.m_olage) = axis->currentIndex();
    return number(EMOD, below ? d.m_uemod : d.m_oemod) && number(FIXITY, below ? d.m_ugrad : d.m_ograd) &&
           number(HEIGHT, below ? d.m_uh : d.m_oh) && number(DIAMETER, below ? d.m_uqkd : d.m_oqkd) &&
           number(WIDTH, below ? d.m_uqrb : d.m_oqrb) && number(DEPTH, below ? d.m_uqrd : d.m_oqrd);
}

void CDlgFeder::OnOK() {
    const CSpringData before = m_Data;
    std::string error;
    if (!ReadMember(kBelow, true, error) || !ReadMember(kAbove, false, error)) {
        m_Data = before;
        winsys::MessageBox(error, "Federwerte aus Bauteil berechnen");
        return;
    }
    auto member = [this](bool below) {
        const CSpringData& d = m_Data;
        springs::Member m;
        m.enabled = (below ? d.m_bEnableUnten : d.m_bEnableOben) != 0;
        m.eModulus = below ? d.m_uemod : d.m_oemod;
        m.fixity = below ? d.m_ugrad : d.m_ograd;
        m.height = below ? d.m_uh : d.m_oh;
        const int kind = below ? d.m_uqtyp : d.m_oqtyp;
        if (kind == springs::SECTION_RECTANGLE)
            m.section = springs::RectangleSection(below ? d.m_uqrb : d.m_oqrb, below ? d.m_uqrd : d.m_oqrd);
        else if (kind == springs::SECTION_CIRCLE)
            m.section = springs::CircleSection(below ? d.m_uqkd : d.m_oqkd);
        else
            m.section = CatalogueValues(below ? d.m_uProfFamily : d.m_oProfFamily, below ? d.m_uProfile : d.m_oProfile,
                                        below ? d.m_ulage : d.m_olage);
        return m;
    };
    const springs::Member below = member(true);
    const springs::Member above = member(false);
    const springs::SpringResult r = springs::ComputeSpring(m_Data.m_bDrehfeder != 0, below, above);
    if (!r.ok) {
        // Nothing is stored: the dialog stays open with its fields.
        m_Data = before;
        winsys::MessageBox(r.message, "Federwerte aus Bauteil berechnen");
        return;
    }
    m_Data.m_uIy = below.section.inertia;
    m_Data.m_oIy = above.section.inertia;
    m_dResult = r.value;
    EndDialog(wl::IDOK);
}
