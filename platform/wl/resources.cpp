#include "platform/wl/resources.h"

#include <map>

namespace wl {

namespace {
std::map<int, QImage>& Bitmaps() {
    static std::map<int, QImage> b;
    return b;
}
}  // namespace

void RegisterBitmap(int id, const QImage& image) { Bitmaps()[id] = image; }

QImage FindBitmap(int id) {
    auto it = Bitmaps().find(id);
    return it == Bitmaps().end() ? QImage() : it->second;
}

}  // namespace wl
