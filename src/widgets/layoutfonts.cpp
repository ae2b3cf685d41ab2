#include "layoutfonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QWidget>

namespace {
// The family the windows' fonts name: Verdana where it is installed, else the
// installed substitute under its own name. Asked for a missing family, Qt
// fetches fontconfig's fallback lists for it and for its substitute as soon as
// a font is first used (4.5 M instructions, a twentieth of a start); asked for
// the substitute itself, only once a character is missing from it. The font
// drawn is the same.
QString layoutFamily = QStringLiteral("Verdana");

QString installedLayoutFamily()
{
    // The same test Qt's font matching makes: the name among the installed
    // families, which are listed as "Family [Foundry]" where there are several.
    // Answers in the database's spelling (substitutes are kept in lower case).
    const QStringList installed = QFontDatabase::families();
    const auto spelling = [&installed](const QString &family) {
        const QString withFoundry = family + QStringLiteral(" [");
        for (const QString &name : installed) {
            if (name.compare(family, Qt::CaseInsensitive) == 0)
                return name;
            if (name.startsWith(withFoundry, Qt::CaseInsensitive))
                return name.left(family.size());
        }
        return QString();
    };
    QString verdana = QStringLiteral("Verdana");
    if (QString name = spelling(verdana); !name.isEmpty())
        return name;
    const QStringList substitutes = QFont::substitutes(verdana);
    for (const QString &family : substitutes) {
        if (QString name = spelling(family); !name.isEmpty())
            return name;
    }
    return verdana; // nothing better installed: let Qt find the nearest
}

void setLayoutHinting(QFont &font)
{
#ifdef Q_OS_WIN
    // GDI's full hinting rounds every advance up to whole pixels, and the
    // labels' texts no longer fit the room they were laid out for. Vertical
    // hinting only (drawn by DirectWrite) keeps the widths as designed, as
    // on Linux, whatever font the desktop gives the application.
    font.setHintingPreference(QFont::PreferVerticalHinting);
#else
    Q_UNUSED(font);
#endif
}
} // namespace

void LayoutFonts::install()
{
    // The windows are laid out for Verdana; DejaVu Sans has close metrics.
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
    layoutFamily = installedLayoutFamily();
    QFont font(layoutFamily);
    font.setPointSizeF(8.25);
    setLayoutHinting(font);
    QApplication::setFont(font);
}

void LayoutFonts::apply(QWidget *window)
{
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        if (!widget->testAttribute(Qt::WA_SetFont))
            continue; // takes its container's font
        QFont font = widget->font();
        if (font.family().compare(QLatin1String("Verdana"), Qt::CaseInsensitive) == 0)
            font.setFamilies({layoutFamily});
        const qreal size = font.pointSizeF();
        if (size == 8)
            font.setPointSizeF(8.25);
        else if (size == 10)
            font.setPointSizeF(9.75);
        // Every attribute set, so nothing of the desktop's font shows through.
        setLayoutHinting(font);
        font.setResolveMask(QFont::AllPropertiesResolved);
        widget->setFont(font);
    }
}
