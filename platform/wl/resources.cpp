#include "platform/wl/resources.h"

#include <map>

namespace wl {

namespace {
std::map<int, QImage>& Bitmaps() {
    static std::map<int, QImage> b;
    return b;
}
std::map<int, std::string>& Strings() {
    static std::map<int, std::string> s;
    return s;
}
}  // namespace

void RegisterString(int id, const std::string& text) { Strings()[id] = text; }

std::string LoadString(int id) {
    auto it = Strings().find(id);
    return it == Strings().end() ? std::string() : it->second;
}

void RegisterBitmap(int id, const QImage& image) { Bitmaps()[id] = image; }

QImage FindBitmap(int id) {
    auto it = Bitmaps().find(id);
    return it == Bitmaps().end() ? QImage() : it->second;
}

}  // namespace wl
