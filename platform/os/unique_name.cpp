// Names of unique files, shared by every platform.
#include "os.h"
#include "os_internal.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string_view>

namespace {
constexpr size_t RANDOM_DIGITS = 16;
}

// The process id alone is not unique: sandboxes and network homes show several instances the
// same one. The random part is what no other writer picks.
std::string os_unique_name(const std::string& prefix, const std::string& suffix) {
    std::random_device random;
    unsigned long long part = (static_cast<unsigned long long>(random()) << 32) ^ random();
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", int(RANDOM_DIGITS), part);
    return prefix + std::to_string(os_process_id()) + "-" + text + suffix;
}

bool os_is_unique_name(const std::filesystem::path& file_name, const std::filesystem::path& prefix,
                       const std::filesystem::path& suffix) {
    // In the system's own form, so that no conversion of another file's name can fail.
    const auto& name = file_name.native();
    const auto& head = prefix.native();
    const auto& tail = suffix.native();
    if (name.size() <= head.size() + tail.size() || !name.starts_with(head) || !name.ends_with(tail)) return false;
    using Name_View = std::basic_string_view<std::filesystem::path::value_type>;
    const Name_View middle = Name_View(name).substr(head.size(), name.size() - head.size() - tail.size());
    const size_t dash = middle.find('-');
    if (dash == 0 || dash == middle.npos || middle.size() - dash - 1 != RANDOM_DIGITS) return false;
    auto is_digit = [](auto c) { return c >= '0' && c <= '9'; };
    auto is_hex_digit = [&](auto c) { return is_digit(c) || (c >= 'a' && c <= 'f'); };
    // The process id as std::to_string writes it: no leading zero.
    if (dash > 10 || (middle[0] == '0' && dash > 1)) return false;
    return std::all_of(middle.begin(), middle.begin() + dash, is_digit) &&
           std::all_of(middle.begin() + dash + 1, middle.end(), is_hex_digit);
}
