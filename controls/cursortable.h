#pragma once

#include <QCursor>

#include <optional>

namespace namorel {

/// The application-wide cursor table: the program's own cursors by number, for controls whose cursor is
/// given as a number. Numbers the table does not hold mean the default arrow.

/// Stores \a cursor under \a id, replacing what was there; no cursor removes the entry.
void RegisterCursor(int id, std::optional<QCursor> cursor);

/// The cursor stored under \a id, if any.
std::optional<QCursor> RegisteredCursor(int id);

/// How many cursors the table holds.
int RegisteredCursorCount();

} // namespace namorel
