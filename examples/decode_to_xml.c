/* Decodes a LOG file into an XML report on standard output through the OrvexDecode library,
 * with the options and constants the orvexdecode command starts from. */
#include <orvexdecode.h>
#include <stdio.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s LOG\n", argv[0]);
    return 1;
  }
  FILE* log = fopen(argv[1], "rb");
  if (log == NULL) {
    perror(argv[1]);
    return 2;
  }
  const library_options options = OrvexDecode_default_options();
  const analog_input_const constants = OrvexDecode_default_constants();
  const int result = OrvexDecode_LOG_to_XML(&constants, &options, log, stdout, stderr, argv[1]);
  fclose(log);
  return result < 0 || fflush(stdout) != 0 ? 2 : 0;
}
