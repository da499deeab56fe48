#include "log_content.h"

#include <memory>
#include <new>

#include "records/record_reader.h"

const char* scan_for_log_records(FILE* input) {
  const std::unique_ptr<record_reader> reader(new (std::nothrow) record_reader);
  if (reader == nullptr) return nullptr;  // no room to look: the export's own pass will tell
  reader->reset(input);
  efis_record record{};
  for (;;) {
    const read_outcome outcome = reader->next(record);
    if (outcome == read_outcome::end) break;
    if (outcome == read_outcome::record && is_known_source_type(record.source_type)) {
      reader->stop_reading();
      return nullptr;
    }
  }
  if (reader->stats().input_error) return nullptr;
  return reader->bytes_read() == 0 ? "empty" : "no record could be read";
}
