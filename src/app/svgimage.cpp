#include "svgimage.h"

#include <QPainter>
#include <QSvgRenderer>

SvgImage::SvgImage(QWidget *parent)
    : QWidget(parent)
{
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
