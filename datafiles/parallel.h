#pragma once

#include <functional>

namespace namorel {

/// Runs job(0) to job(count - 1), each on a thread of its own except job(0), which runs on the calling thread,
/// and returns when all have ended. A job whose thread cannot be started runs on the calling thread instead.
/// When jobs throw, the exception of the lowest-numbered of them is rethrown once all have ended. Does
/// nothing when \a count is below 1.
void RunParallel(int count, const std::function<void(int)> &job);

} // namespace namorel
