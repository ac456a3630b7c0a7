// SPDX-License-Identifier: GPL-3.0-or-later
#include "message_box.h"

#include <QMessageBox>

namespace vantrel {

void MessageBox::show(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    // Texts may carry story lines; never let them be read as markup.
    box.setTextFormat(Qt::PlainText);
    // Qt 6.4 announces a box by its title alone; its text sits in a child
    // label that a screen reader has to go looking for.
    box.setAccessibleDescription(text);
    box.exec();
}

} // namespace vantrel
