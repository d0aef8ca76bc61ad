#include "dialog_parent.h"

namespace dialogtest {

Parent::Parent(int width, int height) {
    auto* w = new QWidget;
    w->resize(width, height);
    AttachOwned(w);
}

}  // namespace dialogtest
