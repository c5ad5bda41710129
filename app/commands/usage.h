// Usage errors as zenthor says them: in plain words, with the closest command or option
// when a name was mistyped, and checks of numeric options that say what is allowed.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class Error;
class Validator;
}  // namespace CLI

namespace zenthor {

// Of `candidates`, the one closest to `word` in letters typed wrong, left out, added or
// swapped; empty when none is close enough to be what was meant.
std::string ClosestWord(const std::string& word, const std::vector<std::string>& candidates);

// The message for a parse error of `app` on the command line `args` (without the program).
std::string UsageMessage(const CLI::App& app, const CLI::Error& error, const std::vector<std::string>& args);

// A number at least `least` ("--jobs must be at least 1"), more than `above`, or from
// `least` to `most`.
CLI::Validator AtLeast(double least);
CLI::Validator MoreThan(double above);
CLI::Validator Between(double least, double most);

}  // namespace zenthor
