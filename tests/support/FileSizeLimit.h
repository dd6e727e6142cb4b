#pragma once

#include <csignal>

#include <sys/resource.h>

namespace vantel::test {

// Lowers this process's file-size limit for the scope, as a full or
// size-limited file system would stop a write; SIGXFSZ is ignored so a write
// past the limit fails with EFBIG instead of ending the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_ {};
    void (*savedHandler_)(int) = nullptr;
};

} // namespace vantel::test
