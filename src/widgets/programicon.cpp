#include "programicon.h"

#include <QApplication>
#include <QHash>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QSvgRenderer>

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
        QPixmap picture = QPixmap::fromImage(ProgramIcon::image(pixels));
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

} // namespace

void ProgramIcon::install()
{
    QApplication::setWindowIcon(QIcon(new ProgramIconEngine));
}

QImage ProgramIcon::image(int pixels)
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
