// SPDX-License-Identifier: GPL-3.0-or-later
#include "finding.h"

namespace vantrel {

std::string formatFinding(const Finding &finding)
{
    return finding.file + ":" + std::to_string(finding.line) + ": "
           + (finding.severity == Finding::Severity::Error ? "error" : "warning") + ": " + finding.message;
}

} // namespace vantrel
