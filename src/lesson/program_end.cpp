// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_end.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>

namespace vantrel {

void ProgramEnd::end(int status, const QString &diagnostic)
{
    if (!diagnostic.isEmpty())
        std::fprintf(stderr, "vantrel: %s\n", diagnostic.toLocal8Bit().constData());
    m_ended = true;
    m_status = status;
    // The windows leave the screen at once; they are destroyed when main()
    // returns after the event loop.
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(status);
}

} // namespace vantrel
