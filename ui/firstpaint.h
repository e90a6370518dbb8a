#pragma once

#include <functional>

class QWidget;

namespace namorel {

/// Runs \a work once, as soon as \a window has painted itself for the first time: for what the first paint
/// does not need.
void RunAfterFirstPaint(QWidget *window, std::function<void()> work);

} // namespace namorel
