// The outcome of a record operation: success, or the message and caption to show the operator.
#pragma once

#include <string>

namespace korvex {

struct Notice {
    bool ok = true;
    std::string message; // UTF-8; empty when ok
    std::string caption; // UTF-8

    static Notice success() { return {}; }
    static Notice failure(std::string text, std::string cap) { return {false, std::move(text), std::move(cap)}; }
};

} // namespace korvex
