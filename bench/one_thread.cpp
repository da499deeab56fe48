// The native library on one thread, read as the WebAssembly module reads a LOG, for
// bench/wasm.sh: the LOG comes through a stream over read(2) in the blocks the reader asks for
// (not a FILE* of a regular file, so no block is read ahead on a second thread), the document
// goes to /dev/null. Prints the seconds of the conversion alone: the time that passed and the
// processor time (user and system).
//
//   one_thread xml|every|kml|track LOG
#define _GNU_SOURCE 1
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "orvexdecode.h"

namespace {

ssize_t read_fd(void* cookie, char* buffer, size_t size) { return read(*static_cast<int*>(cookie), buffer, size); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: one_thread xml|every|kml|track LOG\n");
    return 1;
  }
  const char* const document = argv[1];
  int fd = open(argv[2], O_RDONLY);
  if (fd < 0) return 2;
  FILE* input = fopencookie(&fd, "rb", {read_fd, nullptr, nullptr, nullptr});
  FILE* output = std::fopen("/dev/null", "wb");
  library_options options = OrvexDecode_default_options();
  const analog_input_const constants = OrvexDecode_default_constants();
  if (std::strcmp(document, "every") == 0) {
    options.ahrs = options.eis = options.analog = options.set_menu = options.gps_1 = options.gps_2 = 1;
    options.arinc = options.sl30_1 = options.sl30_2 = options.sl40 = options.weather = 1;
    options.gps_2_type = ORVEX_GPS_FORMAT_NMEA;
    options.verbose = options.debug = 1;
  }
  if (std::strcmp(document, "kml") == 0) options.summary = 0;
  decode_context* context = OrvexDecode_context_new();
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpu_start = std::clock();
  int result;
  if (std::strcmp(document, "kml") == 0) {
    result = OrvexDecode_context_LOG_to_KML(context, &constants, &options, input, output, output, argv[2]);
  } else if (std::strcmp(document, "track") == 0) {
    result = OrvexDecode_context_LOG_to_FRC(context, &constants, &options, input, output, output);
  } else {
    result = OrvexDecode_context_LOG_to_XML(context, &constants, &options, input, output, output, argv[2]);
  }
  std::fflush(output);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  std::printf("%.6f %.6f\n", seconds.count(), static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC);
  OrvexDecode_context_free(context);
  return result < 0 ? 2 : 0;
}
