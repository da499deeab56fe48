// The command lines of the WebAssembly front end (tools/wasm/orvexdecode.mjs), read as the native
// commands read theirs with the C library's getopt_long: options and operands in any order
// ("--" ends the options), long options by any unambiguous prefix with "--name=value" or
// "--name value", short options grouped ("-dv") with an argument attached or following.
//
// parse_command_line(args) gives a run: { document, fields (library_options to set), input,
// outputs (names, null for standard output, by stream: [, document, second document]),
// description, path_document (the document that holds the flight path, for the warnings) },
// or throws a usage_exit (status, text for standard output or standard error).
import { documents } from './orvexdecode_module.mjs';

export class usage_exit extends Error {
  constructor(status, stderr_text, stdout_text = '') {
    super(stderr_text || stdout_text);
    this.status = status;
    this.stderr_text = stderr_text;
    this.stdout_text = stdout_text;
  }
}

const no_argument = 0;
const required_argument = 1;

// One long option: its argument, and the field it sets to value or the short option it stands for.
const set = (field, value) => ({ has_arg: no_argument, field, value });
const as = (has_arg, short) => ({ has_arg, short });

// orvexdecode's options, in its table's order (the first of an ambiguous prefix wins when all
// the options it names do the same).
const classic_long_options = [
  ['debug', set('debug', 1)], ['nodebug', set('debug', 0)], ['verbose', set('verbose', 1)],
  ['nosummary', set('summary', 0)], ['noverbose', set('verbose', 0)], ['summary', set('summary', 1)],
  ['noconstants', set('constants', 0)], ['constants', set('constants', 1)], ['ahrs', set('ahrs', 1)],
  ['ahrs_hr', set('ahrs_hr', 1)], ['ahrs_lr', set('ahrs_lr', 1)], ['eis', set('eis', 1)],
  ['analog', set('analog', 1)], ['gps_1', set('gps_1', 1)], ['gps_2', set('gps_2', 1)],
  ['gps_1_aviation', set('gps_1_type', 1)], ['gps_1_nmea', set('gps_1_type', 2)],
  ['gps_2_aviation', set('gps_2_type', 1)], ['gps_2_nmea', set('gps_2_type', 2)], ['arinc', set('arinc', 1)],
  ['set_menu', set('set_menu', 1)], ['sl30_1', set('sl30_1', 1)], ['sl30_2', set('sl30_2', 1)],
  ['sl40', set('sl40', 1)], ['weather', set('weather', 1)], ['noahrs', set('ahrs', 0)],
  ['noahrs_hr', set('ahrs_hr', 0)], ['noahrs_lr', set('ahrs_lr', 0)], ['noeis', set('eis', 0)],
  ['noanalog', set('analog', 0)], ['nogps_1', set('gps_1', 0)], ['nogps_2', set('gps_2', 0)],
  ['noarinc', set('arinc', 0)], ['noset_menu', set('set_menu', 0)], ['nosl30_1', set('sl30_1', 0)],
  ['nosl30_2', set('sl30_2', 0)], ['nosl40', set('sl40', 0)], ['noweather', set('weather', 0)],
  ['infile', as(required_argument, 'i')], ['outfile', as(required_argument, 'o')],
  ['kmlfile', as(required_argument, 'k')], ['xslt', as(required_argument, 'x')],
  ['xsl_style_sheet', as(required_argument, 'x')], ['xsl_stylesheet', as(required_argument, 'x')],
  ['summary_period', as(required_argument, 's')], ['version', as(no_argument, '?')],
  ['help', as(no_argument, 'h')],
];
const classic_short_options = 'dvi:o:k:x:h?';

const track_long_options = [
  ['binary', as(no_argument, 'binary')], ['gps_1_aviation', as(no_argument, 'aviation')],
  ['gps_1_nmea', as(no_argument, 'nmea')], ['help', as(no_argument, 'h')], ['version', as(no_argument, 'version')],
];

// getopt_long's reading of args: calls on_option(short or field option, argument) in order
// and returns the operands. An unknown, ambiguous or incomplete option calls on_error(message).
function getopt_long(args, short_options, long_options, on_option, on_error) {
  const operands = [];
  const posix = process.env.POSIXLY_CORRECT !== undefined;
  for (let i = 0; i < args.length; ++i) {
    const arg = args[i];
    if (arg === '--') {
      operands.push(...args.slice(i + 1));
      break;
    }
    if (arg.startsWith('--')) {
      const equals = arg.indexOf('=');
      const name = arg.slice(2, equals < 0 ? undefined : equals);
      let value = equals < 0 ? undefined : arg.slice(equals + 1);
      let found = long_options.find(([n]) => n === name);
      if (found === undefined) {
        const candidates = long_options.filter(([n]) => n.startsWith(name));
        const same = (a, b) => a.has_arg === b.has_arg && a.field === b.field && a.value === b.value &&
          a.short === b.short;
        if (candidates.length === 0) {
          on_error(`unrecognized option '${arg}'`);
          continue;
        }
        if (candidates.some(([, o]) => !same(o, candidates[0][1]))) {
          on_error(`option '${arg}' is ambiguous; possibilities:${candidates.map(([n]) => ` '--${n}'`).join('')}`);
          continue;
        }
        found = candidates[0];
      }
      const [full, option] = found;
      if (option.has_arg === no_argument && value !== undefined) {
        on_error(`option '--${full}' doesn't allow an argument`);
        continue;
      }
      if (option.has_arg === required_argument && value === undefined) {
        if (i + 1 >= args.length) {
          on_error(`option '--${full}' requires an argument`);
          continue;
        }
        value = args[++i];
      }
      on_option(option, value);
    } else if (arg.startsWith('-') && arg !== '-') {
      for (let j = 1; j < arg.length; ++j) {
        const c = arg[j];
        const at = short_options.indexOf(c);
        if (at < 0 || c === ':') {
          on_error(`invalid option -- '${c}'`);
          continue;
        }
        if (short_options[at + 1] !== ':') {
          on_option({ short: c }, undefined);
          continue;
        }
        let value = arg.slice(j + 1);
        if (value === '') {
          if (i + 1 >= args.length) {
            on_error(`option requires an argument -- '${c}'`);
            break;
          }
          value = args[++i];
        }
        on_option({ short: c }, value);
        break;
      }
    } else if (posix) {
      operands.push(...args.slice(i));
      break;
    } else {
      operands.push(arg);
    }
  }
  return operands;
}

// The C library's atoi() as the native command runs it: white space, a sign and digits, read
// as a 64-bit long (saturating) and kept to its low 32 bits.
export function c_atoi(text) {
  const match = /^[ \t\n\v\f\r]*([+-]?)([0-9]*)/.exec(text);
  let value = BigInt(match[2] === '' ? 0 : match[2]);
  if (match[1] === '-') value = -value;
  const long_max = (1n << 63n) - 1n;
  if (value > long_max) value = long_max;
  if (value < -long_max - 1n) value = -long_max - 1n;
  return Number(BigInt.asIntN(32, value));
}

const utf8_length = (text) => new TextEncoder().encode(text).length;

// orvexdecode's usage, as it prints it (--document NAME with a name it does not know gives the
// front end's own forms).
const classic_usage = (program) => `Usage: ${program} [options] <input file> (v2.24)
Options:
 -i --infile <filename>        : Input LOG file (or last parm) - "-" is stdin
 -o --outfile <filename>       : Output XML file - default stdout
 -k --kmlfile <filename>       : Output KML (Goggle Earth) file - default not generated
    --[no]summary              : Toggle summary output - default ON
    --summary_period <decisec> : Set summary period - default every .5 secs
    --[no]constants            : Toggle PFD constants output - default ON
 -v --[no]verbose              : Provide some extra XML entries - default OFF
 -x --xsl_style_sheet <url>    : Specify a custom XSLT style sheet
 -h --help                     : This help message

    --[no]ahrs     : All AHRS records - default OFF
    --[no]ahrs_hr  : All AHRS High Rate records - default OFF
    --[no]ahrs_lr  : All AHRS Low Rate records - default OFF
    --[no]eis      : All EIS records - default OFF
    --[no]analog   : All analog records - default OFF
    --[no]gps_1    : (N/A) All GPS 1 records - default OFF
    --[no]gps_2    : (N/A) All GPS 2 records - default OFF
      --gps_1_aviation : GPS 1 format (used for Garmin sources) - default
      --gps_1_nmea : GPS 1 format (used for internal / other sources)
      --gps_2_aviation : GPS 2 format (used for Garmin sources)
      --gps_2_nmea : GPS 2 format (used for internal / other sources)
    --[no]arinc    : (N/A) All records - default OFF
    --[no]set_menu : All Set Menu records - default OFF
    --[no]sl30_1   : (N/A) All SL30 1 records - default OFF
    --[no]sl30_2   : (N/A) All SL30 2 records - default OFF
    --[no]sl40_1   : (N/A) All SL40 1 records - default OFF
    --[no]weather  : (N/A) All weather records - default OFF

  -d --[no]debug : \tDebug output to stderr (non XML based)
`;

const version_block = 'Extended version information:\nprog_version="2.24"\n' +
  'program_cvs_revision="$Revision: 2.23.1.2 $"\nprog_date="$Date: 2007/05/09 22:42:59 $"\n\n';

export function document_usage() {
  const names = Object.entries(documents).filter(([, d]) => !d.hidden);
  const of = (command) => names.filter(([, d]) => d.command === command).map(([n]) => n).join(', ');
  return `Usage: node tools/wasm/orvexdecode.mjs [orvexdecode's options] <input file>
       node tools/wasm/orvexdecode.mjs --document NAME [options] <input file> [output]
orvexdecode through its WebAssembly module. --document, given first, writes one document with
the options of the command that writes it:
  ${of('orvexdecode')}: orvexdecode's (orvexdecode --help; the document goes to -o or standard output)
  ${of('orvexdecode-track')}: orvexdecode-track's, [--gps_1_aviation | --gps_1_nmea] INPUT [OUTPUT]
  report, info-json and the exports (${of('orvexdecode-export')}): the options of orvexdecode-report,
    orvexdecode-info and orvexdecode-export that choose the document (--flight N, --from T, --to T,
    --every S, --utc-start T, --profile FILE, --profile-set S, --limits FILE, --airports FILE|none,
    --airport-radius KM, --heliports, --time-zone ZONE, --cross-country NM, --local-time, --tail T,
    the detection's, --gps_1_nmea ...), [-o OUTPUT] LOG [OUTPUT]
`;
}

// orvexdecode's command line, for the XML report (with the KML flight path when -k names a
// file) or for one document of its options.
function parse_classic(args, document) {
  const program = 'orvexdecode';
  const fields = {};
  let input = '';
  let output = '';
  let kml = '';
  // -h gives the usage; -?, --version and a wrong option the version block before it.
  const help = (before = '') => {
    throw new usage_exit(1, before + classic_usage(program));
  };
  const error = (message) => {
    throw new usage_exit(2, `${message}\n\nTry \`${program} --help\` for more information\n`);
  };
  // A text the native command keeps in a buffer of size bytes; a longer one is refused.
  const fits = (text, size, what) => {
    if (utf8_length(text) >= size) error(`ERROR: ${what} is longer than ${size - 1} characters`);
    return text;
  };
  const operands = getopt_long(args, classic_short_options, classic_long_options, (option, value) => {
    if (option.field !== undefined) {
      fields[option.field] = option.value;
      return;
    }
    switch (option.short) {
      case 'd': fields.debug = 1; break;
      case 'v': fields.verbose = 1; break;
      case 'i': input = fits(value, 256, 'Input file name'); break;
      case 'o': output = fits(value, 256, 'Output file name'); break;
      case 'k': kml = fits(value, 256, 'KML file name'); break;
      case 'x': fields.xsl_stylesheet = fits(value, 255, 'XSLT style sheet reference'); break;
      case 's': fields.summary_deciseconds = c_atoi(value); break;
      case 'h': help(); break;
      default: help(version_block);
    }
  }, (message) => {
    help(`${program}: ${message}\n${version_block}`);
  });
  if (operands.length > 0) input = fits(operands[0], 256, 'Input file name');
  if (input === '') error('ERROR: No input file specified');
  if (document === 'path-kml' && kml !== '') {
    throw new usage_exit(1, `${program}: --document path-kml writes its KML to -o or standard output\n`);
  }
  const both = document === 'xml' && kml !== '';
  return {
    command: 'orvexdecode',
    document: both ? 'xml+path-kml' : document,
    fields,
    input: input === '-' || input === 'stdin' ? null : input,
    input_display: input === '-' || input === 'stdin' ? 'standard input' : input,
    outputs: [null, output === '' ? null : output, both ? kml : null],
    description: input,
    path_document: both || document === 'path-kml' ? 'KML' : null,
  };
}

const track_usage = (program) => `Usage: ${program} [--binary] [--gps_1_aviation | --gps_1_nmea] INPUT [OUTPUT]
Writes the flight path of an EFIS LOG file as a tab-separated track.

  INPUT             LOG file; "-" reads standard input
  OUTPUT            track file; default (or "-") standard output
  --binary          add airspeed, engine speed, timestamp and GPS altitude columns
  --gps_1_aviation  GPS 1 sends the aviation format - default
  --gps_1_nmea      GPS 1 sends NMEA RMC sentences
  -h --help         this help message
  --version         print the version and exit
`;

// orvexdecode-track's command line: track, or track-binary (--binary with either name).
function parse_track(args, document, version) {
  const program = 'orvexdecode-track';
  const usage = (message) => {
    throw new usage_exit(1, (message ? `${program}: ${message}\n` : '') + track_usage(program));
  };
  let binary = document === 'track-binary';
  let format = null;
  const operands = getopt_long(args, 'h', track_long_options, (option) => {
    switch (option.short) {
      case 'binary': binary = true; break;
      case 'aviation':
      case 'nmea': {
        const chosen = option.short === 'nmea' ? 2 : 1;
        if (format !== null && format !== chosen) usage('--gps_1_aviation and --gps_1_nmea exclude each other');
        format = chosen;
        break;
      }
      case 'h': throw new usage_exit(0, '', track_usage(program));
      case 'version': throw new usage_exit(0, '', `orvexdecode-track ${version}\n`);
    }
  }, (message) => {
    throw new usage_exit(1, `${program}: ${message}\n${track_usage(program)}`);
  });
  if (operands.length < 1) usage('no INPUT given');
  if (operands.length > 2) usage('too many arguments');
  const input = operands[0];
  const output = operands.length === 2 && operands[1] !== '-' ? operands[1] : null;
  return {
    command: 'orvexdecode-track',
    document: binary ? 'track-binary' : 'track',
    fields: format !== null ? { gps_1_type: format } : {},
    input: input === '-' ? null : input,
    input_display: input === '-' ? 'standard input' : input,
    outputs: [null, output, null],
    description: null,
    path_document: 'track',
  };
}

// The options the report, the JSON summary and the exports take here, as their commands name
// them: each is handed to the module as its text (--limits and --profile name files the front
// end reads; --profile-set may be given again).
const valued = (names) => names.map((name) => [name, { has_arg: required_argument, short: name }]);
const flagged = (names) => names.map((name) => [name, { has_arg: no_argument, short: name }]);
const gps_options = [
  ['gps_1_aviation', set('gps_1_type', '1')], ['gps_1_nmea', set('gps_1_type', '2')],
  ['gps_2_aviation', set('gps_2_type', '1')], ['gps_2_nmea', set('gps_2_type', '2')],
];
const flight_options = valued(['utc-start', 'profile', 'profile-set', 'output', 'time-zone']).concat(gps_options);
const place_options = valued(['limits', 'cross-country', 'airports', 'airport-radius']).concat(flagged(['heliports']));
const api_long_options = {
  'orvexdecode-report': flight_options.concat(place_options, valued(['flight', 'from', 'to', 'every']),
    flagged(['force'])),
  'orvexdecode-info': flight_options.concat(place_options, flagged(['json', 'force']), valued(['engine-rpm',
    'engine-stop', 'takeoff-speed', 'takeoff-time', 'landing-speed', 'landing-time', 'gap'])),
  'orvexdecode-export': flight_options.concat(valued(['flight', 'from', 'to', 'every', 'tail', 'airports',
    'airport-radius']), flagged(['local-time', 'force', 'heliports'])),
};

// --document NAME for report, info-json or an export: [options] LOG [OUTPUT], the document to
// OUTPUT, -o or standard output. The report's stretch is labelled as orvexdecode-report labels it.
// fields holds the options' texts (profile-set a list of them), files the paths of --limits
// and --profile.
function parse_api_document(args, document) {
  const program = 'orvexdecode';
  const usage = (message) => {
    throw new usage_exit(1, `${program}: ${message}\n${document_usage()}`);
  };
  const command = documents[document].command;
  const texts = {};
  const files = {};
  let output = null;
  const operands = getopt_long(args, 'o:', api_long_options[command], (option, value) => {
    if (option.field !== undefined) {
      texts[option.field] = option.value;
    } else if (option.short === 'o' || option.short === 'output') {
      output = value === '-' ? null : value;
    } else if (option.short === 'limits' || option.short === 'profile') {
      files[option.short] = value;
    } else if (option.short === 'profile-set') {
      (texts['profile-set'] ??= []).push(value);
    } else if (option.short === 'json' || option.short === 'force') {
      // the JSON summary is the document; nothing here is a LOG to overwrite
    } else {
      texts[option.short] = value ?? '1';
    }
  }, usage);
  // The report's charts take a step of 0.02 s or more, the exports' rows one of 0.001 s or more
  // (the module takes either).
  if (command === 'orvexdecode-report' && texts.every !== undefined && /^[0-9.]+$/.test(texts.every) &&
      Number(texts.every) < 0.02) {
    usage(`--every: not a number of seconds from 0.02 to 86400: ${texts.every}`);
  }
  if (command === 'orvexdecode-export') {
    if (texts['local-time'] !== undefined && document !== 'avionics-csv') {
      usage('--local-time: only avionics-csv writes local times (the others keep UTC)');
    }
    if (texts['time-zone'] !== undefined && texts['local-time'] === undefined) {
      usage('--time-zone gives the zone of --local-time: give both');
    }
  }
  if (operands.length < 1) usage('no LOG given');
  if (operands.length > 2) usage('too many arguments');
  if (operands.length === 2) output = operands[1] === '-' ? null : operands[1];
  const input = operands[0];
  const input_display = input === '-' ? 'standard input' : input;
  texts['log-name'] = document === 'info-json' ? input : input_display;
  if (document === 'report') {
    let label = texts.flight !== undefined ? `flight ${Number.parseInt(texts.flight, 10)}` : '';
    const from = texts.from ?? '';
    const to = texts.to ?? '';
    if (from !== '' || to !== '') {
      if (label !== '') label += ', ';
      label += from === '' ? `up to ${to}` : to === '' ? `from ${from}` : `from ${from} to ${to}`;
    }
    if (label !== '') texts['window-label'] = label;
  }
  return {
    command,
    document,
    fields: texts,
    files,
    input: input === '-' ? null : input,
    input_display,
    outputs: [null, output, null],
    description: null,
    path_document: null,
  };
}

export function parse_command_line(args, version) {
  const program = 'orvexdecode';
  let document = 'xml';
  if (args.length > 0 && (args[0] === '--document' || args[0].startsWith('--document='))) {
    document = args[0] === '--document' ? args[1] : args[0].slice('--document='.length);
    args = args.slice(args[0] === '--document' ? 2 : 1);
    if (documents[document] === undefined || documents[document].hidden) {
      throw new usage_exit(1, `${program}: no document ${JSON.stringify(document ?? '')}\n${document_usage()}`);
    }
  }
  const command = documents[document].command;
  if (command === 'orvexdecode-track') return parse_track(args, document, version);
  if (documents[document].api) return parse_api_document(args, document);
  return parse_classic(args, document);
}
