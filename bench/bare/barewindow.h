#pragma once

#include <QComboBox>
#include <QHBoxLayout>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>

// The yardstick: the least a Qt program with a menu bar and three lists can be.
// The lists hold as many entries as the birth-date lists do.
inline QMainWindow *makeBareWindow()
{
    auto *window = new QMainWindow;
    window->setWindowTitle(QStringLiteral("Bare"));
    QMenu *file = window->menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), window, &QWidget::close);

    auto *central = new QWidget(window);
    auto *layout = new QHBoxLayout(central);
    auto *months = new QComboBox(central);
    for (int month = 1; month <= 12; ++month)
        months->addItem(QLocale::c().standaloneMonthName(month));
    auto *days = new QComboBox(central);
    for (int day = 1; day <= 31; ++day)
        days->addItem(QString::number(day));
    auto *years = new QComboBox(central);
    for (int year = 1900; year <= 2016; ++year)
        years->addItem(QString::number(year));
    layout->addWidget(months);
    layout->addWidget(days);
    layout->addWidget(years);
    window->setCentralWidget(central);
    return window;
}
