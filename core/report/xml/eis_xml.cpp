#include "report/xml/eis_xml.h"

// Tenths and hundredths print exactly from the scaled numbers (the same text as their doubles give).
int print_xml_eis_log_entry(output_writer& out, const eis_values& v, bool verbose) {
  out.text("\t<eis_log_entry>\n");
  if (verbose) out.line(OUT_FORMAT("\t\t\t<verboseinfo checksum=\"{}\"/>\n"), int{v.checksum});

  const int h = v.flight_timer[0];
  const int m = v.flight_timer[1];
  const int s = v.flight_timer[2];
  const int endurance_h = v.fuel_endurance[0];
  const int endurance_m = v.fuel_endurance[1];
  // A few line formats of many lines each: one check of the buffer's room per run.
  out.line(OUT_FORMAT("\t\t<chttemp1>{}</chttemp1>\n"
                      "\t\t<chttemp2>{}</chttemp2>\n"
                      "\t\t<chttemp3>{}</chttemp3>\n"
                      "\t\t<chttemp4>{}</chttemp4>\n"
                      "\t\t<chttemp5>{}</chttemp5>\n"
                      "\t\t<chttemp6>{}</chttemp6>\n"
                      "\t\t<egttemp1>{}</egttemp1>\n"
                      "\t\t<egttemp2>{}</egttemp2>\n"
                      "\t\t<egttemp3>{}</egttemp3>\n"
                      "\t\t<egttemp4>{}</egttemp4>\n"
                      "\t\t<egttemp5>{}</egttemp5>\n"
                      "\t\t<egttemp6>{}</egttemp6>\n"),
           v.cht[0], v.cht[1], v.cht[2], v.cht[3], v.cht[4], v.cht[5], v.egt[0], v.egt[1], v.egt[2], v.egt[3], v.egt[4],
           v.egt[5]);

  // The auxiliary inputs are raw values, printed whatever the verbose option says.
  out.line(OUT_FORMAT("\t\t<aux1_raw>{}</aux1_raw>\n"
                      "\t\t<aux2_raw>{}</aux2_raw>\n"
                      "\t\t<aux3_raw>{}</aux3_raw>\n"
                      "\t\t<aux4_raw>{}</aux4_raw>\n"
                      "\t\t<aux5_raw>{}</aux5_raw>\n"
                      "\t\t<aux6_raw>{}</aux6_raw>\n"
                      "\t\t<tachometer unit=\"rpm\">{}</tachometer>\n"
                      "\t\t<tachometer_2 unit=\"rpm\">{}</tachometer_2>\n"
                      "\t\t<primaryvoltage>{}</primaryvoltage>\n"
                      "\t\t<airspeed>{}</airspeed>\n"
                      "\t\t<altitude unit=\"feet\">{}</altitude>\n"
                      "\t\t<rateofclimb unit=\"fpm\">{:+}</rateofclimb>\n"
                      "\t\t<oiltemp>{}</oiltemp>\n"
                      "\t\t<oilpressure unit=\"psi\">{}</oilpressure>\n"),
           v.aux[0], v.aux[1], v.aux[2], v.aux[3], v.aux[4], v.aux[5], v.rpm, v.rpm_2, decimals(v.volts, 1), v.airspeed,
           v.altitude.whole(), v.vertical_speed.whole(), v.oil_temp, int{v.oil_pressure_psi});
  out.line(OUT_FORMAT("\t\t<coolanttemp>{}</coolanttemp>\n"
                      "\t\t<carbtemp>{:+}</carbtemp>\n"
                      "\t\t<outsidetemp>{:+}</outsidetemp>\n"
                      "\t\t<flighttimer hours=\"{:02}\" mins=\"{:02}\" secs=\"{:02}\">{:02}:{:02}:{:02}</flighttimer>\n"
                      "\t\t<fuelqty>{}</fuelqty>\n"
                      "\t\t<fuelflow>{}</fuelflow>\n"
                      "\t\t<elapsed_time unit=\"hours\">{}</elapsed_time>\n"
                      "\t\t<fuelendurance hours=\"{}\" mins=\"{}\">{}:{}</fuelendurance>\n"
                      "\t\t<unittemp>{}</unittemp>\n"
                      "\t\t<baroset unit=\"HG\">{}</baroset>\n"),
           v.coolant_temp, int{v.carb_temp}, v.outside_temp.whole(), h, m, s, h, m, s, decimals(v.fuel_qty, 1),
           decimals(v.fuel_flow, 1), decimals(v.elapsed_time, 2), endurance_h, endurance_m, endurance_h, endurance_m,
           int{v.unit_temp}, decimals(v.baroset, 2));

  if (verbose) {
    // Raw values of the scaled fields (the primary voltage has none).
    out.line(OUT_FORMAT("\t\t<altitude_raw>{}</altitude_raw>\n"
                        "\t\t<fuelqty_raw>{}</fuelqty_raw>\n"
                        "\t\t<fuelflow_raw>{}</fuelflow_raw>\n"
                        "\t\t<elapsed_time_raw>{}</elapsed_time_raw>\n"
                        "\t\t<baroset_raw>{}</baroset_raw>\n"
                        "\t\t<outsidetemp_raw>{}</outsidetemp_raw>\n"
                        "\t\t<rateofclimb_raw>{:+}</rateofclimb_raw>\n"),
             v.altitude.stored, v.fuel_qty.stored, v.fuel_flow.stored, v.elapsed_time.stored, v.baroset.stored,
             v.outside_temp.stored, v.vertical_speed.stored);
  }
  return out.text("\t</eis_log_entry>\n");
}
