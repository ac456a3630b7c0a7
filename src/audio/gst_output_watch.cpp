// SPDX-License-Identifier: GPL-3.0-or-later
#include "gst_output_watch.h"

#include "gst_sound_output.h"

namespace vantrel {

namespace {

// Soon enough that the output is ready again before a student's next click,
// seldom enough to cost nothing while there is no server at all.
constexpr int kLookMs = 1000;

} // namespace

GstOutputWatch::GstOutputWatch(QObject *parent)
    : QObject(parent)
{
    m_looks.setInterval(kLookMs);
    connect(&m_looks, &QTimer::timeout, this, &GstOutputWatch::look);
}

GstOutputWatch::~GstOutputWatch()
{
    // The worker posts to this object, so it must be done before the object goes.
    if (m_worker.joinable())
        m_worker.join();
}

void GstOutputWatch::watch()
{
    if (!m_looks.isActive())
        m_looks.start();
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
    if (!opens || !m_looks.isActive())
        return;
    m_looks.stop();
    emit outputAvailable();
}

} // namespace vantrel
