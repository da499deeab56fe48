#include "option_errors.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_checks.h"

namespace {

// A name as it is compared: lower case, '_' read as '-' (--utc_start means --utc-start).
std::string comparable(std::string_view name) {
  std::string s(name);
  for (char& c : s) c = c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Edits from a to b: a letter added, dropped or changed, or two neighbours swapped (the
// optimal string alignment distance). Names are short: a table of (|a|+1) x (|b|+1).
std::size_t edit_distance(std::string_view a, std::string_view b) {
  const std::size_t n = a.size();
  const std::size_t m = b.size();
  std::vector<std::size_t> d((n + 1) * (m + 1));
  const auto at = [&](std::size_t i, std::size_t j) -> std::size_t& { return d[i * (m + 1) + j]; };
  for (std::size_t i = 0; i <= n; ++i) at(i, 0) = i;
  for (std::size_t j = 0; j <= m; ++j) at(0, j) = j;
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= m; ++j) {
      const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
    }
  }
  return at(n, m);
}

// The most edits that still read as a slip of the keyboard in a name of that many letters.
std::size_t edits_allowed(std::size_t letters) {
  if (letters <= 2) return 0;
  if (letters <= 5) return 1;
  return letters <= 9 ? 2 : 3;
}

std::size_t closeness(const std::string& given, const std::string& known) {
  const std::size_t edits = edit_distance(given, known);
  const bool prefix =
      std::min(given.size(), known.size()) >= 3 && (known.starts_with(given) || given.starts_with(known));
  return prefix ? std::min<std::size_t>(edits, 1) : edits;
}

// The argument that held an unknown short option. getopt has moved past it when the letter was
// its last; when the letter was its first of several, the argument is the next one to read.
std::string argument_of_short_option(char** argv) {
  const std::string alone = std::string("-") + static_cast<char>(optopt);
  if (optind > 0 && argv[optind - 1] != nullptr && argv[optind - 1] == alone) return alone;
  if (argv[optind] != nullptr && std::string_view(argv[optind]).starts_with(alone)) return argv[optind];
  return alone;
}

}  // namespace

std::vector<std::string_view> nearest_names(std::string_view given, std::span<const std::string_view> known) {
  std::vector<std::string_view> nearest;
  if (given.size() > 64) return nearest;  // no option name is that long; spare the table
  const std::string g = comparable(given);
  const std::size_t allowed = edits_allowed(g.size());
  std::size_t best = 0;
  for (const std::string_view name : known) {
    const std::size_t c = closeness(g, comparable(name));
    if (c > allowed || (!nearest.empty() && c > best)) continue;
    if (nearest.empty() || c < best) {
      nearest.clear();
      best = c;
    }
    if (std::find(nearest.begin(), nearest.end(), name) == nearest.end()) nearest.push_back(name);
  }
  return nearest;
}

std::string did_you_mean(std::string_view given, std::span<const std::string_view> known, std::string_view prefix) {
  const std::vector<std::string_view> nearest = nearest_names(given, known);
  if (nearest.empty()) return "";
  std::string text = "; did you mean ";
  for (std::size_t i = 0; i < nearest.size(); ++i) {
    if (i > 0) text += i + 1 == nearest.size() ? " or " : ", ";
    text += std::string(prefix) + std::string(nearest[i]);
  }
  return text + "?";
}

std::string option_error_text(char** argv, const char* short_options, const option* long_options) {
  const std::string_view given = optind > 0 && argv[optind - 1] != nullptr ? argv[optind - 1] : "";
  if (given.starts_with("--")) {
    const std::string_view name = given.substr(2, given.find('=') - 2);
    // As getopt_long counts them: the first option the name starts, and every later one that
    // differs from it in its argument, flag or value.
    const option* found = nullptr;
    std::string possibilities;
    for (const option* o = long_options; o->name != nullptr; ++o) {
      if (!std::string_view(o->name).starts_with(name)) continue;
      if (found == nullptr) {
        found = o;
      } else if (found->has_arg != o->has_arg || found->flag != o->flag || found->val != o->val) {
        if (possibilities.empty()) possibilities = std::string(" '--") + found->name + "'";
        possibilities += std::string(" '--") + o->name + "'";
      }
    }
    if (optopt == 0 && !possibilities.empty()) {
      return "option '" + terminal_text(given) + "' is ambiguous; possibilities:" + possibilities;
    }
    if (optopt == 0 || found == nullptr) return "unrecognized option '" + terminal_text(given) + "'";
    return "option '--" + std::string(found->name) +
           (found->has_arg == no_argument ? "' doesn't allow an argument" : "' requires an argument");
  }
  const std::string letter(1, static_cast<char>(optopt));
  const char* const known = optopt > 0 && optopt < 0x80 ? std::strchr(short_options, optopt) : nullptr;
  if (known != nullptr && known[1] == ':') return "option requires an argument -- '" + letter + "'";
  return "invalid option -- '" + terminal_text(letter) + "'";
}

std::string mistyped_option_text(char** argv, const char* short_options, const option* long_options) {
  std::vector<std::string_view> names;
  for (const option* o = long_options; o->name != nullptr; ++o) names.emplace_back(o->name);
  const std::string_view given = optind > 0 && argv[optind - 1] != nullptr ? argv[optind - 1] : "";
  if (given.starts_with("--")) {
    const std::string words = option_error_text(argv, short_options, long_options);
    if (!words.starts_with("unrecognized option")) return words;
    const std::string_view name = given.substr(2, given.find('=') - 2);
    return "unknown option " + terminal_text(given) + did_you_mean(name, names, "--");
  }
  const char* const known = optopt > 0 && optopt < 0x80 ? std::strchr(short_options, optopt) : nullptr;
  if (known != nullptr) return option_error_text(argv, short_options, long_options);  // its value is missing
  // A long name after one dash ("-flight"), or a letter in the wrong case ("-O").
  const std::string argument = argument_of_short_option(argv);
  if (argument.size() > 2) {
    const std::string_view name = std::string_view(argument).substr(1, argument.find('=') - 1);
    const std::string suggestion = did_you_mean(name, names, "--");
    if (!suggestion.empty()) return "unknown option " + terminal_text(argument) + suggestion;
  }
  const std::string letter(1, static_cast<char>(optopt));
  std::string text = "unknown option -" + terminal_text(letter);
  if (optopt > 0 && optopt < 0x80 && std::isalpha(optopt)) {
    const int other_case = std::isupper(optopt) ? std::tolower(optopt) : std::toupper(optopt);
    if (std::strchr(short_options, other_case) != nullptr)
      text += "; did you mean -" + std::string(1, static_cast<char>(other_case)) + "?";
  }
  return text;
}

std::string single_dash_long_option_text(char** argv, const option* long_options) {
  if (optarg == nullptr || optind < 1 || argv[optind - 1] == nullptr) return "";
  const char* const argument = argv[optind - 1];
  if (argument[0] != '-' || argument[1] == '-' || argument[1] == '\0' || optarg != argument + 2) return "";
  const std::string_view word = std::string_view(argument + 1).substr(0, std::string_view(argument + 1).find('='));
  for (const option* o = long_options; o->name != nullptr; ++o) {
    if (comparable(word) == comparable(o->name)) {
      return "unknown option " + terminal_text(argument) + "; did you mean --" + o->name + "?";
    }
  }
  return "";
}

void exit_usage_error(const char* program, std::string_view message) {
  const std::string name = terminal_text(program);
  const std::string line = name + ": " + terminal_text(message) + " (see " + name + " --help)\n";
  std::fputs(line.c_str(), stderr);
  std::exit(1);
}
