#include "report/xml/eis_xml.h"

// Tenths and hundredths print exactly from the scaled numbers (the same text as their doubles give).
int print_xml_eis_log_entry(output_writer& out, const eis_values& v, bool verbose) {
  out.text("\t<eis_log_entry>\n");
  if (verbose) out.line(OUT_FORMAT("\t\t\t<verboseinfo checksum=\"{}\"/>\n"), int{v.checksum});

  out.line(OUT_FORMAT("\t\t<chttemp1>{}</chttemp1>\n"), v.cht[0]);
  out.line(OUT_FORMAT("\t\t<chttemp2>{}</chttemp2>\n"), v.cht[1]);
  out.line(OUT_FORMAT("\t\t<chttemp3>{}</chttemp3>\n"), v.cht[2]);
  out.line(OUT_FORMAT("\t\t<chttemp4>{}</chttemp4>\n"), v.cht[3]);
  out.line(OUT_FORMAT("\t\t<chttemp5>{}</chttemp5>\n"), v.cht[4]);
  out.line(OUT_FORMAT("\t\t<chttemp6>{}</chttemp6>\n"), v.cht[5]);
  out.line(OUT_FORMAT("\t\t<egttemp1>{}</egttemp1>\n"), v.egt[0]);
  out.line(OUT_FORMAT("\t\t<egttemp2>{}</egttemp2>\n"), v.egt[1]);
  out.line(OUT_FORMAT("\t\t<egttemp3>{}</egttemp3>\n"), v.egt[2]);
  out.line(OUT_FORMAT("\t\t<egttemp4>{}</egttemp4>\n"), v.egt[3]);
  out.line(OUT_FORMAT("\t\t<egttemp5>{}</egttemp5>\n"), v.egt[4]);
  out.line(OUT_FORMAT("\t\t<egttemp6>{}</egttemp6>\n"), v.egt[5]);

  // The auxiliary inputs are raw values, printed whatever the verbose option says.
  out.line(OUT_FORMAT("\t\t<aux1_raw>{}</aux1_raw>\n"), v.aux[0]);
  out.line(OUT_FORMAT("\t\t<aux2_raw>{}</aux2_raw>\n"), v.aux[1]);
  out.line(OUT_FORMAT("\t\t<aux3_raw>{}</aux3_raw>\n"), v.aux[2]);
  out.line(OUT_FORMAT("\t\t<aux4_raw>{}</aux4_raw>\n"), v.aux[3]);
  out.line(OUT_FORMAT("\t\t<aux5_raw>{}</aux5_raw>\n"), v.aux[4]);
  out.line(OUT_FORMAT("\t\t<aux6_raw>{}</aux6_raw>\n"), v.aux[5]);

  out.line(OUT_FORMAT("\t\t<tachometer unit=\"rpm\">{}</tachometer>\n"), v.rpm);
  out.line(OUT_FORMAT("\t\t<tachometer_2 unit=\"rpm\">{}</tachometer_2>\n"), v.rpm_2);
  out.line(OUT_FORMAT("\t\t<primaryvoltage>{}</primaryvoltage>\n"), decimals(v.volts, 1));
  out.line(OUT_FORMAT("\t\t<airspeed>{}</airspeed>\n"), v.airspeed);
  out.line(OUT_FORMAT("\t\t<altitude unit=\"feet\">{}</altitude>\n"), v.altitude.whole());
  out.line(OUT_FORMAT("\t\t<rateofclimb unit=\"fpm\">{:+}</rateofclimb>\n"), v.vertical_speed.whole());
  out.line(OUT_FORMAT("\t\t<oiltemp>{}</oiltemp>\n"), v.oil_temp);
  out.line(OUT_FORMAT("\t\t<oilpressure unit=\"psi\">{}</oilpressure>\n"), int{v.oil_pressure_psi});
  out.line(OUT_FORMAT("\t\t<coolanttemp>{}</coolanttemp>\n"), v.coolant_temp);
  out.line(OUT_FORMAT("\t\t<carbtemp>{:+}</carbtemp>\n"), int{v.carb_temp});
  out.line(OUT_FORMAT("\t\t<outsidetemp>{:+}</outsidetemp>\n"), v.outside_temp.whole());
  const int h = v.flight_timer[0];
  const int m = v.flight_timer[1];
  const int s = v.flight_timer[2];
  out.line(OUT_FORMAT("\t\t<flighttimer hours=\"{:02}\" mins=\"{:02}\" secs=\"{:02}\">"
                      "{:02}:{:02}:{:02}</flighttimer>\n"),
           h, m, s, h, m, s);
  out.line(OUT_FORMAT("\t\t<fuelqty>{}</fuelqty>\n"), decimals(v.fuel_qty, 1));
  out.line(OUT_FORMAT("\t\t<fuelflow>{}</fuelflow>\n"), decimals(v.fuel_flow, 1));
  out.line(OUT_FORMAT("\t\t<elapsed_time unit=\"hours\">{}</elapsed_time>\n"), decimals(v.elapsed_time, 2));
  const int endurance_h = v.fuel_endurance[0];
  const int endurance_m = v.fuel_endurance[1];
  out.line(OUT_FORMAT("\t\t<fuelendurance hours=\"{}\" mins=\"{}\">{}:{}</fuelendurance>\n"), endurance_h, endurance_m,
           endurance_h, endurance_m);
  out.line(OUT_FORMAT("\t\t<unittemp>{}</unittemp>\n"), int{v.unit_temp});
  out.line(OUT_FORMAT("\t\t<baroset unit=\"HG\">{}</baroset>\n"), decimals(v.baroset, 2));

  if (verbose) {
    // Raw values of the scaled fields (the primary voltage has none).
    out.line(OUT_FORMAT("\t\t<altitude_raw>{}</altitude_raw>\n"), v.altitude.stored);
    out.line(OUT_FORMAT("\t\t<fuelqty_raw>{}</fuelqty_raw>\n"), v.fuel_qty.stored);
    out.line(OUT_FORMAT("\t\t<fuelflow_raw>{}</fuelflow_raw>\n"), v.fuel_flow.stored);
    out.line(OUT_FORMAT("\t\t<elapsed_time_raw>{}</elapsed_time_raw>\n"), v.elapsed_time.stored);
    out.line(OUT_FORMAT("\t\t<baroset_raw>{}</baroset_raw>\n"), v.baroset.stored);
    out.line(OUT_FORMAT("\t\t<outsidetemp_raw>{}</outsidetemp_raw>\n"), v.outside_temp.stored);
    out.line(OUT_FORMAT("\t\t<rateofclimb_raw>{:+}</rateofclimb_raw>\n"), v.vertical_speed.stored);
  }
  return out.text("\t</eis_log_entry>\n");
}
