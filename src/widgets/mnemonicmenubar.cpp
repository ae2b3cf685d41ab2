#include "mnemonicmenubar.h"

#include <QAction>
#include <QEvent>
#include <QShortcutEvent>

#include <cstdlib>

namespace {
// A key nobody types, for reading the shortcut map's running id.
const QKeySequence probeKey(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::META | Qt::Key_F35);
} // namespace

MnemonicMenuBar::MnemonicMenuBar(QWidget *parent)
    : QMenuBar(parent)
{ }

int MnemonicMenuBar::probeShortcutId()
{
    const int id = grabShortcut(probeKey);
    releaseShortcut(id);
    return id;
}

bool MnemonicMenuBar::event(QEvent *event)
{
    // Safety net: a hidden item's key is never acted on, whatever the map sent.
    if (event->type() == QEvent::Shortcut
        && isHiddenMnemonic(static_cast<QShortcutEvent *>(event)->key()))
        return true;
    const int before = probeShortcutId();
    const bool result = QMenuBar::event(event);
    // Asking for a geometry makes the bar lay out its items now if they
    // changed, and with that grab their mnemonics afresh, one id per item in
    // order. Done after every event, so no later re-grab goes unseen.
    if (!actions().isEmpty())
        actionGeometry(actions().constFirst());
    disableHiddenMnemonics(before);
    return result;
}

bool MnemonicMenuBar::isHiddenMnemonic(const QKeySequence &key) const
{
    bool hidden = false;
    for (QAction *action : actions()) {
        if (QKeySequence::mnemonic(action->text()) != key)
            continue;
        if (action->isVisible())
            return false;
        hidden = true;
    }
    return hidden;
}

void MnemonicMenuBar::disableHiddenMnemonics(int idBefore)
{
    // Ids run on by one per grab (downwards, as Qt counts them today), and an
    // item without an access key grabs nothing. Exactly one id per item with a
    // key between the two probes means the bar grabbed them all afresh here,
    // in order, and nothing else grabbed in between; anything else and the ids
    // are not known for certain, so none is touched.
    QList<QAction *> grabbing;
    for (QAction *action : actions()) {
        if (!QKeySequence::mnemonic(action->text()).isEmpty())
            grabbing.append(action);
    }
    const int after = probeShortcutId();
    const int step = after < idBefore ? -1 : 1;
    if (std::abs(after - idBefore) - 1 != grabbing.size())
        return;
    for (int i = 0; i < grabbing.size(); ++i) {
        if (!grabbing.at(i)->isVisible())
            setShortcutEnabled(idBefore + step * (i + 1), false);
    }
}
