/* OrvexDecode decoder library: turns an EFIS flight LOG into an XML report, a KML flight path
 * or tab-separated track files (the classic conversions below), and into the flight report, the
 * summaries and the exports (the document calls at the end).
 *
 * Every conversion reads its input stream from the current position to the end, writes its
 * whole document to the output stream and never closes either. An input that is a regular file
 * longer than 256 KiB is read up to two blocks ahead on a thread the conversion starts and
 * ends; the stream is the conversion's until it returns. The summaries, the exports and the
 * flight report also work on threads they start and end: while fewer of these documents are
 * made at once in the process, and fewer decode contexts are held, than there are processors it
 * may run on, a summary or the flight report puts the flight phases and engine warnings
 * together on one, and a summary, a CSV or a GPX export reads any regular file ahead on a
 * thread that also assembles the GPS sentences.
 * The four classic entry points
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

#include <stddef.h>
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

/* The document calls: the flight report (HTML), the summary (JSON or text) and each export of
 * orvexdecode-export, one call each on a caller-owned context.
 *
 * Input. An orvex_log_input names a stream (read from its position to its end) or, when stream
 * is NULL, the LOG in memory: size bytes at data (data may be NULL when size is 0). The memory
 * stays the caller's and is only read. The report and the exports read the LOG twice: a stream
 * must then be seekable (a regular file; copy a pipe to a temporary file first).
 *
 * Output. An orvex_document_output names a stream (written, never closed) or, when stream is
 * NULL, a growing buffer: the document is appended to data, which is NULL or a block from
 * malloc() holding size bytes, and is grown with realloc(); a NUL follows the document (not
 * counted in size). The buffer is the caller's, who frees it with free() (OrvexDecode_free, for
 * a caller that has no free() of the same C library), also after a failed call.
 *
 * Results. Each call returns one of ORVEX_DOCUMENT_* (0 when the document was written), or -1
 * with errno EINVAL (a NULL context, input or output, or options of another version), EBUSY or
 * ENOMEM, as the conversions above. result may be NULL; when given it is filled in full. */
enum {
  ORVEX_DOCUMENT_WRITTEN = 0,
  ORVEX_DOCUMENT_READ_FAILED = 1,   /* a read of the LOG failed (result->read_errno) */
  ORVEX_DOCUMENT_NOT_A_LOG = 2,     /* no record of a defined type could be read (result->message) */
  ORVEX_DOCUMENT_REFUSED = 3,       /* the request cannot be met: a flight the LOG lacks, bad limits,
                                       a bad profile or an unknown time zone (message) */
  ORVEX_DOCUMENT_REWIND_FAILED = 4, /* the LOG could not be positioned for its second read (read_errno) */
  ORVEX_DOCUMENT_WRITE_FAILED = 5,  /* a write of the document failed, or no memory for its buffer */
  ORVEX_DOCUMENT_NO_FORMAT = 6,     /* the export format named is not one of the registry */
  ORVEX_DOCUMENT_AIRPORTS_FAILED = 7 /* the airports named could not be read (message) */
};

typedef struct orvex_log_input {
  FILE* stream;     /* NULL: the LOG is in memory */
  const void* data; /* the LOG's bytes when stream is NULL */
  size_t size;
} orvex_log_input;

typedef struct orvex_document_output {
  FILE* stream; /* NULL: the document is appended to data */
  char* data;   /* NULL or from malloc(); the caller frees it */
  size_t size;  /* bytes held in data */
} orvex_document_output;

/* An instant as a user gives it: UTC in milliseconds since 1970, or LOG time in milliseconds. */
typedef struct orvex_time_point {
  int32_t given;  /* 0: no bound */
  int32_t is_utc; /* 1: utc_ms, 0: log_ms */
  int64_t utc_ms;
  uint32_t log_ms;
} orvex_time_point;

#define ORVEX_DOCUMENT_OPTIONS_VERSION 1

/* What the front ends of these documents let a user choose. Start from
 * OrvexDecode_default_document_options() and change what differs; version says which layout of
 * this struct the caller was built with (a later library keeps reading version 1). The texts
 * are the caller's, read during the call only; every pointer may be NULL, which means what its
 * field says (none, or a default). */
typedef struct orvex_document_options {
  int32_t version;               /* ORVEX_DOCUMENT_OPTIONS_VERSION */
  library_options decode;        /* only the GPS ports' sentence formats count */
  analog_input_const constants;
  int32_t flight;                /* 1 for the first detected flight; 0: no flight asked for */
  orvex_time_point from;         /* the stretch's start (included) */
  orvex_time_point to;           /* and end (excluded) */
  uint32_t every_ms;             /* rows', charts' and track's period; 0: the document's own */
  int32_t has_utc_start;         /* 1: utc_start_ms is the UTC of the first record (a LOG without GPS time) */
  int64_t utc_start_ms;
  double engine_rpm, engine_stop_s;             /* flight detection: the engine runs and stops */
  double takeoff_kt, takeoff_s, landing_kt, landing_s; /* airborne and landed */
  double gap_s;                  /* longer gaps in a periodic source are told (summaries) */
  const char* limits_text;       /* an aircraft limits file's text, limits_size bytes */
  size_t limits_size;
  const char* log_name;          /* the LOG as the document names it; NULL: "" */
  const char* window_label;      /* what the report calls the stretch ("flight 2"); NULL: the whole LOG */
  const char* tail;              /* the aircraft's registration for the exports; NULL: the profile's */
  /* The aircraft profile: a profile file's text (profile_size bytes; NULL: the default profile),
   * then profile_setting_count settings over it, one text each ("liftoff_speed = 50"), applied
   * in order as one-line profiles. Its limits are checked but where limits_text gives a limit of
   * the same parameter and condition; the exports take its tail (when tail is NULL) and the aux
   * input carrying manifold pressure. profile_settings may be NULL when the count is 0. */
  const char* profile_text;
  size_t profile_size;
  const char* const* profile_settings;
  size_t profile_setting_count;
  /* The airports of the takeoffs and landings (report, summaries, and the exports gpx, kml and
   * avionics-csv with local_time and no time_zone; the others open none): NULL for the table
   * installed with the library (ORVEXDECODE_AIRPORTS, when set, names another; when none is
   * found the lookups are off and a warning says so), "none" for no lookups, else the path of an
   * airport table or of an airports.csv (its runways.csv beside it). Opened for each call. */
  const char* airports;
  double airport_radius_m;       /* an airport's runways within this distance of the point */
  int32_t heliports;             /* 1: heliports, seaplane bases and balloon ports too */
  int32_t local_time;            /* 1: the avionics CSV's date and time in local time */
  /* Local times in this zone of the system's time-zone data ("America/Los_Angeles", read from
   * $TZDIR or /usr/share/zoneinfo); NULL: each end of a flight in its airport's zone (report,
   * summaries), the departure's (the avionics CSV with local_time). */
  const char* time_zone;
  double cross_country_nm;       /* a landing this far from the departure makes a flight cross-country */
} orvex_document_options;

/* The defaults of the front ends: the decode options of OrvexDecode_default_options with GPS 2
 * read as NMEA, the default constants and detection, no stretch, no limits, the default profile
 * and airport table, a capture radius of 3000 m, UTC in the exports, 50 nm cross-country;
 * every_ms 0 (the exports then write a row a second). */
orvex_document_options OrvexDecode_default_document_options(void);

#define ORVEX_DOCUMENT_MESSAGE_SIZE 1024

typedef struct orvex_document_result {
  int32_t status;     /* the call's return value */
  int32_t read_errno; /* errno of the failed read or seek */
  uint64_t items;     /* an export's rows, track points or samples */
  char message[ORVEX_DOCUMENT_MESSAGE_SIZE];  /* why it failed, NUL-terminated; "" when written */
  char warnings[ORVEX_DOCUMENT_MESSAGE_SIZE]; /* warnings of a written document, each a line ending in \n */
} orvex_document_result;

/* The flight report, one self-contained HTML page (orvexdecode-report). */
int OrvexDecode_context_report_html(decode_context* context, const orvex_document_options* options,
                                    const orvex_log_input* input, orvex_document_output* output,
                                    orvex_document_result* result);

/* The summary of the LOG as one JSON line (orvexdecode-info --json) or as text (orvexdecode-info). */
int OrvexDecode_context_summary_json(decode_context* context, const orvex_document_options* options,
                                     const orvex_log_input* input, orvex_document_output* output,
                                     orvex_document_result* result);
int OrvexDecode_context_summary_text(decode_context* context, const orvex_document_options* options,
                                     const orvex_log_input* input, orvex_document_output* output,
                                     orvex_document_result* result);

/* An export of orvexdecode-export, format named as it names it ("csv", "avionics-csv", "gpx",
 * "kml"); OrvexDecode_export_format(i) gives the i-th name, NULL past the last. The logbook,
 * which takes the flights of several LOGs, is not among them. */
int OrvexDecode_context_export(decode_context* context, const char* format, const orvex_document_options* options,
                               const orvex_log_input* input, orvex_document_output* output,
                               orvex_document_result* result);
const char* OrvexDecode_export_format(int index);

/* Checks what the options name without a LOG, as the calls read it: the time zone, the
 * profile, the limits and the airports, in that order. Returns ORVEX_DOCUMENT_WRITTEN when all
 * are sound (a default airport table that is missing is then a warning), else
 * ORVEX_DOCUMENT_REFUSED ("time zone: ...", "profile line N: ...", "profile setting: ERROR:
 * SETTING", "limits line N: ...") or ORVEX_DOCUMENT_AIRPORTS_FAILED with result->message; -1
 * with errno EINVAL for NULL options or options of another version. result may be NULL. */
int OrvexDecode_check_document_options(const orvex_document_options* options, orvex_document_result* result);

/* free() of the library's C library, for a buffer an orvex_document_output received. */
void OrvexDecode_free(void* data);

#ifdef __cplusplus
}
#endif

#endif
