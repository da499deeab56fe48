<?xml version="1.0" encoding="UTF-8"?>
<!--
  OrvexDecode.summary_xml2html.xsl: turns an OrvexDecode XML report into one self-contained
  HTML page (inline style, no external resources), for the screen and for print.

    xsltproc OrvexDecode.summary_xml2html.xsl flight.xml > flight.html

  The page shows the report's header, the options and analog input constants it was made
  with, one table row per periodic summary and the selected records grouped by source.

  XSLT 1.0 only. Every row is built from its own element and a few keyed look-ups, so the
  work grows with the size of the report (a one-hour report holds 3600 summaries).
  Timestamps in the report are LOG milliseconds; the page shows seconds. A summary that
  lacks a source leaves that source's cells empty. Text items of GPS fixes are right-aligned
  with blanks in the report and are shown without them.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">

  <xsl:output method="html" encoding="UTF-8" doctype-system="about:legacy-compat" indent="yes"/>
  <xsl:strip-space elements="*"/>

  <!-- Selected records by source, and by AHRS message type within the AHRS source. -->
  <xsl:key name="records" match="orvex_efis_log_entry"
           use="concat(@source_type_desc, '/', ahrs_log_entry/@source_type_desc)"/>

  <xsl:variable name="eis_group" select="'EIS_Input/'"/>
  <xsl:variable name="ahrs_hr_group" select="'AHRS_Input/AHRS_High_Rate'"/>
  <xsl:variable name="ahrs_lr_group" select="'AHRS_Input/AHRS_Low_Rate'"/>
  <xsl:variable name="analog_group" select="'ANALOG_Input/'"/>
  <xsl:variable name="set_menu_group" select="'Set_Menu/'"/>

  <xsl:template match="/">
    <html lang="en">
      <head>
        <title>
          <xsl:text>OrvexDecode report</xsl:text>
          <xsl:if test="normalize-space(orvex_efis_decode/@description) != ''">
            <xsl:value-of select="concat(': ', orvex_efis_decode/@description)"/>
          </xsl:if>
        </title>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <style>
          <xsl:call-template name="style"/>
        </style>
      </head>
      <body>
        <xsl:apply-templates select="orvex_efis_decode"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template name="style">
body { font-family: system-ui, "DejaVu Sans", Arial, sans-serif; font-size: 14px; color: #1a1a1a; background: #fff; margin: 1.5em; }
h1 { font-size: 1.5em; margin: 0 0 0.4em; }
h2 { font-size: 1.2em; margin: 1.6em 0 0.5em; border-bottom: 1px solid #bbb; padding-bottom: 0.2em; }
h3 { font-size: 1.05em; margin: 1.2em 0 0.4em; }
p.note { color: #555; margin: 0.3em 0; }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; }
th, td { border: 1px solid #ccc; padding: 0.15em 0.45em; }
th { background: #eef1f5; font-weight: 600; }
td { text-align: right; white-space: nowrap; }
td.text, th.name { text-align: left; }
tbody tr:nth-child(even) td { background: #f7f8fa; }
table.facts th { text-align: left; }
table.facts td { text-align: left; white-space: normal; }
table.small { font-size: 0.85em; }
div.blocks { display: flex; flex-wrap: wrap; gap: 0 2.5em; align-items: flex-start; }
table.data { font-size: 0.8em; }
table.data thead th { position: sticky; top: 0; z-index: 1; }
table.data thead tr + tr th { top: 1.5em; }
ul.groups { margin: 0.3em 0; padding-left: 1.4em; }
@page { size: landscape; margin: 10mm; }
@media print {
  body { margin: 0; font-size: 9pt; }
  table.data { font-size: 7pt; }
  table.data thead th { position: static; }
  tr { break-inside: avoid; }
  h2, h3 { break-after: avoid; }
  tbody tr:nth-child(even) td { background: none; }
}
</xsl:template>

  <!-- ==== The page ============================================================================ -->

  <xsl:template match="orvex_efis_decode">
    <xsl:variable name="summaries" select="summary_log_entry"/>
    <xsl:variable name="records" select="orvex_efis_log_entry"/>
    <div class="header">
      <h1>OrvexDecode report</h1>
      <table class="facts small">
        <tr><th>LOG</th><td><xsl:value-of select="@description"/></td></tr>
        <tr><th>Decoded</th><td><xsl:value-of select="normalize-space(@decode_timestamp)"/></td></tr>
        <tr><th>Program</th><td><xsl:value-of select="@prog"/></td></tr>
        <tr><th>Library version</th><td><xsl:value-of select="@lib_version"/></td></tr>
        <tr>
          <th>Contents</th>
          <td>
            <a href="#summaries"><xsl:value-of select="count($summaries)"/> summaries</a>
            <xsl:text>, </xsl:text>
            <a href="#records"><xsl:value-of select="count($records)"/> selected records</a>
          </td>
        </tr>
      </table>
    </div>

    <div class="blocks">
      <xsl:apply-templates select="library_options"/>
      <xsl:apply-templates select="analog_input_constants"/>
    </div>

    <div class="section" id="summaries">
      <h2>Periodic summaries</h2>
      <xsl:choose>
        <xsl:when test="$summaries">
          <p class="note">
            <xsl:text>One row per summary: the latest value of each source at that time. </xsl:text>
            <xsl:text>Time is the latest source timestamp of the summary in seconds of the LOG; </xsl:text>
            <xsl:text>an empty cell is a source the summary does not hold.</xsl:text>
          </p>
          <xsl:call-template name="summary_table">
            <xsl:with-param name="summaries" select="$summaries"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:otherwise>
          <p class="note">The report holds no summaries.</p>
        </xsl:otherwise>
      </xsl:choose>
    </div>

    <div class="section" id="records">
      <h2>Selected records</h2>
      <xsl:choose>
        <xsl:when test="$records">
          <xsl:call-template name="selected_records"/>
        </xsl:when>
        <xsl:otherwise>
          <p class="note">The report holds no selected records.</p>
        </xsl:otherwise>
      </xsl:choose>
      <xsl:if test="unknown_entry_type">
        <p class="note">
          <xsl:value-of select="count(unknown_entry_type)"/>
          <xsl:text> records of an unknown source type.</xsl:text>
        </p>
      </xsl:if>
    </div>
  </xsl:template>

  <!-- ==== Options and constants =============================================================== -->

  <xsl:template match="library_options">
    <div class="section" id="options">
      <h2>Options</h2>
      <!-- Three options a row; the stylesheet reference, long, has a row of its own. -->
      <xsl:variable name="options"
          select="*[starts-with(name(), 'library_options_')][not(self::library_options_xsl_stylesheet)]"/>
      <table class="facts small">
        <xsl:for-each select="$options[position() mod 3 = 1]">
          <tr>
            <xsl:apply-templates select="." mode="option"/>
            <xsl:apply-templates select="following-sibling::*[position() &lt; 3][not(self::library_options_xsl_stylesheet)]"
                                 mode="option"/>
          </tr>
        </xsl:for-each>
        <xsl:for-each select="library_options_xsl_stylesheet">
          <tr>
            <th class="name">xsl_stylesheet</th>
            <td colspan="5"><xsl:value-of select="normalize-space(.)"/></td>
          </tr>
        </xsl:for-each>
      </table>
    </div>
  </xsl:template>

  <xsl:template match="*" mode="option">
    <th class="name"><xsl:value-of select="substring-after(name(), 'library_options_')"/></th>
    <td><xsl:apply-templates select="." mode="option_value"/></td>
  </xsl:template>

  <!-- Switches read on or off; the numbers and texts are shown as they are. -->
  <xsl:template match="*" mode="option_value">
    <xsl:variable name="value" select="normalize-space(.)"/>
    <xsl:choose>
      <xsl:when test="$value = '0'">off</xsl:when>
      <xsl:when test="$value = '1'">on</xsl:when>
      <xsl:otherwise><xsl:value-of select="$value"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="library_options_summary_deciseconds" mode="option_value">
    <xsl:value-of select="normalize-space(.)"/>
    <xsl:if test="number(.) = number(.)">
      <xsl:value-of select="concat(' (', format-number(. div 10, '0.0'), ' s)')"/>
    </xsl:if>
  </xsl:template>

  <xsl:template match="library_options_gps_1_type | library_options_gps_2_type" mode="option_value">
    <xsl:variable name="value" select="normalize-space(.)"/>
    <xsl:value-of select="$value"/>
    <xsl:choose>
      <xsl:when test="$value = '0'"> (not read)</xsl:when>
      <xsl:when test="$value = '1'"> (aviation)</xsl:when>
      <xsl:when test="$value = '2'"> (NMEA)</xsl:when>
      <xsl:when test="$value = '3'"> (aviation, by STX)</xsl:when>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="analog_input_constants">
    <div class="section" id="constants">
      <h2>Analog input constants</h2>
      <table class="facts small">
        <xsl:for-each select="*">
          <tr>
            <th class="name">
              <xsl:choose>
                <xsl:when test="substring(name(), string-length(name()) - 8) = '_constant'">
                  <xsl:value-of select="substring(name(), 1, string-length(name()) - 9)"/>
                </xsl:when>
                <xsl:otherwise><xsl:value-of select="name()"/></xsl:otherwise>
              </xsl:choose>
            </th>
            <td><xsl:value-of select="normalize-space(.)"/></td>
          </tr>
        </xsl:for-each>
      </table>
    </div>
  </xsl:template>

  <!-- ==== Periodic summaries ================================================================== -->

  <xsl:template name="summary_table">
    <xsl:param name="summaries"/>
    <table class="data" id="summary_table">
      <thead>
        <tr>
          <th rowspan="2">Time (s)</th>
          <th colspan="2">GPS 1 position</th>
          <th colspan="2">Altitude (ft)</th>
          <th rowspan="2">Airspeed (kt)</th>
          <xsl:call-template name="engine_group_headings"/>
        </tr>
        <tr>
          <th>Latitude</th>
          <th>Longitude</th>
          <th>Pressure</th>
          <th>EIS</th>
          <xsl:call-template name="engine_headings"/>
        </tr>
      </thead>
      <tbody>
        <xsl:apply-templates select="$summaries"/>
      </tbody>
    </table>
  </xsl:template>

  <xsl:template match="summary_log_entry">
    <xsl:variable name="eis" select="eis_log_entry"/>
    <xsl:variable name="hr" select="ahrs_log_entry/ahrs_hr_log_entry"/>
    <xsl:variable name="gps" select="gps_1_composite_entry"/>
    <!-- The latest of the source timestamps; 0 is a source not yet received. -->
    <xsl:variable name="times" select="@eis_timestamp | @ahrs_hr_timestamp | @ahrs_lr_timestamp | @analog_input_timestamp"/>
    <xsl:variable name="latest" select="$times[not($times &gt; .)][1]"/>
    <tr>
      <td>
        <xsl:if test="$latest != 0">
          <!-- Tenths of a second, half up: summaries are at least a tenth apart. -->
          <xsl:call-template name="seconds">
            <xsl:with-param name="milliseconds" select="round($latest div 100) * 100"/>
            <xsl:with-param name="pattern" select="'0.0'"/>
          </xsl:call-template>
        </xsl:if>
      </td>
      <td><xsl:value-of select="normalize-space($gps/gps_1_latitude_decimal)"/></td>
      <td><xsl:value-of select="normalize-space($gps/gps_1_longitude_decimal)"/></td>
      <td><xsl:value-of select="$hr/pressure_alt"/></td>
      <td><xsl:value-of select="$eis/altitude"/></td>
      <td><xsl:value-of select="$hr/asi/knots"/></td>
      <xsl:call-template name="engine_cells">
        <xsl:with-param name="eis" select="$eis"/>
      </xsl:call-template>
    </tr>
  </xsl:template>

  <!-- The engine columns, shared by the summaries and the EIS records. -->
  <xsl:template name="engine_group_headings">
    <th rowspan="2">RPM</th>
    <th colspan="6">CHT</th>
    <th colspan="6">EGT</th>
    <th colspan="2">Oil</th>
    <th colspan="2">Fuel</th>
    <th rowspan="2">Volts</th>
  </xsl:template>

  <xsl:template name="engine_headings">
    <th>1</th><th>2</th><th>3</th><th>4</th><th>5</th><th>6</th>
    <th>1</th><th>2</th><th>3</th><th>4</th><th>5</th><th>6</th>
    <th>Temp</th>
    <th>psi</th>
    <th>Qty</th>
    <th>Flow</th>
  </xsl:template>

  <xsl:template name="engine_cells">
    <xsl:param name="eis"/>
    <td><xsl:value-of select="$eis/tachometer"/></td>
    <td><xsl:value-of select="$eis/chttemp1"/></td>
    <td><xsl:value-of select="$eis/chttemp2"/></td>
    <td><xsl:value-of select="$eis/chttemp3"/></td>
    <td><xsl:value-of select="$eis/chttemp4"/></td>
    <td><xsl:value-of select="$eis/chttemp5"/></td>
    <td><xsl:value-of select="$eis/chttemp6"/></td>
    <td><xsl:value-of select="$eis/egttemp1"/></td>
    <td><xsl:value-of select="$eis/egttemp2"/></td>
    <td><xsl:value-of select="$eis/egttemp3"/></td>
    <td><xsl:value-of select="$eis/egttemp4"/></td>
    <td><xsl:value-of select="$eis/egttemp5"/></td>
    <td><xsl:value-of select="$eis/egttemp6"/></td>
    <td><xsl:value-of select="$eis/oiltemp"/></td>
    <td><xsl:value-of select="$eis/oilpressure"/></td>
    <td><xsl:value-of select="$eis/fuelqty"/></td>
    <td><xsl:value-of select="$eis/fuelflow"/></td>
    <td><xsl:value-of select="$eis/primaryvoltage"/></td>
  </xsl:template>

  <!-- ==== Selected records ==================================================================== -->

  <xsl:template name="selected_records">
    <xsl:variable name="eis" select="key('records', $eis_group)"/>
    <xsl:variable name="ahrs_hr" select="key('records', $ahrs_hr_group)"/>
    <xsl:variable name="ahrs_lr" select="key('records', $ahrs_lr_group)"/>
    <xsl:variable name="analog" select="key('records', $analog_group)"/>
    <xsl:variable name="set_menu" select="key('records', $set_menu_group)"/>
    <xsl:variable name="other_count"
        select="count(orvex_efis_log_entry) - count($eis) - count($ahrs_hr) - count($ahrs_lr) - count($analog) - count($set_menu)"/>
    <ul class="groups">
      <xsl:if test="$eis"><li><a href="#records_eis">Engine monitor (EIS)</a>: <xsl:value-of select="count($eis)"/></li></xsl:if>
      <xsl:if test="$ahrs_hr"><li><a href="#records_ahrs_hr">AHRS high rate</a>: <xsl:value-of select="count($ahrs_hr)"/></li></xsl:if>
      <xsl:if test="$ahrs_lr"><li><a href="#records_ahrs_lr">AHRS low rate</a>: <xsl:value-of select="count($ahrs_lr)"/></li></xsl:if>
      <xsl:if test="$analog"><li><a href="#records_analog">Analog inputs</a>: <xsl:value-of select="count($analog)"/></li></xsl:if>
      <xsl:if test="$set_menu"><li><a href="#records_set_menu">Settings changes</a>: <xsl:value-of select="count($set_menu)"/></li></xsl:if>
      <xsl:if test="$other_count &gt; 0"><li><a href="#records_other">Other records</a>: <xsl:value-of select="$other_count"/></li></xsl:if>
    </ul>

    <xsl:if test="$eis">
      <h3 id="records_eis">Engine monitor (EIS)</h3>
      <table class="data">
        <thead>
          <tr>
            <th rowspan="2">Time (s)</th>
            <th rowspan="2">Altitude (ft)</th>
            <th rowspan="2">Airspeed</th>
            <xsl:call-template name="engine_group_headings"/>
            <th rowspan="2">Flight timer</th>
          </tr>
          <tr><xsl:call-template name="engine_headings"/></tr>
        </thead>
        <tbody>
          <xsl:for-each select="$eis">
            <tr>
              <xsl:call-template name="record_time"/>
              <td><xsl:value-of select="eis_log_entry/altitude"/></td>
              <td><xsl:value-of select="eis_log_entry/airspeed"/></td>
              <xsl:call-template name="engine_cells">
                <xsl:with-param name="eis" select="eis_log_entry"/>
              </xsl:call-template>
              <td><xsl:value-of select="eis_log_entry/flighttimer"/></td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </xsl:if>

    <xsl:if test="$ahrs_hr">
      <h3 id="records_ahrs_hr">AHRS high rate</h3>
      <table class="data">
        <thead>
          <tr>
            <th>Time (s)</th><th>Roll (°)</th><th>Pitch (°)</th><th>Yaw (°)</th>
            <th>Pressure altitude (ft)</th><th>VSI (fpm)</th><th>Airspeed (kt)</th><th>G</th>
          </tr>
        </thead>
        <tbody>
          <xsl:for-each select="$ahrs_hr">
            <xsl:variable name="v" select="ahrs_log_entry/ahrs_hr_log_entry"/>
            <tr>
              <xsl:call-template name="record_time"/>
              <td><xsl:value-of select="$v/roll_angle"/></td>
              <td><xsl:value-of select="$v/pitch_angle"/></td>
              <td><xsl:value-of select="$v/yaw_angle"/></td>
              <td><xsl:value-of select="$v/pressure_alt"/></td>
              <td><xsl:value-of select="$v/vsi"/></td>
              <td><xsl:value-of select="$v/asi/knots"/></td>
              <td><xsl:value-of select="$v/acceleration/G"/></td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </xsl:if>

    <xsl:if test="$ahrs_lr">
      <h3 id="records_ahrs_lr">AHRS low rate</h3>
      <table class="data">
        <thead>
          <tr>
            <th>Time (s)</th><th>Outside temp (°C)</th><th>Voltage 1</th><th>Voltage 2</th><th>Voltage 3</th>
          </tr>
        </thead>
        <tbody>
          <xsl:for-each select="$ahrs_lr">
            <xsl:variable name="v" select="ahrs_log_entry/ahrs_lr_log_entry"/>
            <tr>
              <xsl:call-template name="record_time"/>
              <td><xsl:value-of select="$v/outsidetemp"/></td>
              <td><xsl:value-of select="$v/voltage_1"/></td>
              <td><xsl:value-of select="$v/voltage_2"/></td>
              <td><xsl:value-of select="$v/voltage_3"/></td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </xsl:if>

    <xsl:if test="$analog">
      <h3 id="records_analog">Analog inputs</h3>
      <table class="data">
        <thead>
          <tr>
            <th>Time (s)</th><th>Voltage 1</th><th>Voltage 2</th><th>Voltage 3</th>
            <th>Localiser</th><th>Localiser flag</th><th>Glide slope</th><th>Glide flag</th>
            <th>Internal temp</th>
          </tr>
        </thead>
        <tbody>
          <xsl:for-each select="$analog">
            <xsl:variable name="v" select="analog_input"/>
            <tr>
              <xsl:call-template name="record_time"/>
              <td><xsl:value-of select="$v/voltage_1"/></td>
              <td><xsl:value-of select="$v/voltage_2"/></td>
              <td><xsl:value-of select="$v/voltage_3"/></td>
              <td><xsl:value-of select="$v/localiser_deviation"/></td>
              <td class="text"><xsl:value-of select="$v/localiser_valid"/></td>
              <td><xsl:value-of select="$v/glide_deviation"/></td>
              <td class="text"><xsl:value-of select="$v/glide_valid"/></td>
              <td><xsl:value-of select="$v/internaltemp"/></td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </xsl:if>

    <xsl:if test="$set_menu">
      <h3 id="records_set_menu">Settings changes</h3>
      <table class="data">
        <thead>
          <tr><th>Time (s)</th><th>Id</th><th>Value</th><th>Setting</th><th>Meaning</th></tr>
        </thead>
        <tbody>
          <xsl:for-each select="$set_menu">
            <xsl:variable name="v" select="set_menu"/>
            <tr>
              <xsl:call-template name="record_time"/>
              <td><xsl:value-of select="$v/id"/></td>
              <td><xsl:value-of select="$v/value"/></td>
              <td class="text"><xsl:value-of select="$v/id_description"/></td>
              <td class="text"><xsl:value-of select="$v/value_description"/></td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </xsl:if>

    <xsl:if test="$other_count &gt; 0">
      <h3 id="records_other">Other records</h3>
      <p class="note">Records of sources whose entries carry no values here: their number and time span.</p>
      <table class="data">
        <thead>
          <tr><th>Source</th><th>AHRS message</th><th>Records</th><th>First (s)</th><th>Last (s)</th></tr>
        </thead>
        <tbody>
          <!-- One key look-up for each group the report can hold; grouping by comparing every
               record with the first of its group would grow with the square of the group. -->
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'GPS1_Input/'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'GPS2_Input/'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'SL30_1_Input/'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'SL30_2_Input/'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'SL40_Input/'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'ARINC_Input/'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'Weather_Input/'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'State/'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'AHRS_Input/User_Calibration'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'AHRS_Input/Maintenance_Message'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'AHRS_Input/Factory_EEPROM_Mode'"/></xsl:call-template>
          <xsl:call-template name="other_group"><xsl:with-param name="group" select="'AHRS_Input/Unknown'"/></xsl:call-template>
          <xsl:variable name="unlisted" select="$other_count
              - count(key('records', 'GPS1_Input/')) - count(key('records', 'GPS2_Input/'))
              - count(key('records', 'SL30_1_Input/')) - count(key('records', 'SL30_2_Input/'))
              - count(key('records', 'SL40_Input/')) - count(key('records', 'ARINC_Input/'))
              - count(key('records', 'Weather_Input/')) - count(key('records', 'State/'))
              - count(key('records', 'AHRS_Input/User_Calibration')) - count(key('records', 'AHRS_Input/Maintenance_Message'))
              - count(key('records', 'AHRS_Input/Factory_EEPROM_Mode')) - count(key('records', 'AHRS_Input/Unknown'))"/>
          <xsl:if test="$unlisted &gt; 0">
            <tr>
              <td class="text">any other</td>
              <td></td>
              <td><xsl:value-of select="$unlisted"/></td>
              <td></td>
              <td></td>
            </tr>
          </xsl:if>
        </tbody>
      </table>
    </xsl:if>
  </xsl:template>

  <!-- A row of the other records: one source (and AHRS message type), when the report holds it. -->
  <xsl:template name="other_group">
    <xsl:param name="group"/>
    <xsl:variable name="records" select="key('records', $group)"/>
    <xsl:if test="$records">
      <tr>
        <td class="text"><xsl:value-of select="substring-before($group, '/')"/></td>
        <td class="text"><xsl:value-of select="substring-after($group, '/')"/></td>
        <td><xsl:value-of select="count($records)"/></td>
        <xsl:for-each select="$records[1]"><xsl:call-template name="record_time"/></xsl:for-each>
        <xsl:for-each select="$records[last()]"><xsl:call-template name="record_time"/></xsl:for-each>
      </tr>
    </xsl:if>
  </xsl:template>

  <!-- ==== Helpers ============================================================================= -->

  <!-- The cell of a record's timestamp, in seconds to the millisecond. -->
  <xsl:template name="record_time">
    <td>
      <xsl:call-template name="seconds">
        <xsl:with-param name="milliseconds" select="@timestamp"/>
        <xsl:with-param name="pattern" select="'0.000'"/>
      </xsl:call-template>
    </td>
  </xsl:template>

  <!-- LOG milliseconds as seconds; a text that is not a number is shown as it is. -->
  <xsl:template name="seconds">
    <xsl:param name="milliseconds"/>
    <xsl:param name="pattern"/>
    <xsl:choose>
      <xsl:when test="number($milliseconds) = number($milliseconds)">
        <xsl:value-of select="format-number($milliseconds div 1000, $pattern)"/>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$milliseconds"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

</xsl:stylesheet>
