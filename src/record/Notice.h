// The outcome of a record operation: success, or the message and caption to show the operator.
#pragma once

#include <cerrno>
#include <cstring>
#include <string>

namespace korvex {

struct Notice {
    bool ok = true;
    std::string message; // UTF-8; empty when ok
    std::string caption; // UTF-8
    /// What failed and the system's reason, in English ("/data/a.kvx: No space left on device");
    /// empty when there is nothing to add. Shown below the message; a command line prints it.
    std::string detail;

    static Notice success() { return {}; }
    static Notice failure(std::string text, std::string cap) { return {false, std::move(text), std::move(cap), {}}; }
    /// A write of path that failed, with errno's reason.
    static Notice writeFailure(std::string text, std::string cap, const std::string& path)
    {
        const int error = errno;
        return {false, std::move(text), std::move(cap),
                path + ": " + (error ? std::strerror(error) : "the file could not be written")};
    }
};

} // namespace korvex
