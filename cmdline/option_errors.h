// What a front end says when its command line is wrong. getopt_long runs with opterr = 0 and
// the front end tells the mistake itself, through terminal_text: an option may be a file name
// that a shell glob put on the command line.
//
// The newer commands (orvexdecode-info, -export, -report and the simulator) say it in one line
// that names the mistake, the nearest known name when one is close, and where the usage is:
//
//   orvexdecode-info: unknown option --jsno; did you mean --json? (see orvexdecode-info --help)
//
// orvexdecode-track keeps getopt's own words and its usage text (option_error_text).
#pragma once

#include <getopt.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

// What getopt_long found wrong in argv when it returned '?', in its own words but through
// terminal_text. long_options ends with an entry whose name is nullptr.
std::string option_error_text(char** argv, const char* short_options, const option* long_options);

// option_error_text, except that an unknown option is said as "unknown option --jsno; did you
// mean --json?" (the suggestion only when a known option is close). A single dash before a
// long name ("-flight") is taken for the double dash it lacks.
std::string mistyped_option_text(char** argv, const char* short_options, const option* long_options);

// A long option written with one dash, "-json" or "-output", reads to getopt as a short option
// with its value attached ("-j" "son"): called after getopt_long returned an option, the text
// that tells the mistake when the argument spells a long option's name, else "".
std::string single_dash_long_option_text(char** argv, const option* long_options);

// The known names nearest to given: those at the least edit distance (a letter added, dropped,
// changed, or two neighbours swapped; case and '-' against '_' count for nothing), a name that
// given starts or that starts given counting as one edit when the shorter has 3 letters or
// more. Nothing when even the nearest needs more edits than a slip of the keyboard (1 for up
// to 5 letters, 2 up to 9, 3 beyond; none for 1 or 2 letters). In the order of known.
std::vector<std::string_view> nearest_names(std::string_view given, std::span<const std::string_view> known);

// "; did you mean X?" or "; did you mean X or Y?", each name after prefix ("--"), for the
// nearest of known to given; "" when none is near.
std::string did_you_mean(std::string_view given, std::span<const std::string_view> known, std::string_view prefix);

// Prints "program: message (see program --help)" on standard error, one line made safe for the
// terminal, and ends the run with status 1.
[[noreturn]] void exit_usage_error(const char* program, std::string_view message);
