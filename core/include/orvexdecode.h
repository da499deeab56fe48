// OrvexDecode decoder library: turns an EFIS flight LOG into an XML report, a KML flight path
// or tab-separated track files. Every entry point reads its input stream from the current
// position to the end, writes its whole document to the output stream and never closes either.
// The library keeps its state in process-wide records: the entry points are not reentrant.
#pragma once

#include <cstdint>
#include <cstdio>

// Decoder options. Every field but the two texts is 0 = off, 1 = on unless noted.
struct library_options {
  std::int32_t verbose;
  std::int32_t debug;
  std::int32_t summary;
  std::int32_t summary_deciseconds;  // summary period; 100 timestamp units per decisecond
  std::int32_t constants;
  std::int32_t ahrs;
  std::int32_t ahrs_hr;
  std::int32_t ahrs_lr;
  std::int32_t eis;
  std::int32_t gps_1;
  std::int32_t gps_1_type;  // 1 aviation, 2 NMEA, 3 aviation framed by STX; other: port ignored
  std::int32_t gps_2;
  std::int32_t gps_2_type;
  std::int32_t analog;
  std::int32_t set_menu;
  std::int32_t state;
  std::int32_t arinc;
  std::int32_t weather;
  std::int32_t sl30_1;
  std::int32_t sl30_2;
  std::int32_t sl40;
  char xsl_stylesheet[255];
  char prog[255];
};

// Analog input scale factors, single precision as the EFIS stores them.
struct analog_input_const {
  float PWR_MON_SF;
  float REF_5V;
  float LOC_ZERO;
  float LOC_SF;
  float GS_ZERO;
  float GS_SF;
  float ANALOG_8_SF;
};

// The XML report. Returns the result of the last write (negative when a write failed).
int OrvexDecode_LOG_to_XML(const analog_input_const* constants, const library_options* options,
                           FILE* input, FILE* output, FILE* debug, const char* description);

// The KML flight path with both wingtip lines.
int OrvexDecode_LOG_to_KML(const analog_input_const* constants, const library_options* options,
                           FILE* input, FILE* output, FILE* debug, const char* description);

// Tab-separated track between "BOF" and "EOF" lines.
int OrvexDecode_LOG_to_FRC(const analog_input_const* constants, const library_options* options,
                           FILE* input, FILE* output, FILE* debug);

// The same track with airspeed, engine speed, timestamp and GPS altitude columns in front.
int OrvexDecode_LOG_to_FRC_binary(const analog_input_const* constants,
                                  const library_options* options, FILE* input, FILE* output,
                                  FILE* debug);
