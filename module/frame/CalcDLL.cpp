#include "module/frame/CalcDLL.h"

#include "module/frame/ModuleMessages.h"
#include "platform/winsys/winsys.h"

namespace {
constexpr const char* kArea = "CalcDLL";
}

CCalcDLL::CCalcDLL(const std::string& libraryName, const std::string& routineName) {
    if (libraryName == kHostProgramName) {
        // Only a routine the host registered for calculations; nothing is
        // reported here, the call says that nothing is bound.
        m_pProc = reinterpret_cast<CalcProc>(FindHostRoutine(HostRoutineKind::Calculation, routineName));
        return;
    }
    m_hLib = winsys::LoadLibrary(libraryName);
    if (!m_hLib) {
        rigel::ShowCommonMessage(kArea, "Die dll '%s' wurde nicht gefunden!", libraryName.c_str());
        return;
    }
    m_pProc = reinterpret_cast<CalcProc>(winsys::GetProcAddress(m_hLib, routineName));
    if (!m_pProc)
        rigel::ShowCommonMessage(kArea, "Die Funktion '%s' in der dll '%s' wurde nicht gefunden!", routineName.c_str(),
                                 libraryName.c_str());
}

CCalcDLL::~CCalcDLL() {
    if (m_hLib) winsys::FreeLibrary(m_hLib);
}

bool CCalcDLL::Call(uint32_t first, int32_t second) {
    if (m_pProc && !m_hLib) {
        m_pProc(first, second);  // a routine of the host
        return true;
    }
    if (m_pProc && m_hLib) {
        try {
            m_pProc(first, second);
            return true;
        } catch (...) {
            rigel::ShowCommonMessage(kArea, "Fehler in der Rechenroutine.");
            return false;
        }
    }
    rigel::ShowCommonMessage(kArea, "Fehler beim Aufruf der Berechnungsroutine.\nPosition kann nicht gerechnet werden!");
    return false;
}

int LoadSectlibProc(uint32_t value) {
    static void* lib = nullptr;  // stays loaded once found
    if (!lib) lib = winsys::LoadLibrary("Sectlib.dll");
    if (!lib) return 0;
    auto proc = reinterpret_cast<CalcProc>(winsys::GetProcAddress(lib, "Sectlib"));
    if (!proc) return 0;
    proc(value, 0);
    return 1;
}
