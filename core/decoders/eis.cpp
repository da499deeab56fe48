// EIS engine snapshot: two tachometers, six CHT and six EGT, oil, coolant, carburettor, outside
// and unit temperatures, fuel, air data, timers and six auxiliary inputs in one 73-byte payload.
#include "decoders/eis.h"

#include <array>

#include "records/byte_order.h"
#include "records/library_state.h"
#include "xml/fixed_format.h"

namespace {

namespace f = eis_log_entry;

// Every big-endian 16-bit field of the payload; nothing else changes in the conversion.
constexpr std::array<std::uint8_t, 29> eis_u16_offsets = {
    f::tachometer,
    f::chttemp(1), f::chttemp(2), f::chttemp(3), f::chttemp(4), f::chttemp(5), f::chttemp(6),
    f::egttemp(1), f::egttemp(2), f::egttemp(3), f::egttemp(4), f::egttemp(5), f::egttemp(6),
    f::aux5, f::aux6,
    f::airspeed, f::altitude, f::primaryvoltage, f::fuelflow,
    f::oiltemp,
    f::aux1_to_4(1), f::aux1_to_4(2), f::aux1_to_4(3), f::aux1_to_4(4),
    f::coolanttemp, f::elapsed_time, f::fuelqty,
    f::baroset, f::tachometer_2,
};

static_assert(f::egttemp(6) + 2 == f::aux5 && f::aux1_to_4(4) + 2 == f::coolanttemp,
              "the temperature and auxiliary runs end where the next field begins");
static_assert(f::checksum + 1 == f::size);

}  // namespace

void swapendian_eis_log_entry(std::uint8_t* payload) { swap16_fields(payload, eis_u16_offsets); }

int print_xml_eis_log_entry(const std::uint8_t* p) {
  output_writer& out = lib.out;
  const bool verbose = lib.options.verbose != 0;

  out.text("\t<eis_log_entry>\n");
  if (verbose) {
    out.line(OUT_FORMAT("\t\t\t<verboseinfo checksum=\"{}\"/>\n"), int{u8_at(p, f::checksum)});
  }

  out.line(OUT_FORMAT("\t\t<chttemp1>{}</chttemp1>\n"), u16_at(p, f::chttemp(1)));
  out.line(OUT_FORMAT("\t\t<chttemp2>{}</chttemp2>\n"), u16_at(p, f::chttemp(2)));
  out.line(OUT_FORMAT("\t\t<chttemp3>{}</chttemp3>\n"), u16_at(p, f::chttemp(3)));
  out.line(OUT_FORMAT("\t\t<chttemp4>{}</chttemp4>\n"), u16_at(p, f::chttemp(4)));
  out.line(OUT_FORMAT("\t\t<chttemp5>{}</chttemp5>\n"), u16_at(p, f::chttemp(5)));
  out.line(OUT_FORMAT("\t\t<chttemp6>{}</chttemp6>\n"), u16_at(p, f::chttemp(6)));
  out.line(OUT_FORMAT("\t\t<egttemp1>{}</egttemp1>\n"), u16_at(p, f::egttemp(1)));
  out.line(OUT_FORMAT("\t\t<egttemp2>{}</egttemp2>\n"), u16_at(p, f::egttemp(2)));
  out.line(OUT_FORMAT("\t\t<egttemp3>{}</egttemp3>\n"), u16_at(p, f::egttemp(3)));
  out.line(OUT_FORMAT("\t\t<egttemp4>{}</egttemp4>\n"), u16_at(p, f::egttemp(4)));
  out.line(OUT_FORMAT("\t\t<egttemp5>{}</egttemp5>\n"), u16_at(p, f::egttemp(5)));
  out.line(OUT_FORMAT("\t\t<egttemp6>{}</egttemp6>\n"), u16_at(p, f::egttemp(6)));

  // The auxiliary inputs are raw values, printed whatever the verbose option says.
  out.line(OUT_FORMAT("\t\t<aux1_raw>{}</aux1_raw>\n"), s16_at(p, f::aux1_to_4(1)));
  out.line(OUT_FORMAT("\t\t<aux2_raw>{}</aux2_raw>\n"), s16_at(p, f::aux1_to_4(2)));
  out.line(OUT_FORMAT("\t\t<aux3_raw>{}</aux3_raw>\n"), s16_at(p, f::aux1_to_4(3)));
  out.line(OUT_FORMAT("\t\t<aux4_raw>{}</aux4_raw>\n"), s16_at(p, f::aux1_to_4(4)));
  out.line(OUT_FORMAT("\t\t<aux5_raw>{}</aux5_raw>\n"), s16_at(p, f::aux5));
  out.line(OUT_FORMAT("\t\t<aux6_raw>{}</aux6_raw>\n"), s16_at(p, f::aux6));

  const std::uint16_t altitude = u16_at(p, f::altitude);
  const std::int8_t rateofclimb = s8_at(p, f::rateofclimb);
  const std::uint8_t outsidetemp = u8_at(p, f::outsidetemp);
  const std::uint16_t fuelqty = u16_at(p, f::fuelqty);
  const std::uint16_t fuelflow = u16_at(p, f::fuelflow);
  const std::uint16_t elapsed_time = u16_at(p, f::elapsed_time);
  const std::uint16_t baroset = u16_at(p, f::baroset);
  const int timer_h = u8_at(p, f::flighttimer_hours);
  const int timer_m = u8_at(p, f::flighttimer_mins);
  const int timer_s = u8_at(p, f::flighttimer_secs);
  const int endurance_h = u8_at(p, f::fuelendurance_hours);
  const int endurance_m = u8_at(p, f::fuelendurance_mins);

  out.line(OUT_FORMAT("\t\t<tachometer unit=\"rpm\">{}</tachometer>\n"), u16_at(p, f::tachometer));
  out.line(OUT_FORMAT("\t\t<tachometer_2 unit=\"rpm\">{}</tachometer_2>\n"),
           u16_at(p, f::tachometer_2));
  out.line(OUT_FORMAT("\t\t<primaryvoltage>{}</primaryvoltage>\n"),
           fixed(u16_at(p, f::primaryvoltage) / 10.0, 1));
  out.line(OUT_FORMAT("\t\t<airspeed>{}</airspeed>\n"), u16_at(p, f::airspeed));
  // Tens of feet: the product is taken in int, so 65535 gives 655350 rather than a wrapped value.
  out.line(OUT_FORMAT("\t\t<altitude unit=\"feet\">{}</altitude>\n"), int{altitude} * 10);
  out.line(OUT_FORMAT("\t\t<rateofclimb unit=\"fpm\">{:+}</rateofclimb>\n"), int{rateofclimb} * 100);
  out.line(OUT_FORMAT("\t\t<oiltemp>{}</oiltemp>\n"), u16_at(p, f::oiltemp));
  out.line(OUT_FORMAT("\t\t<oilpressure unit=\"psi\">{}</oilpressure>\n"),
           int{u8_at(p, f::oilpressure)});
  out.line(OUT_FORMAT("\t\t<coolanttemp>{}</coolanttemp>\n"), u16_at(p, f::coolanttemp));
  out.line(OUT_FORMAT("\t\t<carbtemp>{:+}</carbtemp>\n"), int{s8_at(p, f::carbtemp)});
  out.line(OUT_FORMAT("\t\t<outsidetemp>{:+}</outsidetemp>\n"), int{outsidetemp} - 50);
  out.line(OUT_FORMAT("\t\t<flighttimer hours=\"{:02}\" mins=\"{:02}\" secs=\"{:02}\">"
                       "{:02}:{:02}:{:02}</flighttimer>\n"),
           timer_h, timer_m, timer_s, timer_h, timer_m, timer_s);
  out.line(OUT_FORMAT("\t\t<fuelqty>{}</fuelqty>\n"), fixed(fuelqty / 10.0, 1));
  out.line(OUT_FORMAT("\t\t<fuelflow>{}</fuelflow>\n"), fixed(fuelflow / 10.0, 1));
  out.line(OUT_FORMAT("\t\t<elapsed_time unit=\"hours\">{}</elapsed_time>\n"),
           fixed(elapsed_time / 10.0, 2));
  out.line(OUT_FORMAT("\t\t<fuelendurance hours=\"{}\" mins=\"{}\">{}:{}</fuelendurance>\n"),
           endurance_h, endurance_m, endurance_h, endurance_m);
  out.line(OUT_FORMAT("\t\t<unittemp>{}</unittemp>\n"), int{u8_at(p, f::unittemp)});
  out.line(OUT_FORMAT("\t\t<baroset unit=\"HG\">{}</baroset>\n"), fixed(baroset / 100.0, 2));

  if (verbose) {
    // Raw values of the scaled fields (the primary voltage has none).
    out.line(OUT_FORMAT("\t\t<altitude_raw>{}</altitude_raw>\n"), altitude);
    out.line(OUT_FORMAT("\t\t<fuelqty_raw>{}</fuelqty_raw>\n"), fuelqty);
    out.line(OUT_FORMAT("\t\t<fuelflow_raw>{}</fuelflow_raw>\n"), fuelflow);
    out.line(OUT_FORMAT("\t\t<elapsed_time_raw>{}</elapsed_time_raw>\n"), elapsed_time);
    out.line(OUT_FORMAT("\t\t<baroset_raw>{}</baroset_raw>\n"), baroset);
    out.line(OUT_FORMAT("\t\t<outsidetemp_raw>{}</outsidetemp_raw>\n"), int{outsidetemp});
    out.line(OUT_FORMAT("\t\t<rateofclimb_raw>{:+}</rateofclimb_raw>\n"), int{rateofclimb});
  }
  return out.text("\t</eis_log_entry>\n");
}
