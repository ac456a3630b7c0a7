// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string>

namespace vantrel {

// A story-file line as text, one character per byte.
QString storyText(const std::string &bytes);

// A story-file line as a button or frame caption: an ampersand in a story is
// text, not an access key, so it is doubled.
QString storyCaption(const std::string &bytes);

} // namespace vantrel
