#pragma once

#include <QString>
#include <QWidget>

// Shows a vector picture stretched to the widget, sharp at any display scale.
class SvgImage : public QWidget
{
    Q_OBJECT
public:
    explicit SvgImage(QWidget *parent = nullptr);

    void setPicture(const QString &resourcePath);
    QString picture() const { return m_path; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
};
