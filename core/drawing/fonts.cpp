#include "core/drawing/fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace {
struct Substitute {
    const char* original;
    QStringList candidates;
    bool fixedPitch;
};

const QList<Substitute>& Substitutes() {
    static const QList<Substitute> list = {
        {"Verdana", {"DejaVu Sans", "Liberation Sans"}, false},
        {"Arial", {"Liberation Sans", "DejaVu Sans"}, false},
        {"Lucida Console", {"DejaVu Sans Mono", "Liberation Mono"}, true},
        {"MS Sans Serif", {"Liberation Sans", "DejaVu Sans"}, false},
    };
    return list;
}

bool Installed(const QStringList& families, const QString& family) {
    return families.contains(family, Qt::CaseInsensitive);
}

QString PickSubstitute(const Substitute& s, const QStringList& families) {
    for (const QString& c : s.candidates) {
        if (!Installed(families, c)) continue;
        if (s.fixedPitch && !QFontDatabase::isFixedPitch(c)) continue;
        return c;
    }
    if (s.fixedPitch) return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    return s.candidates.value(0);
}
} // namespace

void InstallFontSubstitutes() {
    static bool done = false;
    if (done || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    done = true;
    const QStringList families = QFontDatabase::families();
    for (const Substitute& s : Substitutes()) {
        const QString original = QString::fromLatin1(s.original);
        if (Installed(families, original)) continue;
        const QString replacement = PickSubstitute(s, families);
        // The charts ask for "verdana" in lower case; register both spellings.
        QFont::insertSubstitution(original, replacement);
        QFont::insertSubstitution(original.toLower(), replacement);
    }
}

QString ResolvedFontFamily(const QString& name) {
    InstallFontSubstitutes();
    const QStringList families = QFontDatabase::families();
    const QString sub = Installed(families, name) ? name : QFont::substitute(name);
    // Spelled as the font database spells it.
    for (const QString& family : families)
        if (family.compare(sub, Qt::CaseInsensitive) == 0) return family;
    return sub.isEmpty() ? name : sub;
}

QFont MakeFont(const QString& name, double points, bool bold, bool underline) {
    InstallFontSubstitutes();
    QFont font(name);
    for (const Substitute& s : Substitutes())
        if (s.fixedPitch && name.compare(QLatin1String(s.original), Qt::CaseInsensitive) == 0)
            font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}
