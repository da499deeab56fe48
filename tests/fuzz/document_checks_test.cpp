// The fuzz target's document checks find what they are there to find: a checker that passed
// everything would let every damaged document through.
#include <gtest/gtest.h>

#include <string>

#include "fuzz/document_checks.h"

TEST(DocumentChecks, EachCheckRefusesTheFaultItLooksFor) {
  using check = std::string (*)(const std::string&);
  const struct {
    check run;
    std::string good, bad;
  } rows[] = {
      {csv_cell_count_error, "a,b\n1,\"x,\"\"y\"\"\nz\"\n", "a,b\n1,2,3\n"},
      {csv_cell_count_error, "a\n\n", "a,b\n1,\"2\n"},
      {html_markup_error, "<!DOCTYPE html><p>a<br><svg><path d=\"M0 0\"/></svg><script>if(a<b)x='</p>'</script></p>",
       "<div><p></div></p>"},
      {html_markup_error, "<p title=\"a>b\">x</p>", "<p>x"},
      {gpx_error,
       "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\" creator=\"t\"><trk><trkseg>"
       "<trkpt lat=\"90\" lon=\"-180\"/></trkseg></trk></gpx>",
       "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\" creator=\"t\"><trk><trkseg>"
       "<trkpt lat=\"100.67\" lon=\"10\"/></trkseg></trk></gpx>"},
      {json_summary_error, "", "{\"schema_version\":1}\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.bad);
    if (!r.good.empty()) {
      EXPECT_EQ(r.run(r.good), "");
    }
    EXPECT_NE(r.run(r.bad), "");
  }
}
