// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

#include <thread>

namespace vantrel {

// Looks, once a second, for a real sound output to come (back): a sound
// server started after the program, or one that died and was started again.
// Each look opens a sink on a worker thread, so a server slow to answer never
// holds up the window.
class GstOutputWatch : public QObject
{
    Q_OBJECT

public:
    explicit GstOutputWatch(QObject *parent = nullptr);
    // Waits for a look under way; a look takes milliseconds.
    ~GstOutputWatch() override;

    // Starts looking, unless already looking; stops at the first real output.
    void watch();

signals:
    void outputAvailable();

private:
    void look();
    void onLooked(bool opens);

    QTimer m_looks;
    std::thread m_worker;
    bool m_looking = false;
};

} // namespace vantrel
