#pragma once
// Comma-separated tables as spreadsheet programs and pandas read them: a
// field holding a comma, a quote, a line break or an outer blank is quoted,
// quotes inside doubled; rows end with CR LF.

#include <string>
#include <vector>

namespace collection {

std::string csvField(const std::string& text);
std::string csvRow(const std::vector<std::string>& fields);

// Splits CSV text back into rows of fields (the reader of csvRow's output).
std::vector<std::vector<std::string>> parseCsv(const std::string& text);

}  // namespace collection
