#include "formula/tests/support/FormulaTestSupport.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/winsys/winsys.h"

namespace formula_test {

Outcome Eval(CVariableTable& table, const std::string& text)
{
    Outcome o;
    o.value = kUntouched;
    o.ok = table.Evaluate(text, o.value) != 0;
    o.messages = table.GetMessages();
    return o;
}

Outcome Eval(const std::string& text)
{
    CVariableTable table;
    return Eval(table, text);
}

std::filesystem::path ScratchFolder(const std::string& name)
{
    std::filesystem::path p = std::filesystem::path(RIGEL_TEST_TMP) / "formula" /
                              (name + "_" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p;
}

void UsePrivateRegistry(const std::string& name)
{
    std::filesystem::path dir = ScratchFolder("registry_" + name);
    setenv("VELOR_REGISTRY_DIR", dir.c_str(), 1);
    winsys::RegistryReload();
}

}  // namespace formula_test
