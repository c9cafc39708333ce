// Argument: one argument of a command's line, read as an option. "--name=value" gives the option
// "--name" with its value at once; any other argument is the option itself, and TakeValue takes the
// argument after it as its value.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace volumist::cli {

class Argument {
 public:
  // The argument at `index` of `argv`; TakeValue may move `index` past the next one.
  Argument(const std::vector<std::string>& argv, size_t& index) : argv_(argv), index_(index) {
    const std::string& arg = argv[index];
    option = arg;
    if (size_t equals = arg.find('='); arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      option = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
  }

  // The value given with "=", else the next argument (which is then used up); nothing when the line
  // ends here.
  std::optional<std::string> TakeValue() {
    if (value) return value;
    if (index_ + 1 < argv_.size()) return argv_[++index_];
    return std::nullopt;
  }

  std::string option;
  std::optional<std::string> value;  // the text after "=", when there was one

 private:
  const std::vector<std::string>& argv_;
  size_t& index_;
};

}  // namespace volumist::cli
