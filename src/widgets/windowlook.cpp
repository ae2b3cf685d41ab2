#include "windowlook.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QIconEngine>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QScreen>
#include <QWidget>

#include <optional>

namespace {
// The program icon, put together when the window system first asks for it.
// Building it decodes all six pictures, a few milliseconds of every start,
// and some platforms (offscreen, for one) never ask.
class DeferredIconEngine : public QIconEngine
{
public:
    QIconEngine *clone() const override { return new DeferredIconEngine; }
    bool isNull() override { return false; } // the pictures are compiled in
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        return icon().pixmap(size / scale, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }

private:
    const QIcon &icon()
    {
        if (!m_icon) {
            m_icon = QIcon(QStringLiteral(":/icon/orra.svg"));
            for (int size : {16, 32, 48, 64, 128, 256})
                m_icon->addFile(QStringLiteral(":/icon/orra-%1.png").arg(size), QSize(size, size));
        }
        return *m_icon;
    }

    std::optional<QIcon> m_icon;
};

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
} // namespace

namespace WindowLook {

void installFontsAndIcon()
{
    // The windows are laid out for Verdana; DejaVu Sans has close metrics.
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
    layoutFamily = installedLayoutFamily();
    QFont font(layoutFamily);
    font.setPointSizeF(8.25);
#ifdef Q_OS_WIN
    // GDI's full hinting rounds every advance up to whole pixels, and the
    // labels' texts no longer fit the room they were laid out for. Vertical
    // hinting only (drawn by DirectWrite) keeps the widths as designed, as
    // on Linux; the windows' own fonts inherit it from here.
    font.setHintingPreference(QFont::PreferVerticalHinting);
#endif
    QApplication::setFont(font);

    QApplication::setWindowIcon(QIcon(new DeferredIconEngine));
}

void setFont(QWidget *widget, qreal pointSize, bool bold, bool underline)
{
    QFont font(layoutFamily);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setUnderline(underline);
    widget->setFont(font);
}

void setColors(QWidget *widget, const QColor &text, const QColor &background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

void setBackground(QWidget *widget, const QColor &background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void fixClientArea(QWidget *window, QWidget *clientArea)
{
    clientArea->setFixedSize(clientArea->size());
    if (window->layout())
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    else
        window->setFixedSize(clientArea->size());
    window->setWindowFlags((window->windowFlags() & ~(Qt::WindowMinMaxButtonsHint))
                           | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint
                           | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint);
}

void stylePromotions(QLabel *cobrand, QLabel *fullbrand, const QColor &background, QLabel *front)
{
    for (QLabel *label : {cobrand, fullbrand}) {
        setFont(label, 8.25, true, true);
        setColors(label, LinkBlue, background);
        // The strips start at or just left of their window's edge; keep the text inside.
        label->setContentsMargins(4, 0, 4, 0);
    }
    bringToFront(front);
}

void bringToFront(QWidget *widget)
{
    if (!widget || !widget->parentWidget())
        return;
    for (QObject *object : widget->parentWidget()->children()) {
        auto *sibling = qobject_cast<QWidget *>(object);
        if (sibling && sibling != widget && sibling->geometry() == widget->geometry())
            sibling->hide();
    }
    widget->show();
    widget->raise();
}

void nameSeparators(QMenu *menu, std::initializer_list<const char *> names)
{
    auto name = names.begin();
    for (QAction *action : menu->actions()) {
        if (action->isSeparator() && name != names.end())
            action->setObjectName(QLatin1String(*name++));
    }
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->adjustSize();
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace WindowLook
