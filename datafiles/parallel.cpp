#include "parallel.h"

#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace namorel {

void RunParallel(int count, const std::function<void(int)> &job)
{
    if (count < 1)
        return;
    std::vector<std::exception_ptr> errors(static_cast<size_t>(count));
    const auto guarded = [&](int i) {
        try {
            job(i);
        } catch (...) {
            errors[size_t(i)] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(size_t(count));
    for (int i = 1; i < count; ++i) {
        try {
            threads.emplace_back(guarded, i);
        } catch (const std::system_error &) {
            guarded(i);
        }
    }
    guarded(0);
    for (std::thread &thread : threads)
        thread.join();
    for (const std::exception_ptr &error : errors) {
        if (error)
            std::rethrow_exception(error);
    }
}

} // namespace namorel
