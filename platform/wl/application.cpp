#include "platform/wl/application.h"

#include <QApplication>
#include <QStyleFactory>
#include <clocale>

namespace wl {

void RestoreNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

std::unique_ptr<QApplication> MakeApplication(int& argc, char** argv) {
    auto app = std::make_unique<QApplication>(argc, argv);
    RestoreNumericLocale();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    return app;
}

}  // namespace wl
