#pragma once
#include <optional>
#include <string_view>
// Reads the leading number of an entry box's text the way the entry boxes always have.
// Returns the nearest integer (a half goes to the even neighbour), or nullopt when that
// integer lies outside -32768..32767.
std::optional<int> readEntryNumber(std::string_view text);
