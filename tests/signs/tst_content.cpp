#include "signs/fillreading.h"
#include "signs/signtable.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QTest>

class TestContent : public QObject
{
    Q_OBJECT
private slots:
    void descriptions_data();
    void descriptions();
    void picturesAreDistinctDrawings();
    void iconInEverySize();
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
    QVERIFY(text.contains(QStringLiteral("element is ")
                          + signValue(row, Column::Elements).toLower()));
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

void TestContent::iconInEverySize()
{
    QVERIFY(!render(QStringLiteral(":/icon/orra.svg"), 32).isNull());
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage png(QStringLiteral(":/icon/orra-%1.png").arg(size));
        QCOMPARE(png.size(), QSize(size, size));
        QVERIFY(png.hasAlphaChannel());
    }
}

QTEST_MAIN(TestContent)
#include "tst_content.moc"
