// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace vantrel {

// Every message the program shows goes through here, so that tests can see
// each box's title and text without blocking on a modal dialog.
class MessageBoxInterface {
public:
    virtual ~MessageBoxInterface() = default;
    // Returns once the box is dismissed, however that happens.
    virtual void show(QWidget *parent, const QString &title, const QString &text) = 0;
};

// A modal box with one OK button and no icon; the text is shown as plain text.
class MessageBox : public MessageBoxInterface {
public:
    void show(QWidget *parent, const QString &title, const QString &text) override;
};

} // namespace vantrel
