// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for Vantrel's start-up: a Qt Widgets program that shows one
// message box, as Vantrel's start-up box is, and nothing else.
#include <QApplication>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Same title and about the same amount of text as Vantrel's box, so both
    // boxes cost the same to lay out and to find.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vantrel 5.75"),
                    QStringLiteral("A plain message box with a few sentences of text in it, about as "
                                   "long as the one the program greets its users with.\r\r"
                                   "It has one button and no icon.\r\r"
                                   "Nothing else is shown before or after it."),
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return 0;
}
