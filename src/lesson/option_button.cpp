// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_button.h"

namespace vantrel {

void OptionButton::clearSelection()
{
    if (!isChecked())
        return;
    setAutoExclusive(false);
    setChecked(false);
    setAutoExclusive(true);
}

} // namespace vantrel
