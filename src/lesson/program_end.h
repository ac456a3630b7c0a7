// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vantrel {

// Ending the program is injected so that tests can watch it happen.
class ProgramEndInterface {
public:
    virtual ~ProgramEndInterface() = default;
    // Ends the program with the given exit status. A non-empty diagnostic is
    // reported on the standard error stream first.
    virtual void end(int status, const QString &diagnostic = {}) = 0;
};

// Closes every window and leaves the event loop with the status. Before the
// event loop runs, main() asks ended() and returns status() itself.
class ProgramEnd : public ProgramEndInterface {
public:
    void end(int status, const QString &diagnostic = {}) override;

    bool ended() const { return m_ended; }
    int status() const { return m_status; }

private:
    bool m_ended = false;
    int m_status = 0;
};

} // namespace vantrel
