// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vantrel {

// GStreamer's initialisation reads its plugin registry, which takes from tens
// of milliseconds to seconds on a first run. It is kept off the start-up
// path: started in the background once a story is picked, waited for only
// when a player first needs it.
void prepareSoundInBackground();

// Initialises GStreamer once, waiting for a background start still under way.
// False when it cannot be initialised; one line on stderr says why.
bool soundAvailable();

} // namespace vantrel
