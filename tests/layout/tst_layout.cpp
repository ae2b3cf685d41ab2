// Every window's client area and every named control against the layouts,
// which are given in twips (1/1440 inch): 15 twips make a pixel at 96 dpi.
#include "support/fakeplatform.h"
#include "support/windows.h"

#include "report/frmsave.h"
#include "signs/determination.h"
#include "web/frmabout.h"
#include "widgets/colours.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>

#include <cmath>

using namespace TestWindows;

namespace {
enum Window { Main, Reading, Report, About };
enum Fit { Exact, GrowsToText, WidensToText };

struct Place
{
    Window window;
    const char *name;
    int left, top, width, height; // twips
    Fit fit = Exact;
};

int px(int twips)
{
    return int(std::lround(twips / 15.0));
}

const Place places[] = {
    {Main, "Label14", 1058, 60, 4965, 435},
    {Main, "cmdOpen", 120, 840, 1935, 1695},
    {Main, "Frame1", 2160, 720, 4815, 1815},
    {Main, "Label1_0", 120, 450, 555, 195, GrowsToText},
    {Main, "Label1_1", 120, 855, 1230, 195, GrowsToText},
    {Main, "txtName", 1410, 360, 3300, 285},
    {Main, "cboMonth", 1410, 765, 1395, 315},
    {Main, "cboDate", 2910, 765, 705, 315},
    {Main, "cboYear", 3705, 765, 1005, 315},
    {Main, "cmdCalculate", 165, 1260, 4500, 375},
    {Main, "fraFullBrand", -52, 2640, 7185, 855},
    {Main, "lblCobrand", 120, 160, 6945, 615},
    {Main, "lblFullBrand", 120, 165, 6945, 615},
    {Reading, "Label14", 15, 0, 9465, 195},
    {Reading, "TS", 0, 280, 9500, 5550},
    {Reading, "picDetails", 0, 600, 9500, 5250},
    {Reading, "picOthers", 0, 600, 9500, 5250},
    {Reading, "Frame5", -25, 5850, 11000, 1125},
    {Reading, "lblFullBrand", 0, 120, 6945, 615},
    {Reading, "lblCobrand", 0, 120, 6945, 615},
    {Reading, "cmdBack", 7080, 240, 1095, 375},
    {Reading, "cmdSave", 8280, 240, 1095, 375},
    {Reading, "Shape1", 7200, 240, 2040, 2040},
    {Reading, "imgSign", 7200, 240, 2040, 2040},
    {Reading, "Label1_0", 105, 120, 0, 195, GrowsToText},
    {Reading, "Label1_1", 105, 495, 0, 195, GrowsToText},
    {Reading, "Label1_2", 105, 855, 0, 195, GrowsToText},
    {Reading, "Label1_3", 105, 1230, 0, 195, GrowsToText},
    {Reading, "Label1_5", 105, 1590, 0, 195, GrowsToText},
    {Reading, "Label1_6", 105, 1965, 0, 195, GrowsToText},
    {Reading, "Label1_8", 105, 2340, 0, 195, GrowsToText},
    {Reading, "Label1_9", 105, 2700, 0, 195, GrowsToText},
    {Reading, "Label1_12", 105, 3075, 0, 195, GrowsToText},
    {Reading, "Label1_13", 105, 3435, 0, 195, GrowsToText},
    {Reading, "Label1_14", 105, 3810, 0, 195, GrowsToText},
    {Reading, "Label1_15", 105, 4185, 0, 195, GrowsToText},
    {Reading, "Label1_16", 105, 4545, 0, 195, GrowsToText},
    {Reading, "Label1_18", 105, 4920, 0, 195, GrowsToText},
    {Reading, "Label1_10", 105, 120, 0, 195, GrowsToText},
    {Reading, "Label1_11", 105, 450, 0, 195, GrowsToText},
    {Reading, "Label1_4", 105, 795, 0, 195, GrowsToText},
    {Reading, "Label1_7", 105, 1125, 0, 195, GrowsToText},
    {Reading, "Label1_17", 105, 1470, 0, 195, GrowsToText},
    {Reading, "Label1_19", 105, 1800, 0, 195, GrowsToText},
    {Reading, "lblAmericanSign", 2400, 120, 0, 195, GrowsToText},
    {Reading, "lblLucky_Color", 2400, 495, 0, 195, GrowsToText},
    {Reading, "lblLucky_Stone", 2400, 855, 0, 195, GrowsToText},
    {Reading, "lblLucky_Tree", 2400, 1230, 0, 195, GrowsToText},
    {Reading, "lblLucky_day", 2400, 1590, 0, 195, GrowsToText},
    {Reading, "lblLucky_time", 2400, 1965, 0, 195, GrowsToText},
    {Reading, "lblCompatible_Signs", 2400, 2340, 0, 195, GrowsToText},
    {Reading, "lblPolarity_Totem", 2400, 2700, 0, 195, GrowsToText},
    {Reading, "lblAnimal_Symbol", 2400, 3075, 0, 195, GrowsToText},
    {Reading, "lblClan", 2400, 3435, 0, 195, GrowsToText},
    {Reading, "lblSub_Desires", 2400, 3810, 0, 195, GrowsToText},
    {Reading, "lblSexual_nature", 2400, 4185, 0, 195, GrowsToText},
    {Reading, "lblNature", 2400, 4545, 0, 195, GrowsToText},
    {Reading, "lblAvoid", 2400, 4920, 0, 195, GrowsToText},
    {Reading, "lblPositive_Attributes", 2400, 120, 0, 195, GrowsToText},
    {Reading, "lblNegative_Attributes", 2400, 450, 0, 195, GrowsToText},
    {Reading, "lblElement", 2400, 795, 0, 195, GrowsToText},
    {Reading, "lblGoals", 2400, 1125, 0, 195, GrowsToText},
    {Reading, "lblFunctions", 2400, 1470, 0, 195, GrowsToText},
    {Reading, "lblNativeAmericanSignDesc", 105, 1995, 9345, 3450},
    {Report, "Label14", 1747, 0, 4230, 195},
    {Report, "Label1", 1867, 180, 3990, 195},
    {Report, "RTB", 30, 390, 7665, 6135},
    {Report, "cmdSave", 5400, 6570, 1125, 345},
    {Report, "cmdPrint", 6555, 6570, 1125, 345},
    {Report, "fraFullBrand", 30, 6950, 7665, 855},
    {Report, "lblCobrand", 120, 165, 7425, 615},
    {Report, "lblFullBrand", 120, 165, 7425, 615},
    {About, "picIcon", 150, 120, 480, 480},
    // The title is wider in its 12 pt bold than the place it was given.
    {About, "Label2", 870, 120, 4755, 270, WidensToText},
    {About, "Label1", 870, 510, 6045, 1215},
    {About, "lblHomePage", 2865, 1725, 4050, 195},
    {About, "Label3", 120, 2040, 6795, 435},
    {About, "lblCobrand", 4560, 2475, 2355, 195},
    {About, "cmdOK", 5655, 3000, 1260, 345},
};
} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init() { reset(); }
    void cleanup() { reset(); }

    void clientAreas();
    void controls();
    void textsFit();
    void desktopThemes_data();
    void desktopThemes();
};

struct Windows
{
    FakePlatform fake;
    frmMain *main;
    frmAmericanAstrologyResult *reading;
    std::unique_ptr<frmSave> report;
    std::unique_ptr<frmAbout> about;

    Windows()
    {
        main = Navigation::showMain();
        // A reading window beside it, for the sign with the longest values.
        appState().BirthMonth = QStringLiteral("March");
        appState().BirthDay = 30;
        reading = new frmAmericanAstrologyResult;
        reading->show();
        report = std::make_unique<frmSave>(reading);
        about = std::make_unique<frmAbout>();
    }
    ~Windows()
    {
        report.reset();
        reading->unloadForNavigation();
    }
    QWidget *get(Window w) const
    {
        switch (w) {
        case Main:
            return main;
        case Reading:
            return reading;
        case Report:
            return report.get();
        default:
            return about.get();
        }
    }
};

void TestLayout::clientAreas()
{
    Windows w;
    QCOMPARE(w.main->centralWidget()->size(), QSize(px(7080), px(3465)));
    QCOMPARE(w.reading->centralWidget()->size(), QSize(px(9495), px(6645)));
    QCOMPARE(w.report->size(), QSize(px(7725), px(7800)));
    QCOMPARE(w.about->size(), QSize(px(6990), px(3405)));
    for (QWidget *window : {w.get(Main), w.get(Reading), w.get(Report), w.get(About)}) {
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Orra Native American Astrology v" ORRA_VERSION));
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    }
}

void TestLayout::controls()
{
    Windows w;
    for (const Place &p : places) {
        QWidget *control = w.get(p.window)->findChild<QWidget *>(QLatin1String(p.name));
        QVERIFY2(control, p.name);
        const QString what = QStringLiteral("%1 %2: %3")
                                 .arg(int(p.window))
                                 .arg(QLatin1String(p.name))
                                 .arg(QDebug::toString(control->geometry()));
        QCOMPARE(control->pos(), QPoint(px(p.left), px(p.top)));
        switch (p.fit) {
        case Exact:
            QVERIFY2(control->size() == QSize(px(p.width), px(p.height)), qPrintable(what));
            break;
        case GrowsToText:
            QVERIFY2(control->size() == control->sizeHint(), qPrintable(what));
            break;
        case WidensToText:
            QVERIFY2(control->width() >= px(p.width) && control->height() >= px(p.height),
                     qPrintable(what));
            break;
        }
    }
}

// The first label whose text does not fit, by name, or an empty text.
static QString clippedLabel(QWidget *window)
{
    for (QLabel *label : window->findChildren<QLabel *>()) {
        const QRect room = label->contentsRect();
        const QString what = window->objectName() + QLatin1Char(' ') + label->objectName();
        if (label->wordWrap()) {
            if (label->heightForWidth(label->width()) > label->height())
                return what;
        } else if (!label->text().isEmpty()) {
            const QFontMetrics metrics(label->font());
            if (metrics.horizontalAdvance(label->text()) > room.width()
                || metrics.height() > label->height())
                return what;
        }
    }
    return {};
}

void TestLayout::textsFit()
{
    // Every label that does not wrap shows its whole text in the font it uses;
    // wrapping labels hold all their lines.
    for (int row = 0; row < 12; ++row) {
        reset();
        Windows w;
        appState().BirthMonth = monthNames().at(row);
        appState().BirthDay = 25;
        auto *reading = new frmAmericanAstrologyResult;
        for (QWidget *window :
             {w.get(Main), static_cast<QWidget *>(reading), w.get(Report), w.get(About)}) {
            const QString clipped = clippedLabel(window);
            QVERIFY2(clipped.isEmpty(), qPrintable(clipped));
        }
        reading->unloadForNavigation();
    }
}

// WCAG's contrast ratio of two colours.
static double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF())
            + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What a transparent widget is drawn on: the nearest one that fills its background.
static QColor groundOf(QWidget *widget)
{
    QWidget *w = widget;
    while (!w->isWindow() && !w->autoFillBackground())
        w = w->parentWidget();
    return w->palette().color(w->backgroundRole());
}

// Every text-and-ground pair the style draws a control with, and its lines.
struct Pair
{
    QColor text, ground;
    double least;
};
static QList<Pair> pairsOf(QWidget *w)
{
    const QPalette p = w->palette();
    const auto c = [&p](QPalette::ColorRole role) { return p.color(role); };
    if (qobject_cast<QLabel *>(w))
        return {{c(QPalette::WindowText), groundOf(w), 4.5}};
    if (qobject_cast<QGroupBox *>(w)) // the style draws the caption in Text
        return {{c(QPalette::Text), groundOf(w), 4.5}, {c(QPalette::WindowText), groundOf(w), 4.5}};
    if (qobject_cast<QAbstractButton *>(w))
        return {{c(QPalette::ButtonText), c(QPalette::Button), 4.5}};
    if (qobject_cast<QTabBar *>(w) || qobject_cast<QMenuBar *>(w))
        return {{c(QPalette::WindowText), c(QPalette::Window), 4.5},
                {c(QPalette::WindowText), c(QPalette::Button), 4.5},
                {c(QPalette::ButtonText), c(QPalette::Button), 4.5}};
    if (qobject_cast<QComboBox *>(w))
        return {{c(QPalette::ButtonText), c(QPalette::Button), 4.5},
                {c(QPalette::Text), c(QPalette::Base), 4.5}};
    if (auto *text = qobject_cast<QTextEdit *>(w)) {
        // The report's own colours, black and dark cyan, on the box's ground.
        QColor ground = text->viewport()->palette().color(QPalette::Base);
        if (ground.alpha() == 0) // a clear viewport (Windows 11's style): the box shows through
            ground = c(QPalette::Base);
        return {{c(QPalette::Text), ground, 4.5},
                {Qt::black, ground, 4.5},
                {QColor(0, 128, 128), ground, 4.5}};
    }
    if (qobject_cast<QLineEdit *>(w))
        return {{c(QPalette::Text), c(QPalette::Base), 4.5}};
    if (auto *frame = qobject_cast<QFrame *>(w)) {
        // Outlines and separators: 3:1, as for graphics.
        if (frame->frameShape() == QFrame::Box || frame->frameShape() == QFrame::HLine) {
            const QColor line = frame->frameShadow() == QFrame::Plain ? c(QPalette::WindowText)
                                                                      : c(QPalette::Dark);
            return {{line, groundOf(frame->parentWidget()), 3.0}};
        }
    }
    return {};
}

void TestLayout::desktopThemes_data()
{
    // What a desktop gives the program: its palette and its font for the
    // application and for the kinds of control it names a font for.
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<QFont>("font");
    const auto dark = [](QColor window, QColor base, QColor text) {
        QPalette p(window.lighter(120), window);
        for (auto role : {QPalette::Window, QPalette::Button})
            p.setColor(role, role == QPalette::Window ? window : window.lighter(120));
        p.setColor(QPalette::Base, base);
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(role, text);
        p.setColor(QPalette::Dark, window.lighter(150));
        return p;
    };
    const auto font = [](int points) {
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPointSize(points);
        return f;
    };
    QTest::addRow("GTK Adwaita dark, 10 pt")
        << dark(QColor(0x24, 0x24, 0x24), QColor(0x24, 0x24, 0x24), QColor(0xF0, 0xF0, 0xF0))
        << font(10);
    QTest::addRow("qt6ct dark, 11 pt")
        << dark(QColor(0x31, 0x36, 0x3b), QColor(0x23, 0x26, 0x29), QColor(0xEF, 0xF0, 0xF1))
        << font(11);
    QTest::addRow("light, 11 pt") << QApplication::style()->standardPalette() << font(11);
}

void TestLayout::desktopThemes()
{
    QFETCH(QPalette, palette);
    QFETCH(QFont, font);
    // The fonts every control has on a plain desktop.
    QHash<QString, QString> plainFonts;
    {
        Windows w;
        for (Window kind : {Main, Reading, Report, About}) {
            for (QWidget *control : w.get(kind)->findChildren<QWidget *>())
                if (control->window() == w.get(kind))
                    plainFonts.insert(QString::number(kind) + control->objectName(),
                                      control->font().toString());
        }
    }
    reset();
    const QPalette plainPalette = QApplication::palette();
    const QFont plainFont = QApplication::font();
    QApplication::setPalette(palette);
    QApplication::setFont(font);
    for (const char *kind :
         {"QLabel", "QPushButton", "QMenuBar", "QAbstractItemView", "QComboLineEdit"})
        QApplication::setFont(font, kind);
    const auto restore = qScopeGuard([&] {
        QApplication::setPalette(plainPalette);
        QApplication::setFont(plainFont); // and forgets the kinds' fonts
    });

    Windows w;
    for (Window kind : {Main, Reading, Report, About}) {
        QWidget *window = w.get(kind);
        const QString clipped = clippedLabel(window);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped + QStringLiteral(" is cut off")));
        for (QWidget *control : window->findChildren<QWidget *>()) {
            if (control->window() != window)
                continue; // menus, like standard dialogs, follow the desktop
            // Hidden itself, like a tab bar's scroll buttons while every tab
            // fits, it is never on screen; controls on the other tab page are.
            if (control->isHidden())
                continue;
            const QString what = window->objectName() + QLatin1Char(' ') + control->objectName();
            const QString key = QString::number(kind) + control->objectName();
            if (!control->objectName().isEmpty() && plainFonts.contains(key)) {
                QVERIFY2(control->font().toString() == plainFonts.value(key),
                         qPrintable(what + QStringLiteral(" takes the desktop's font ")
                                    + control->font().toString()));
            }
            for (const Pair &pair : pairsOf(control)) {
                // The reading window's promotional strip keeps the layout's own
                // blue on (255, 128, 255), 4.0:1 on every desktop.
                if (pair.text == Colours::LinkBlue && pair.ground == Colours::DeepPink)
                    continue;
                const double ratio = contrast(pair.text, pair.ground);
                QVERIFY2(ratio >= pair.least,
                         qPrintable(QStringLiteral("%1: %2 on %3, %4:1")
                                        .arg(what, pair.text.name(), pair.ground.name())
                                        .arg(ratio, 0, 'f', 1)));
            }
        }
    }
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
