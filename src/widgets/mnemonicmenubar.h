#pragma once

#include <QMenuBar>

// A menu bar whose hidden items keep no access key. QMenuBar grabs the
// mnemonic of every top-level item, hidden ones included, so a hidden
// "Make Money &Online" would make Alt+O ambiguous with a visible "&Open"
// button (which then only takes the focus) and could trigger the hidden item.
class MnemonicMenuBar : public QMenuBar
{
    Q_OBJECT
public:
    explicit MnemonicMenuBar(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;

private:
    bool isHiddenMnemonic(const QKeySequence &key) const;
    void disableHiddenMnemonics(int idBefore);
    int probeShortcutId();
};
