#pragma once
// Reading text the way every reader of outside files does: whole numbers as
// the C library's atoi reads them (without its undefined overflow), and line
// ends of either platform.

#include <string>
#include <string_view>

namespace platform {

// Leading white space, an optional sign, then decimal digits up to the first
// other character, which ends the number; no digits give 0. A value beyond
// the int range is held at the range's nearer end.
int leadingInteger(std::string_view text);

// The text with every carriage return that stands right before a line feed
// removed, so that a file written with CR LF line ends reads like one written
// with LF alone.
std::string withoutCarriageReturnsBeforeLineFeeds(std::string_view text);

}  // namespace platform
