#include "linklabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {
// Announced as a link with a press action, not as static text.
class LinkLabelAccessible : public QAccessibleWidget
{
public:
    explicit LinkLabelAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Link)
    { }
    QString text(QAccessible::Text t) const override
    {
        const auto *label = static_cast<const LinkLabel *>(widget());
        if (t == QAccessible::Name && label->accessibleName().isEmpty())
            return label->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            emit static_cast<LinkLabel *>(widget())->clicked();
    }
};

QAccessibleInterface *linkLabelFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("LinkLabel") && object && object->isWidgetType())
        return new LinkLabelAccessible(static_cast<QWidget *>(object));
    return nullptr;
}
} // namespace

LinkLabel::LinkLabel(QWidget *parent)
    : QLabel(parent)
{
    static const bool registered = [] {
        QAccessible::installFactory(linkLabelFactory);
        return true;
    }();
    Q_UNUSED(registered);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a press and a release over the label, as with a button.
    const bool click = m_pressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit clicked();
        event->accept();
        break;
    default:
        QLabel::keyPressEvent(event);
    }
}

void LinkLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
