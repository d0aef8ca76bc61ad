// The application object of a program or test with windows.
#pragma once

#include <memory>

#include "platform/wl/api.h"

class QApplication;

namespace wl {

// Makes the application object (argc must outlive it), with the Fusion
// style and the installed fonts (DejaVu Sans 9 pt; the families windows and
// documents name resolved as ResolveFace does where the machine lacks them). The toolkit sets the C library's locale from the environment; the
// numeric part is set back to "C" at once, so that printf and sscanf keep
// writing and reading decimal points on a German desktop.
WL_API std::unique_ptr<QApplication> MakeApplication(int& argc, char** argv);

// Sets the C library's numeric locale back to "C".
WL_API void RestoreNumericLocale();

}  // namespace wl
