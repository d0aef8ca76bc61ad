// The message service's dialog for a program with windows: a message box
// with German buttons ("OK", "Ja", "Nein", "Abbrechen", "Wiederholen") and
// the icon of the message, owned by the main window.
#pragma once

#include "platform/winsys/winsys.h"
#include "platform/wl/api.h"

namespace wl {

class WL_API QtMessageSink : public winsys::MessageSink {
public:
    int Show(const winsys::Message& m) override;
};

}  // namespace wl
