#include "app/qt/qt_text.h"

#include <string>
#include <string_view>

#include "base/gbk.h"

namespace velmora {

QString to_qstring(const Text& text) {
    std::u16string wide = to_wide(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

Text from_qstring(const QString& text) {
    // A Text ends at its first zero, as the platform's strings do.
    qsizetype length = text.indexOf(QChar(u'\0'));
    if (length < 0) {
        length = text.size();
    }
    return from_wide(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                         static_cast<std::size_t>(length)));
}

}  // namespace velmora
