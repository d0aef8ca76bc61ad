#include "module/ModuleDataDialog.h"

namespace {
constexpr int kTabPages = 16;
}

CMainDialogBase::CMainDialogBase() {
    m_annotations.assign(kTabPages, std::string());
    m_data.m_pDialog = this;
}

CMainDialogBase::~CMainDialogBase() { m_data.m_pDialog = nullptr; }
