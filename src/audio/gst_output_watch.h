// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

#include <thread>

namespace vantrel {

// Looks, from time to time, whether a real sound output opens: to see a
// sound server go while a player is idle (a paused stream hears nothing of
// it), and to see one come (back): started after the program, or started
// again after it died. Each look opens a sink on a worker thread, so a
// server slow to answer never holds up the window.
class GstOutputWatch : public QObject
{
    Q_OBJECT

public:
    explicit GstOutputWatch(QObject *parent = nullptr);
    // Waits for a look under way; a look takes milliseconds.
    ~GstOutputWatch() override;

    // The output is real: look now and then that it still opens, and say
    // outputLost() when it no longer does, then look for its return.
    void watchForLoss();
    // The output is silent or failed: look once a second for a real one,
    // and say outputAvailable() at the first that opens.
    void watchForReturn();
    // Looks for a real output at once, then goes on as watchForReturn().
    void lookNow();

signals:
    void outputLost();
    void outputAvailable();

private:
    void watch(bool forReturn);
    void look();
    void onLooked(bool opens);

    QTimer m_looks;
    std::thread m_worker;
    bool m_forReturn = false;
    bool m_looking = false;
};

} // namespace vantrel
