#include "cursortable.h"

#include <map>

namespace namorel {

namespace {

// Used from the user-interface thread only, like the cursors themselves.
std::map<int, QCursor> &table()
{
    static std::map<int, QCursor> cursors;
    return cursors;
}

} // namespace

void RegisterCursor(int id, std::optional<QCursor> cursor)
{
    if (cursor)
        table().insert_or_assign(id, *std::move(cursor));
    else
        table().erase(id);
}

std::optional<QCursor> RegisteredCursor(int id)
{
    const auto found = table().find(id);
    if (found == table().end())
        return std::nullopt;
    return found->second;
}

int RegisteredCursorCount()
{
    return static_cast<int>(table().size());
}

} // namespace namorel
