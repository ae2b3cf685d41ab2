#include "layoutfonts.h"

#include <QApplication>
#include <QFont>
#include <QWidget>

namespace {
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
    QFont font(QStringLiteral("Verdana"));
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
