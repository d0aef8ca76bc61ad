// "Vorverformung" of the member design: how the second-order analysis
// applies imperfections (global sway, global bow, or an eccentricity affine
// to the buckling mode), each kind with a sub-dialog of its values, and the
// calculation aid.
#pragma once

#include <string>
#include <vector>

#include "dialogs/MainPages.h"
#include "module/Settings.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

// The values of one kind, bound to the position's imperfection record.
class CVorvSubDlg : public wl::Dialog {
public:
    CVorvSubDlg(int templateId, int directCheck) : wl::Dialog(templateId), m_nDirectCheck(directCheck) {}
    void SetRecord(CImperfectionSettings* record) { m_pRecord = record; }
    // save: controls into the record; else the record into the controls.
    virtual void ExchangeData(bool save);
    // The direct value's check enables its controls and disables the others.
    virtual void UpdateEnabling() = 0;

protected:
    bool OnInitDialog() override;
    bool DirectChecked() const;
    static void Enable(wl::Window& w, int id, bool on);
    CImperfectionSettings* m_pRecord = nullptr;
    int m_nDirectCheck;
};

// Two values of the record, and a direct value that replaces both while its
// check is set (sway and bow).
class CVorvPairDlg : public CVorvSubDlg {
public:
    struct Binding {
        int first, second, directValue, directCheck;  // control ids
        double CImperfectionSettings::*firstValue;
        double CImperfectionSettings::*secondValue;
        double CImperfectionSettings::*directValueField;
        int CImperfectionSettings::*directCheckField;
    };
    CVorvPairDlg(int templateId, const Binding& b) : CVorvSubDlg(templateId, b.directCheck), m_binding(b) {}
    void UpdateEnabling() override;

protected:
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    Binding m_binding;
};

class CVorvSwayDlg : public CVorvPairDlg {
public:
    static constexpr int kTemplateId = 26013;
    enum { IDC_PSI_Y = 1006, IDC_PSI_Z = 1007, IDC_DIRECT_VALUE = 1008, IDC_DIRECT = 1015 };
    CVorvSwayDlg()
        : CVorvPairDlg(kTemplateId, {IDC_PSI_Y, IDC_PSI_Z, IDC_DIRECT_VALUE, IDC_DIRECT, &CImperfectionSettings::m_psiY,
                                     &CImperfectionSettings::m_psiZ, &CImperfectionSettings::m_psiGlobal,
                                     &CImperfectionSettings::m_psiDirekt}) {}
    const char* ClassName() const override { return "CVorvSwayDlg"; }
};

class CVorvBowDlg : public CVorvPairDlg {
public:
    static constexpr int kTemplateId = 26014;
    enum { IDC_V0 = 1009, IDC_W0 = 1010, IDC_DIRECT_VALUE = 1011, IDC_DIRECT = 1018 };
    CVorvBowDlg()
        : CVorvPairDlg(kTemplateId, {IDC_V0, IDC_W0, IDC_DIRECT_VALUE, IDC_DIRECT, &CImperfectionSettings::m_v0,
                                     &CImperfectionSettings::m_w0, &CImperfectionSettings::m_wGlobal,
                                     &CImperfectionSettings::m_w0Direkt}) {}
    const char* ClassName() const override { return "CVorvBowDlg"; }
};

class CVorvEccDlg : public CVorvSubDlg {
public:
    static constexpr int kTemplateId = 26015;
    enum { IDC_ECC = 1017, IDC_NODE = 1019, IDC_ECC_DIRECT = 1020, IDC_DIRECT = 1016 };
    CVorvEccDlg() : CVorvSubDlg(kTemplateId, IDC_DIRECT) {}
    const char* ClassName() const override { return "CVorvEccDlg"; }
    void UpdateEnabling() override;
    void ExchangeData(bool save) override;
    // The node choices ("1 (x=0.00 m)" ...).
    void SetNodes(const std::vector<double>& x) { m_nodeX = x; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    std::vector<double> m_nodeX;
    wl::ComboBox m_nodes;
};

class CVorvDlg : public CMainPage {
public:
    static constexpr int kTemplateId = 26007;
    enum { IDC_SWAY = 1012, IDC_ECC = 1013, IDC_BOW = 1014, IDC_AID = 26120, IDC_FRAME = 26028 };

    CVorvDlg() : CMainPage(kTemplateId, PAGE_IMPERFECTION) {}
    const char* ClassName() const override { return "CVorvDlg"; }
    void SetModuleData(CModuleData* data) override;
    void ExchangeData(bool save) override;
    // "Berechnungshilfe": the aid on the position, then the page reloads.
    void OnAid();

    CVorvSwayDlg& Sway() { return m_sway; }
    CVorvBowDlg& Bow() { return m_bow; }
    CVorvEccDlg& Ecc() { return m_ecc; }
    int m_nKind = 0;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    void OnKindRadio();
    // Shows the sub-dialog of the kind only.
    void ShowSubDialog();

    CVorvSwayDlg m_sway;
    CVorvBowDlg m_bow;
    CVorvEccDlg m_ecc;
};
