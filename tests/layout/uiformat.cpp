// Checks that the window layouts are stored as Qt Designer writes them, so
// opening and saving one in Designer changes nothing and a layout change
// shows as a readable diff. Designer reads a layout into the DOM of the
// layout format and writes that DOM back with the writer settings below (one
// element per line, one-space indent, the format's own element order); this
// does the same and compares bytes. Each layout must also build into widgets
// through QFormBuilder, as Designer's preview does.
//
// Usage: uiformat [--write] FILE.ui...   (--write stores the Designer form)
#include <QtDesigner/private/ui4_p.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFormBuilder>
#include <QWidget>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdio>
#include <memory>

namespace {
void widgetNames(const DomWidget *widget, QStringList *names)
{
    names->append(widget->attributeName());
    for (const DomWidget *child : widget->elementWidget())
        widgetNames(child, names);
}

QByteArray designerForm(const QByteArray &original, QStringList *names, QString *error)
{
    QXmlStreamReader reader(original);
    DomUI ui;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            if (reader.name() != QLatin1String("ui")) {
                *error = QStringLiteral("not a layout file");
                return {};
            }
            ui.read(reader);
        }
    }
    if (reader.hasError()) {
        *error = reader.errorString();
        return {};
    }
    if (ui.elementWidget())
        widgetNames(ui.elementWidget(), names);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(1);
    writer.writeStartDocument();
    ui.write(writer);
    writer.writeEndDocument();
    return out;
}

// The first line where the two differ, for the failure message.
QString firstDifference(const QByteArray &a, const QByteArray &b)
{
    const QList<QByteArray> left = a.split('\n'), right = b.split('\n');
    for (qsizetype i = 0; i < qMax(left.size(), right.size()); ++i) {
        const QByteArray l = left.value(i), r = right.value(i);
        if (l != r) {
            return QStringLiteral("line %1: stored \"%2\", Designer writes \"%3\"")
                .arg(i + 1)
                .arg(QString::fromUtf8(l.left(100)), QString::fromUtf8(r.left(100)));
        }
    }
    return {};
}
} // namespace

int main(int argc, char **argv)
{
    // Our own widget classes are built as their base classes here, as in
    // Designer's preview without plugins: expected, so not worth a line.
    static const QtMessageHandler defaultHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (!text.contains(QLatin1String("defaulting to base class")))
                defaultHandler(type, context, text);
        });
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    const bool write = files.removeAll(QStringLiteral("--write")) > 0;
    int failures = 0;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "%s: cannot read\n", qPrintable(path));
            ++failures;
            continue;
        }
        const QByteArray stored = file.readAll();
        file.close();
        QString error;
        QStringList names;
        const QByteArray form = designerForm(stored, &names, &error);
        if (form.isEmpty()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
            ++failures;
            continue;
        }
        QBuffer buffer;
        buffer.setData(form);
        buffer.open(QIODevice::ReadOnly);
        QFormBuilder builder;
        std::unique_ptr<QWidget> built(builder.load(&buffer));
        if (!built) {
            std::fprintf(stderr, "%s: QFormBuilder cannot build it: %s\n", qPrintable(path),
                         qPrintable(builder.errorString()));
            ++failures;
        } else {
            // Every widget of the file is built, none left out for an unknown class.
            for (const QString &name : std::as_const(names)) {
                if (built->objectName() != name && !built->findChild<QWidget *>(name)) {
                    std::fprintf(stderr, "%s: QFormBuilder does not build %s\n", qPrintable(path),
                                 qPrintable(name));
                    ++failures;
                }
            }
        }
        if (form == stored)
            continue;
        if (write) {
            if (!file.open(QIODevice::WriteOnly) || file.write(form) != form.size()) {
                std::fprintf(stderr, "%s: cannot write\n", qPrintable(path));
                ++failures;
            }
            continue;
        }
        std::fprintf(stderr, "%s: not in Designer's form, %s\n", qPrintable(path),
                     qPrintable(firstDifference(stored, form)));
        ++failures;
    }
    return failures ? 1 : 0;
}
