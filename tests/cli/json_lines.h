// Reading the commands' JSON output back with a real parser.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace volumist::testing {

using OrderedJson = nlohmann::ordered_json;

// Every line of `out` parsed as one JSON value (JSON Lines); a line that does not parse fails the
// test and is left out.
inline std::vector<OrderedJson> ParseJsonLines(const std::string& out) {
  std::vector<OrderedJson> values;
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    EXPECT_NE(end, std::string::npos) << "the last line has no line end: " << out.substr(start);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(start, end - start);
    start = end + 1;
    OrderedJson value = OrderedJson::parse(line, nullptr, false);
    EXPECT_FALSE(value.is_discarded()) << "not JSON: " << line;
    if (!value.is_discarded()) values.push_back(std::move(value));
  }
  return values;
}

// The member names of `object` in their order.
inline std::vector<std::string> MemberNames(const OrderedJson& object) {
  std::vector<std::string> names;
  for (auto it = object.begin(); it != object.end(); ++it) names.push_back(it.key());
  return names;
}

// The original bytes of a text the commands wrote with PutText: the "\\" and "\xHH" escapes undone
// when `escaped`.
inline std::string Unescaped(const std::string& text, bool escaped) {
  if (!escaped) return text;
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      bytes += text[i];
    } else if (text[i + 1] == '\\') {
      bytes += '\\';
      ++i;
    } else if (text[i + 1] == 'x' && i + 3 < text.size()) {
      bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// The text of member `key` of `object` as its original bytes, undoing the escape when the object
// carries `key` + "Escaped".
inline std::string TextMember(const OrderedJson& object, const std::string& key) {
  const bool escaped = object.contains(key + "Escaped") && object[key + "Escaped"].get<bool>();
  return Unescaped(object.at(key).get<std::string>(), escaped);
}

}  // namespace volumist::testing
