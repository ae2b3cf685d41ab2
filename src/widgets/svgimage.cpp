#include "svgimage.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QSvgRenderer>

namespace {
// Announced as a picture, with the name the window gives it.
QAccessibleInterface *svgImageFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("SvgImage") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}
} // namespace

SvgImage::SvgImage(QWidget *parent)
    : QWidget(parent)
{
    static const bool registered = [] {
        QAccessible::installFactory(svgImageFactory);
        return true;
    }();
    Q_UNUSED(registered);
    setAttribute(Qt::WA_TranslucentBackground);
}

void SvgImage::setPicture(const QString &resourcePath)
{
    m_path = resourcePath;
    update();
}

void SvgImage::paintEvent(QPaintEvent *)
{
    if (m_path.isEmpty())
        return;
    // Loaded at paint time only: the picture is small and drawn rarely.
    QSvgRenderer renderer(m_path);
    if (!renderer.isValid())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, contentsRect());
}
