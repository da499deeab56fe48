#include "decoders/gps/sentence_scan.h"

void scan_detail::malformed_pattern() {}
