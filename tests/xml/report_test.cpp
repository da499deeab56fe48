#include <gtest/gtest.h>

#include "support/capture.h"

TEST(XmlReport, EmptyInputGivesSkeleton) {
  const std::string doc = mask_decode_time(decode_xml("", default_options()));
  EXPECT_NE(doc.find("<orvex_efis_decode prog=\"OrvexDecode_CmdLine 2.24\""), std::string::npos);
  EXPECT_NE(doc.find("</orvex_efis_decode>\n"), std::string::npos);
}
