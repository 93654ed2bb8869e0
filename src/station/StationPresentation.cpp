#include "station/StationPresentation.h"

#include <stdexcept>

namespace talvix {
namespace {

std::size_t textIndex(TViewItem item)
{
    const auto index = static_cast<std::size_t>(item);
    if (index >= TextItemCount)
        throw std::invalid_argument("view item holds no text");
    return index;
}

} // namespace

const std::string& StationPresentation::text(TViewItem item) const
{
    return texts_[textIndex(item)];
}

void StationPresentation::setText(TViewItem item, const std::string& value)
{
    change(texts_[textIndex(item)], value, item);
}

void StationPresentation::setChildStatus(const std::string& text, TColor color)
{
    if (text == childStatusText_ && color == childStatusColor_)
        return;
    childStatusText_ = text;
    childStatusColor_ = color;
    notify(TViewItem::ChildStatus);
}

void StationPresentation::applyFunctionGroup(int group)
{
    functionGroup_ = group;
    notify(TViewItem::FunctionGroup);
}

void StationPresentation::notify(TViewItem item)
{
    for (const Observer& observer : observers_)
        observer(item);
}

} // namespace talvix
