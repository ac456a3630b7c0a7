// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vantrel::test {

// Root reads a file whatever its mode by two capabilities. While one of
// these lives, the calling thread has neither in effect, so the kernel
// checks modes for it as for any user and a file without read permission
// can't be read, also in a test run as root (a fresh machine's). Threads
// started meanwhile inherit the lack; the capabilities come back at the end.
class FileModesObeyed {
public:
    FileModesObeyed()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_lowered = syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~FileModesObeyed()
    {
        if (m_lowered)
            syscall(SYS_capset, &m_header, m_saved);
    }
    FileModesObeyed(const FileModesObeyed &) = delete;
    FileModesObeyed &operator=(const FileModesObeyed &) = delete;

    // False when the capabilities could not be looked at or lowered.
    bool obeyed() const { return m_lowered; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
};

} // namespace vantrel::test
