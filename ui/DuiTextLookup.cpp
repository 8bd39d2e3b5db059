#include "ui/DuiTextLookup.h"

namespace ms1 {

std::u16string DuiTextLookup::Text(std::string_view key) const {
    const QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    return (texts_ != nullptr ? texts_->Text(name) : name).toStdU16String();
}

}  // namespace ms1
