#pragma once
// The concept list: a text file of items, each ended by ";" (the last may end
// at the end of the file). Every item is key "=" value; the key is dropped up
// to the first "=", the value is kept verbatim. The first item's value is the
// number of concepts, the next that many items are the concept names.

#include <string>
#include <vector>

namespace classification {

// "./conf//" followed by the list's name.
std::string conceptListPath(const std::string& listName);

// The concept names in file order. Names the file does not hold are empty.
// A carriage return before a line feed is dropped. A list that cannot be
// opened, or whose count is more than the file could hold, stops the run with
// one line on standard error.
std::vector<std::string> readConceptList(const std::string& path);

}  // namespace classification
