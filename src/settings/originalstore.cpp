#include "originalstore.h"

namespace {

const QString& keyOf(OriginalValue value)
{
    switch (value) {
    case OriginalValue::Path:
        return keys::Path;
    case OriginalValue::Tile:
        return keys::Tile;
    case OriginalValue::Style:
        return keys::Style;
    case OriginalValue::OriginX:
        return keys::OriginX;
    case OriginalValue::OriginY:
        return keys::OriginY;
    case OriginalValue::BackgroundColor:
        break;
    }
    return keys::BackgroundColor;
}

} // namespace

QString SettingsOriginalStore::text(OriginalValue value) const
{
    return file_.originalText(keyOf(value));
}

int SettingsOriginalStore::integer(OriginalValue value) const
{
    return file_.originalInteger(keyOf(value));
}

void SettingsOriginalStore::write(OriginalValue value, const QString& text)
{
    file_.setOriginalText(keyOf(value), text);
}
