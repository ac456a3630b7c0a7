// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_button.h"

#include <QAccessibleWidget>

namespace vantrel {

namespace {

// The caption as read aloud: an ampersand that marks an access key goes,
// a doubled one stands for itself.
QString spokenCaption(const QString &caption)
{
    QString spoken;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        spoken += caption[i];
    }
    return spoken;
}

// Voice control, switch access and screen readers choose an option through
// its accessible action. Qt's own radio button answers "Toggle" with
// toggle(), which checks it without clicked(): the lesson, which acts on
// the student's click and not on checks the program makes itself, would
// never hear of the choice. Here each action is a click.
class AccessibleOption : public QAccessibleWidget {
public:
    explicit AccessibleOption(OptionButton *option)
        : QAccessibleWidget(option, QAccessible::RadioButton)
    {
        addControllingSignal(QStringLiteral("toggled(bool)"));
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return spokenCaption(option()->text());
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = option()->isChecked();
        state.pressed = option()->isDown();
        return state;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(toggleAction());
        return names;
    }

    void doAction(const QString &name) override
    {
        if (name == toggleAction() || name == pressAction())
            option()->click(); // nothing while disabled
        else
            QAccessibleWidget::doAction(name);
    }

private:
    OptionButton *option() const { return static_cast<OptionButton *>(widget()); }
};

QAccessibleInterface *accessibleOption(const QString &className, QObject *object)
{
    if (className != QLatin1String(OptionButton::staticMetaObject.className()))
        return nullptr;
    return new AccessibleOption(static_cast<OptionButton *>(object));
}

} // namespace

OptionButton::OptionButton(QWidget *parent)
    : QRadioButton(parent)
{
    // Before anything asks for this button's accessible interface, which Qt
    // then keeps for the button's life.
    static const bool installed = (QAccessible::installFactory(accessibleOption), true);
    Q_UNUSED(installed);
}

void OptionButton::clearSelection()
{
    if (!isChecked())
        return;
    setAutoExclusive(false);
    setChecked(false);
    setAutoExclusive(true);
}

} // namespace vantrel
