/* OrvexDecode decoder library: turns an EFIS flight LOG into an XML report, a KML flight path
 * or tab-separated track files.
 *
 * Every conversion reads its input stream from the current position to the end, writes its
 * whole document to the output stream and never closes either. An input that is a regular file
 * longer than 256 KiB is read one block ahead on a thread the conversion starts and ends; the
 * stream is the conversion's until it returns. The four classic entry points
 * (OrvexDecode_LOG_to_XML, ..._KML, ..._FRC, ..._FRC_binary) each run on a decode context of
 * their own; the OrvexDecode_context_* forms run the same conversions on a context that the
 * caller owns, so several decodes can run at once in one process (one context per thread) and
 * the caller can read what the last conversion found in the LOG. The debug stream the entry
 * points take is kept for the callers that pass one: nothing is written to it.
 *
 * Pointers. Every conversion checks what it is given before it reads or writes anything:
 *   - input, output (xml_output, kml_output) and context may not be NULL: the conversion then
 *     returns -1 with errno EINVAL and reads and writes nothing;
 *   - constants and options may be NULL: they stand for OrvexDecode_default_constants() and
 *     OrvexDecode_default_options();
 *   - debug may be NULL (the stream is never written); description may be NULL, the same as
 *     an empty description.
 * OrvexDecode_context_free(NULL) does nothing; OrvexDecode_context_health(NULL) is all zero.
 * The texts of library_options need not end in a NUL: at most their size is read.
 *
 * Threads. A context belongs to one thread at a time: a conversion run on a context while
 * another thread's conversion runs on it returns -1 with errno EBUSY and touches nothing.
 * Contexts on different threads share nothing; the classic entry points use a context of the
 * calling thread's own. A stream (input or output) must not be used by anyone else while a
 * conversion runs on it. A classic entry point returns -1 with errno ENOMEM when its context
 * could not be made.
 *
 * The header compiles as C and as C++. */
#ifndef ORVEXDECODE_H
#define ORVEXDECODE_H

#include <stdint.h>
#include <stdio.h>

#include "orvexdecode_version.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Sentence formats of a GPS port (library_options.gps_1_type and gps_2_type). A port with any
 * other value is not read. */
enum {
  ORVEX_GPS_FORMAT_NONE = 0,
  ORVEX_GPS_FORMAT_AVIATION = 1,    /* aviation sentences with the altitude item */
  ORVEX_GPS_FORMAT_NMEA = 2,        /* one NMEA RMC sentence per record */
  ORVEX_GPS_FORMAT_AVIATION_STX = 3 /* aviation sentences found by their STX, no altitude */
};

/* Decoder options. Every field but the two texts is 0 = off, 1 = on unless noted. */
typedef struct library_options {
  int32_t verbose;
  int32_t debug;
  int32_t summary;
  int32_t summary_deciseconds; /* summary period; 100 timestamp units per decisecond */
  int32_t constants;
  int32_t ahrs;
  int32_t ahrs_hr;
  int32_t ahrs_lr;
  int32_t eis;
  int32_t gps_1;
  int32_t gps_1_type; /* an ORVEX_GPS_FORMAT_* value */
  int32_t gps_2;
  int32_t gps_2_type;
  int32_t analog;
  int32_t set_menu;
  int32_t state;
  int32_t arinc;
  int32_t weather;
  int32_t sl30_1;
  int32_t sl30_2;
  int32_t sl40;
  char xsl_stylesheet[255];
  char prog[255];
} library_options;

/* Analog input scale factors, single precision as the EFIS stores them. */
typedef struct analog_input_const {
  float PWR_MON_SF;
  float REF_5V;
  float LOC_ZERO;
  float LOC_SF;
  float GS_ZERO;
  float GS_SF;
  float ANALOG_8_SF;
} analog_input_const;

/* The defaults the command line starts from: summaries every second with the constants
 * block, no record selected, GPS 1 in the aviation format, GPS 2 not read. */
library_options OrvexDecode_default_options(void);
analog_input_const OrvexDecode_default_constants(void);

/* The library's version text, ORVEXDECODE_VERSION of the build. */
const char* OrvexDecode_version(void);

/* The XML report. Returns the result of the last write (negative when a write failed, -1 with
 * errno EINVAL, EBUSY or ENOMEM when the call was refused as said above). */
int OrvexDecode_LOG_to_XML(const analog_input_const* constants, const library_options* options, FILE* input,
                           FILE* output, FILE* debug, const char* description);

/* The KML flight path with both wingtip lines. */
int OrvexDecode_LOG_to_KML(const analog_input_const* constants, const library_options* options, FILE* input,
                           FILE* output, FILE* debug, const char* description);

/* Tab-separated track between "BOF" and "EOF" lines. */
int OrvexDecode_LOG_to_FRC(const analog_input_const* constants, const library_options* options, FILE* input,
                           FILE* output, FILE* debug);

/* The same track with airspeed, engine speed, timestamp and GPS altitude columns in front. */
int OrvexDecode_LOG_to_FRC_binary(const analog_input_const* constants, const library_options* options, FILE* input,
                                  FILE* output, FILE* debug);

/* The XML report and the KML flight path from one read of the input: the same two documents
 * as OrvexDecode_LOG_to_XML followed by OrvexDecode_LOG_to_KML over the rewound input, for an
 * input that cannot be rewound or read twice cheaply. Returns 0, or -1 when a write failed. */
int OrvexDecode_LOG_to_XML_and_KML(const analog_input_const* constants, const library_options* options, FILE* input,
                                   FILE* xml_output, FILE* kml_output, FILE* debug, const char* description);

/* A decode context: options, constants, the latest-value cache, the GPS sentence assembly, the
 * reader and the output writer of one conversion at a time. Create one per thread; it may be
 * handed to another thread between conversions. */
typedef struct decode_context decode_context;

/* A new context, or NULL when memory is short. */
decode_context* OrvexDecode_context_new(void);
/* Frees a context no conversion runs on; NULL is ignored. */
void OrvexDecode_context_free(decode_context* context);

/* The same conversions on the caller's context, with the same results. */

int OrvexDecode_context_LOG_to_XML(decode_context* context, const analog_input_const* constants,
                                   const library_options* options, FILE* input, FILE* output, FILE* debug,
                                   const char* description);
int OrvexDecode_context_LOG_to_KML(decode_context* context, const analog_input_const* constants,
                                   const library_options* options, FILE* input, FILE* output, FILE* debug,
                                   const char* description);
int OrvexDecode_context_LOG_to_XML_and_KML(decode_context* context, const analog_input_const* constants,
                                           const library_options* options, FILE* input, FILE* xml_output,
                                           FILE* kml_output, FILE* debug, const char* description);
int OrvexDecode_context_LOG_to_FRC(decode_context* context, const analog_input_const* constants,
                                   const library_options* options, FILE* input, FILE* output, FILE* debug);
int OrvexDecode_context_LOG_to_FRC_binary(decode_context* context, const analog_input_const* constants,
                                          const library_options* options, FILE* input, FILE* output, FILE* debug);

/* What the last conversion on a context found in the LOG: records read whole and records the
 * reader dropped, and the losses a user would want to hear of. The documents never show these;
 * the front ends may report them. */
typedef struct orvex_log_health {
  uint64_t bytes_read;                 /* bytes taken from the input */
  uint64_t records_read;               /* records read whole (every source type) */
  uint64_t unknown_source_records;     /* records of a type the LOG format does not define */
  uint64_t dropped_zero_length;        /* records with length 0 */
  uint64_t dropped_oversized;          /* records longer than 255 bytes, skipped whole */
  uint64_t dropped_truncated;          /* a record cut short by the end of the input (0 or 1) */
  uint64_t first_drop_offsets[4];      /* byte offsets of the first dropped records */
  uint64_t largest_skip;               /* payload bytes of the longest oversized record */
  uint64_t largest_skip_offset;        /* its byte offset */
  int32_t input_error;                 /* 1 when reading stopped on a read error, not at the end */
  int32_t gps_sentence_buffer_full[2]; /* 1 when a port's buffer filled without an end of sentence */
  int32_t path_point_limit_reached;    /* 1 when the flight path filled its 8192 points */
} orvex_log_health;

/* The health of the last conversion run on context (all zero before the first, and for a NULL
 * context). Read it on the thread that ran the conversion, or after it returned. */
orvex_log_health OrvexDecode_context_health(const decode_context* context);

#ifdef __cplusplus
}
#endif

#endif
