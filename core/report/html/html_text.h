// Text for the HTML report: escaped free text; its numbers, times and durations come from
// text/readable_text.h.
#pragma once

#include <string>
#include <string_view>

#include "text/readable_text.h"

// Free text (a file name, a limit) for HTML content and double-quoted attributes: & < > "
// escaped, control characters shown as their control pictures, and bytes that do not form
// UTF-8 characters replaced by U+FFFD, so the page stays well-formed whatever a name holds.
std::string html_escaped(std::string_view text);
