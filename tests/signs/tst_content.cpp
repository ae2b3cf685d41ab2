#include "signs/fillreading.h"
#include "signs/signtable.h"
#include "widgets/programicon.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <cmath>

class TestContent : public QObject
{
    Q_OBJECT
private slots:
    void descriptions_data();
    void descriptions();
    void picturesAreDistinctDrawings();
    void iconInEverySize_data();
    void iconInEverySize();
    void windowsIconHoldsItsSizes();
};

void TestContent::descriptions_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("opening");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("direction");
    QTest::newRow("Goose")
        << 0 << "Goose is the first sign of the zodiac of the Native American astrology." << 1313
        << "22 December to 19 January"
        << "North";
    QTest::newRow("Otter") << 1
                           << "Otter is the second sign of the zodiac of Native American astrology."
                           << 1551 << "20 January to 18 February"
                           << "North";
    QTest::newRow("Wolf") << 2
                          << "The third sign of the Native American zodiac, the wolf is said to be"
                          << 1363 << "19 February to 20 March"
                          << "North";
    QTest::newRow("Hawk")
        << 3 << "Hawk or falcon is the fourth sign of the zodiac of Native American astrology."
        << 1253 << "21 March to 19 April"
        << "East";
    QTest::newRow("Beaver")
        << 4 << "The motto of the fifth sign of the Native American zodiac i.e. the Beaver is"
        << 1283 << "20 April to 20 May"
        << "East";
    QTest::newRow("Elk")
        << 5 << "Elk - the sixth sign of the Native American zodiac is the 'muse of the zodiac'."
        << 1456 << "21 May to 20 June"
        << "East";
    QTest::newRow("Woodpecker")
        << 6 << "Woodpecker is the seventh sign of the zodiac of Native American Astrology" << 1258
        << "21 June to 21 July"
        << "South";
    QTest::newRow("Salmon") << 7
                            << "The eighth sign of the zodiac of the Native American astrology, "
                               "the salmons are 'real live-wire'."
                            << 1278 << "22 July to 21 August"
                            << "South";
    QTest::newRow("Bear") << 8
                          << "Bear is the ninth sign of the zodiac of Native American astrology."
                          << 1209 << "22 August to 21 September"
                          << "South";
    QTest::newRow("Raven") << 9
                           << "The tenth of the zodiac of Native American astrology, the Crow "
                              "people are born entrepreneurs"
                           << 1318 << "22 September to 22 October"
                           << "West";
    QTest::newRow("Snake")
        << 10 << "The eleventh sign of the Native American astrology, the snake or the serpent"
        << 1345 << "23 October to 22 November"
        << "West";
    QTest::newRow("Owl")
        << 11 << "The Owl is the twelfth sign of the zodiac of Native American astrology." << 1397
        << "23 November to 21 December"
        << "West";
}

void TestContent::descriptions()
{
    QFETCH(int, row);
    QFETCH(QString, opening);
    QFETCH(int, length);
    QFETCH(QString, range);
    QFETCH(QString, direction);

    const QString text = signValue(row, Column::SignDescriptions);
    QVERIFY2(text.startsWith(opening), qPrintable(text.left(120)));
    QCOMPARE(text.size(), length);
    for (const QChar ch : text)
        QVERIFY2(ch.unicode() >= 32 && ch.unicode() <= 126, "printable ASCII only, one paragraph");
    QVERIFY2(text.contains(range), qPrintable(range));
    QVERIFY2(text.contains(direction), qPrintable(direction));
    // Its own element and clan, never another's.
    QVERIFY(text.contains(signValue(row, Column::Clans)));
    QVERIFY(
        text.contains(QStringLiteral("element is ") + signValue(row, Column::Elements).toLower()));
}

static QImage render(const QString &path, int size)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

void TestContent::picturesAreDistinctDrawings()
{
    QSet<QByteArray> seen;
    for (int row = 0; row < SignCount; ++row) {
        const QString path = signPicture(row);
        QVERIFY2(path.contains(signValue(row, Column::SignNames).toLower()), qPrintable(path));
        const QImage image = render(path, 136);
        QVERIFY2(!image.isNull(), qPrintable(path));
        // Something is drawn: many pixels are neither transparent nor all one colour.
        QSet<QRgb> colours;
        int opaque = 0;
        for (int y = 0; y < image.height(); y += 4) {
            for (int x = 0; x < image.width(); x += 4) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) > 0) {
                    ++opaque;
                    colours.insert(pixel);
                }
            }
        }
        QVERIFY2(opaque > 500 && colours.size() > 20, qPrintable(path));
        const QByteArray hash = QCryptographicHash::hash(
            QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()),
            QCryptographicHash::Sha256);
        QVERIFY2(!seen.contains(hash), "two signs share a picture");
        seen.insert(hash);
    }
    QVERIFY(signPicture(12).isEmpty());
    QVERIFY(signPicture(-1).isEmpty());
}

// WCAG contrast of two opaque colours.
static double contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb c) {
        const auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Laid on a panel, how well the icon's outline stands out where it stands out
// least: all round the edge, the best contrast within its outer few pixels
// (a pixel and its neighbours, as a stepped rim is seen).
static double weakestEdge(const QImage &icon, const QColor &panel)
{
    QImage onPanel(icon.size(), QImage::Format_RGB32);
    onPanel.fill(panel);
    QPainter(&onPanel).drawImage(0, 0, icon);
    const double radius = icon.width() / 2.0;
    const double depth = std::max(2.0, icon.width() / 12.0);
    double weakest = 100;
    for (int step = 0; step < 48; ++step) {
        const double angle = step * 2 * M_PI / 48;
        double best = 1;
        for (double inset = 0.5; inset <= depth; inset += 0.5) {
            const int x = int(radius + (radius - inset) * std::cos(angle));
            const int y = int(radius + (radius - inset) * std::sin(angle));
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (onPanel.valid(x + dx, y + dy))
                        best = std::max(best, contrast(onPanel.pixel(x + dx, y + dy), panel.rgb()));
                }
            }
        }
        weakest = std::min(weakest, best);
    }
    return weakest;
}

void TestContent::iconInEverySize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("drawing"); // the source drawn for this size, if any
    QTest::newRow("16") << 16 << ":/icon/orra-16.svg";
    QTest::newRow("22") << 22 << ""; // the 24 drawing without its margin
    QTest::newRow("24") << 24 << ":/icon/orra-24.svg";
    QTest::newRow("32") << 32 << ":/icon/orra-32.svg";
    QTest::newRow("48") << 48 << ":/icon/orra-48.svg";
    QTest::newRow("64") << 64 << "";
    QTest::newRow("128") << 128 << "";
    QTest::newRow("256") << 256 << "";
}

void TestContent::iconInEverySize()
{
    QFETCH(int, size);
    QFETCH(QString, drawing);

    // The window icon shows the drawing made for the size, not a larger one scaled down.
    const QImage shown = ProgramIcon::image(size);
    QImage expected;
    if (!drawing.isEmpty()) {
        QCOMPARE(QSvgRenderer(drawing).defaultSize(), QSize(size, size));
        expected = render(drawing, size);
    } else if (size == 22) {
        expected = render(QStringLiteral(":/icon/orra-24.svg"), 24).copy(1, 1, 22, 22);
    } else {
        expected = render(QStringLiteral(":/icon/orra.svg"), size);
    }
    QCOMPARE(shown, expected);

    // The desktop's copy, rendered in the build.
    const QImage installed(
        QStringLiteral(ORRA_ICON_DIR "/%1x%1/apps/orra-native-american-astrology.png").arg(size));
    QCOMPARE(installed.size(), QSize(size, size));
    QVERIFY(installed.hasAlphaChannel());

    // An outline that shows on light panels and on dark ones.
    for (const QImage &icon :
         {shown, installed.convertToFormat(QImage::Format_ARGB32_Premultiplied)}) {
        for (const QColor &panel : {QColor(255, 255, 255), QColor(240, 240, 240),
                                    QColor(36, 36, 36), QColor(48, 48, 48)}) {
            const double edge = weakestEdge(icon, panel);
            QVERIFY2(edge >= 3.0,
                     qPrintable(QStringLiteral("%1 on %2: %3:1")
                                    .arg(size)
                                    .arg(panel.name())
                                    .arg(edge, 0, 'f', 1)));
        }
    }
}

void TestContent::windowsIconHoldsItsSizes()
{
    QFile ico(QStringLiteral(ORRA_ICO_FILE));
    QVERIFY(ico.open(QIODevice::ReadOnly));
    const QByteArray data = ico.readAll();
    // ICONDIR: reserved 0, type 1, count; then 16-byte entries led by width and
    // height (0 means 256), with the bits per pixel at 6: all 32, for alpha.
    QVERIFY(data.size() >= 6);
    QCOMPARE(qFromLittleEndian<quint16>(data.constData() + 2), quint16(1));
    const int count = qFromLittleEndian<quint16>(data.constData() + 4);
    QVERIFY(data.size() >= 6 + 16 * count);
    QList<int> sizes;
    for (int i = 0; i < count; ++i) {
        const QByteArray entry = data.mid(6 + 16 * i, 16);
        const auto side = [&](int at) {
            const int v = quint8(entry.at(at));
            return v ? v : 256;
        };
        QCOMPARE(side(0), side(1));
        QCOMPARE(qFromLittleEndian<quint16>(entry.constData() + 6), quint16(32));
        sizes << side(0);
    }
    std::sort(sizes.begin(), sizes.end());
    QCOMPARE(sizes, QList<int>({16, 24, 32, 48, 256}));
}

QTEST_MAIN(TestContent)
#include "tst_content.moc"
