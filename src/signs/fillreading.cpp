#include "fillreading.h"

#include "app/appstate.h"
#include "signs/determination.h"
#include "signs/signtable.h"
#include "widgets/svgimage.h"

#include <QLabel>

QString &SignName()
{
    static QString name;
    return name;
}

QString signPicture(int signIndex)
{
    static const char *const files[SignCount]
        = {"01-goose",      "02-otter",  "03-wolf", "04-hawk",  "05-beaver", "06-elk",
           "07-woodpecker", "08-salmon", "09-bear", "10-raven", "11-snake",  "12-owl"};
    if (signIndex < 0 || signIndex >= SignCount)
        return {};
    return QStringLiteral(":/signs/%1.svg").arg(QLatin1String(files[signIndex]));
}

void FillReading(QWidget *readingWindow)
{
    const AppState &state = appState();
    SignName() = determineSign(state.BirthMonth, state.BirthDay, SignName());
    const std::optional<int> signIndex = signIndexOf(SignName());
    if (!signIndex || !readingWindow)
        return;

    for (const Field &field : fields()) {
        if (auto *label = readingWindow->findChild<QLabel *>(QLatin1String(field.label))) {
            label->setText(captionText(signValue(*signIndex, field.column)));
            if (field.column != Column::SignDescriptions)
                label->adjustSize(); // value labels grow to fit; the description box does not
        }
    }
    if (auto *picture = readingWindow->findChild<SvgImage *>(QStringLiteral("imgSign"))) {
        picture->setPicture(signPicture(*signIndex));
        picture->setAccessibleName(QStringLiteral("Picture of the ") + SignName());
    }
}
