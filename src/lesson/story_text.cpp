// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_text.h"

#include "cp1252.h"

namespace vantrel {

QString storyText(const std::string &bytes)
{
    const std::u16string wide = widenCp1252(bytes);
    return QString(reinterpret_cast<const QChar *>(wide.data()), static_cast<qsizetype>(wide.size()));
}

QString storyCaption(const std::string &bytes)
{
    return storyText(bytes).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace vantrel
