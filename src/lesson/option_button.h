// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRadioButton>
#include <QString>

namespace vantrel {

// An option button that carries a text tag beside its caption (the answer
// options keep their answer key there) and that can be cleared even inside
// an exclusive group. Chosen through an assistive technology's action, it
// is clicked, as by mouse or by Space.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(QWidget *parent = nullptr);

    QString tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    // Qt refuses setChecked(false) on the checked button of an exclusive
    // group, so exclusivity is lifted around it. Emits no clicked().
    void clearSelection();

protected:
    // The whole row answers a click, not only the circle and the caption.
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }

private:
    QString m_tag;
};

} // namespace vantrel
