#include "platform/wl/application.h"

#include <QApplication>
#include <QFont>
#include <QStringList>
#include <QStyleFactory>
#include <clocale>

#include "platform/wl/draw.h"

namespace wl {

namespace {

// The windows draw with the fonts the installation brings (DejaVu and
// Liberation, see scripts/install-deps), whatever else the machine has: a
// family the windows or the documents name that the machine lacks ("Symbol",
// "Tahoma", "MS Sans Serif" ...) is replaced by the one the drawing code
// resolves it to, not by whatever the machine's font configuration offers
// (an office package's "OpenSymbol" for "Symbol", say, which lacks letters
// the windows show); a character the face lacks (an angle bracket) is taken
// from the other installed faces first, not from the first font of the
// machine that has it. The application's own font is named too.
void UseInstalledFonts() {
    const QStringList installed = {
        QStringLiteral("DejaVu Sans"),     QStringLiteral("DejaVu Sans Mono"), QStringLiteral("DejaVu Serif"),
        QStringLiteral("Liberation Sans"), QStringLiteral("Liberation Serif"), QStringLiteral("Liberation Mono"),
        QStringLiteral("DejaVu Math TeX Gyre"),
    };
    auto othersThan = [&](const QString& family) {
        QStringList l{family};
        for (const QString& f : installed)
            if (f != family) l << f;
        return l;
    };
    for (const QString& family : installed) QFont::insertSubstitutions(family, othersThan(family).mid(1));
    static const char* const kFaces[] = {
        "Arial", "Helvetica", "MS Shell Dlg", "MS Shell Dlg 2", "MS Sans Serif", "Microsoft Sans Serif",
        "Tahoma", "Verdana", "Segoe UI", "Calibri", "Times New Roman", "Times", "Courier New", "Courier",
        "Symbol", "Wingdings",
    };
    for (const char* face : kFaces)
        QFont::insertSubstitutions(QString::fromLatin1(face), othersThan(QString::fromStdString(ResolveFace(face))));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
}

}  // namespace

void RestoreNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

std::unique_ptr<QApplication> MakeApplication(int& argc, char** argv) {
    auto app = std::make_unique<QApplication>(argc, argv);
    RestoreNumericLocale();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    UseInstalledFonts();
    return app;
}

}  // namespace wl
