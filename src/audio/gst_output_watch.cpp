// SPDX-License-Identifier: GPL-3.0-or-later
#include "gst_output_watch.h"

#include "gst_sound_output.h"

namespace vantrel {

namespace {

// Soon enough that the output is ready again before a student's next click,
// seldom enough to cost nothing while there is no server at all.
constexpr int kReturnLookMs = 1000;
// A server that is there answers a look in a millisecond or two.
constexpr int kLossLookMs = 2000;

} // namespace

GstOutputWatch::GstOutputWatch(QObject *parent)
    : QObject(parent)
{
    connect(&m_looks, &QTimer::timeout, this, &GstOutputWatch::look);
}

GstOutputWatch::~GstOutputWatch()
{
    // The worker posts to this object, so it must be done before the object goes.
    if (m_worker.joinable())
        m_worker.join();
}

void GstOutputWatch::watchForLoss()
{
    watch(false);
}

void GstOutputWatch::watchForReturn()
{
    watch(true);
}

void GstOutputWatch::lookNow()
{
    watch(true);
    look();
}

void GstOutputWatch::watch(bool forReturn)
{
    if (m_looks.isActive() && m_forReturn == forReturn)
        return;
    m_forReturn = forReturn;
    m_looks.start(forReturn ? kReturnLookMs : kLossLookMs);
}

void GstOutputWatch::look()
{
    if (m_looking)
        return;
    m_looking = true;
    if (m_worker.joinable())
        m_worker.join();
    m_worker = std::thread([this] {
        const bool opens = realOutputOpens();
        QMetaObject::invokeMethod(this, [this, opens] { onLooked(opens); }, Qt::QueuedConnection);
    });
}

void GstOutputWatch::onLooked(bool opens)
{
    m_looking = false;
    // The mode may have changed while the look was under way; it answers the new one.
    if (!m_looks.isActive() || opens != m_forReturn)
        return;
    if (m_forReturn) {
        m_looks.stop();
        emit outputAvailable();
    } else {
        watch(true);
        emit outputLost();
    }
}

} // namespace vantrel
