#include "windowlook.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QIcon>
#include <QIconEngine>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QSvgRenderer>
#include <QWidget>

#include <algorithm>

namespace {
// The program icon. Each small size has a drawing of its own, made for the
// pixel grid; scaling a larger one down would blur it. Pictures are drawn
// only when the window system asks, so a start pays nothing for sizes it
// never shows (offscreen, for one, asks for none).
class ProgramIconEngine : public QIconEngine
{
public:
    QIconEngine *clone() const override { return new ProgramIconEngine; }
    bool isNull() override { return false; } // the drawings are compiled in
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const int side = std::min(rect.width(), rect.height());
        QRect square(0, 0, side, side);
        square.moveCenter(rect.center());
        painter->drawPixmap(square, scaledPixmap(square.size(), mode, state, scale));
    }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const int pixels = qRound(std::min(size.width(), size.height()) * scale);
        if (pixels <= 0)
            return {};
        QPixmap picture = QPixmap::fromImage(WindowLook::programIconImage(pixels));
        if (mode == QIcon::Disabled || mode == QIcon::Selected)
            picture = QApplication::style()
                ? QApplication::style()->generatedIconPixmap(mode, picture, nullptr)
                : picture;
        picture.setDevicePixelRatio(scale);
        return picture;
    }
    // What a window hands the window manager: title bars, task bars and
    // switchers pick from these (a few milliseconds to draw them all); larger
    // ones come from the installed icons.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }
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

namespace WindowLook {

void installFontsAndIcon()
{
    // The windows are laid out for Verdana; DejaVu Sans has close metrics.
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
    layoutFamily = installedLayoutFamily();
    QFont font(layoutFamily);
    font.setPointSizeF(8.25);
    setLayoutHinting(font);
    QApplication::setFont(font);

    QApplication::setWindowIcon(QIcon(new ProgramIconEngine));
}

QImage programIconImage(int pixels)
{
    // Every window asks for the same few sizes when it is created.
    static QHash<int, QImage> drawn;
    if (const auto found = drawn.constFind(pixels); found != drawn.constEnd())
        return *found;
    // The drawing made for the size, or for the next larger one; 22 pixels is
    // the 24-pixel drawing without its one-pixel margin.
    QString source = QStringLiteral(":/icon/orra.svg");
    QRectF area;
    for (int design : {16, 24, 32, 48}) {
        if (pixels <= design) {
            source = QStringLiteral(":/icon/orra-%1.svg").arg(design);
            if (pixels == 22)
                area = QRectF(1, 1, 22, 22);
            break;
        }
    }
    QSvgRenderer renderer(source);
    if (area.isValid())
        renderer.setViewBox(area);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    drawn.insert(pixels, image);
    return image;
}

QPalette fixedPalette()
{
    // Built from fixed colours, not from the style or the desktop.
    QPalette palette(QColor(239, 239, 239), QColor(239, 239, 239));
    palette.setColor(QPalette::Highlight, QColor(48, 140, 198));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, LinkBlue);
    palette.setColor(QPalette::LinkVisited, LinkPurple);
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::PlaceholderText, QColor(96, 96, 96));
    for (QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText}) {
        palette.setColor(QPalette::Disabled, role, QColor(120, 120, 120));
    }
    // Mark every role as set, so none is filled in from the desktop's palette.
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = QPalette::ColorGroup(group);
            const auto r = QPalette::ColorRole(role);
            if (r != QPalette::NoRole)
                palette.setBrush(g, r, palette.brush(g, r));
        }
    }
    return palette;
}

void fixLook(QWidget *window)
{
    window->setPalette(fixedPalette());
    layoutFonts(window);
}

void layoutFonts(QWidget *window)
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
