#include "report/xml/set_menu_xml.h"

int print_xml_set_menu_entry(output_writer& out, const set_menu_values& v, bool verbose) {
  out.text("\t<set_menu>\n");
  out.line(OUT_FORMAT("\t\t<id>{}</id>\n"), v.id);
  // A whole value is written as an integer; one with a fraction, or one without a 32-bit
  // integer form (infinite, not a number, too large), with six decimals.
  const std::optional<std::int32_t> whole = v.whole_value();
  if (whole && static_cast<double>(*whole) == static_cast<double>(v.value)) {
    out.line(OUT_FORMAT("\t\t<value>{}</value>\n"), *whole);
  } else {
    out.line(OUT_FORMAT("\t\t<value>{}</value>\n"), fixed(static_cast<double>(v.value), 6));
  }
  out.line(OUT_FORMAT("\t\t<id_description>{}</id_description>\n"), v.id_description);
  out.line(OUT_FORMAT("\t\t<value_description>{}</value_description>\n"), v.value_description);
  if (verbose) {
    out.text("\t\t<raw_string>");
    out.escaped(v.raw_text());
    out.text("</raw_string>\n");
  }
  return out.text("\t</set_menu>\n");
}
