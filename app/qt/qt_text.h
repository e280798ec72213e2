// GBK texts <-> QString. The window layer converts here and nowhere else.
#pragma once

#include <QString>

#include "base/types.h"

namespace velmora {

QString to_qstring(const Text& text);
Text from_qstring(const QString& text);

}  // namespace velmora
