#!/usr/bin/env node
// orvexdecode through the WebAssembly module, under Node's WASI: the same options, documents,
// files and exit status as the native commands (command_lines.mjs has the options).
//
//   node tools/wasm/orvexdecode.mjs [orvexdecode's options] LOG          the XML report (-k: and the KML)
//   node tools/wasm/orvexdecode.mjs --document NAME [its options] LOG ... one document: xml,
//     path-kml, track, track-binary, report, info-json or an export (csv, avionics-csv, gpx, kml)
//
// The module is build-wasm/orvexdecode.wasm beside this tree (bash scripts/wasm.sh builds it),
// or the file ORVEXDECODE_WASM names.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { parse_command_line, usage_exit } from './command_lines.mjs';
import { documents, document_status, instantiate, failure } from './orvexdecode_module.mjs';
import {
  exit_file_error, is_the_input, log_input, output_file, outputs_collide, standard_descriptor_was_closed, write_all,
} from './output_files.mjs';

// Node tells of WASI as experimental on standard error, which belongs to the decoder here.
process.removeAllListeners('warning');
const { WASI } = await import('node:wasi');

const module_path = process.env.ORVEXDECODE_WASM ||
  fileURLToPath(new URL('../../build-wasm/orvexdecode.wasm', import.meta.url));

let module_bytes;
try {
  module_bytes = fs.readFileSync(module_path);
} catch (error) {
  exit_file_error('No WebAssembly module (bash scripts/wasm.sh builds it)', module_path, error);
}
// The module reads the airport table and the time zones ($TZDIR, else /usr/share/zoneinfo)
// itself, from the file system as this process sees it.
const wasi = new WASI({
  version: 'preview1', args: ['orvexdecode'], env: process.env.TZDIR ? { TZDIR: process.env.TZDIR } : {},
  preopens: { '/': '/' }, returnOnExit: true,
});
const decoder = await instantiate(module_bytes, wasi);
decoder.set_working_folder(process.cwd());

let run;
try {
  run = parse_command_line(process.argv.slice(2), decoder.version);
} catch (error) {
  if (!(error instanceof usage_exit)) throw error;
  if (error.stdout_text) write_all(1, Buffer.from(error.stdout_text));
  if (error.stderr_text) write_all(2, Buffer.from(error.stderr_text));
  process.exit(error.status);
}
const classic = run.command === 'orvexdecode';

// The messages name the native command the front end stands for. orvexdecode's errors before
// the run end with a hint to its help; orvexdecode-track's name a file.
const exit_error = (message) => {
  write_all(2, Buffer.from(`${message}\n\nTry \`orvexdecode --help\` for more information\n`));
  process.exit(2);
};

if (documents[run.document].api) check_document_options(run);

let input_fd = 0;
if (run.input === null && standard_descriptor_was_closed(0)) exit_file_error('Standard input is closed');
if (run.input !== null) {
  try {
    input_fd = fs.openSync(run.input, 'r');
  } catch (error) {
    if (classic) exit_error("ERROR: Input file can't be openned for reading");
    exit_file_error("Input file can't be opened for reading", run.input_display, error);
  }
}

const [, output_name, second_name] = run.outputs;
if (output_name === null && standard_descriptor_was_closed(1)) exit_file_error('Standard output is closed');
if (is_the_input(input_fd, output_name) || (second_name !== null && is_the_input(input_fd, second_name))) {
  if (classic) exit_error('ERROR: Output file is the same file as the input file');
  exit_file_error('Output file is the same file as the input file', output_name ?? 'standard output');
}
if (second_name !== null && outputs_collide(output_name, second_name)) {
  exit_error(`ERROR: Output file is the same file as the other output: ${second_name}`);
}
const outputs = [null];
for (const name of second_name !== null ? [output_name, second_name] : [output_name]) {
  const output = new output_file();
  try {
    output.open(name);
  } catch (error) {
    if (classic) exit_error("ERROR: Output file can't be openned for writing");
    exit_file_error("Output file can't be opened for writing", name, error);
  }
  outputs.push(output);
}

// What the report, the summary and the exports name beside the LOG, read and checked before it
// is, as their commands do: the profile and limits files (their bytes go to the module), the
// time zone, the profile's settings and the airports; a run without --airports takes the default
// table (default_airports) or, when there is none, warns and looks no airport up.
function check_document_options(run) {
  const read_settings_file = (file, what) => {
    let stat;
    try {
      stat = fs.statSync(file);
    } catch (error) {
      exit_file_error(`${what} can't be opened`, file, error);
    }
    if (!stat.isFile()) exit_file_error(`${what} is not a regular file`, file);
    if (stat.size > 1 << 20) exit_file_error(`${what} is larger than 1 MiB`, file);
    try {
      return fs.readFileSync(file);
    } catch (error) {
      return exit_file_error(`${what} can't be read`, file, error);
    }
  };
  run.file_bytes = {};
  const usage = (message) => {
    write_all(2, Buffer.from(`orvexdecode: ${message}\n`));
    process.exit(1);
  };
  // A value the module does not take is a usage error, as the commands make it.
  const values = decoder.check(run.fields);
  if (values.message.startsWith('--')) usage(values.message);
  const zone_check = decoder.check(run.fields['time-zone'] !== undefined ? { 'time-zone': run.fields['time-zone'] } : {},
    {});
  if (zone_check.status !== document_status.written && zone_check.message.startsWith('time zone: ')) {
    usage(`--time-zone: ${zone_check.message.slice('time zone: '.length)}`);
  }
  for (const [file, what] of [['profile', 'Profile'], ['limits', 'Limits file']]) {
    if (run.files[file] === undefined) continue;
    run.file_bytes[file] = read_settings_file(run.files[file], what);
    const alone = decoder.check({}, { [file]: run.file_bytes[file] });
    const bad_line = /^(?:profile|limits) line (\d+): (.*)$/s.exec(alone.message);
    if (bad_line !== null) {
      write_all(2, Buffer.from(`ERROR: ${run.files[file]}:${bad_line[1]}: ${bad_line[2]}\n`));
      process.exit(2);
    }
    if (file === 'profile' && run.fields['profile-set'] !== undefined) {
      const settings = decoder.check({ 'profile-set': run.fields['profile-set'] }, { profile: run.file_bytes.profile });
      if (settings.message.startsWith('profile setting: ')) {
        usage(`--profile-set: ${settings.message.slice('profile setting: '.length)}`);
      }
    }
  }
  if (run.files.profile === undefined && run.fields['profile-set'] !== undefined) {
    const settings = decoder.check({ 'profile-set': run.fields['profile-set'] });
    if (settings.message.startsWith('profile setting: ')) {
      usage(`--profile-set: ${settings.message.slice('profile setting: '.length)}`);
    }
  }
  // An export opens the airports only where it names places (gpx, kml) or takes the
  // departure's zone (avionics-csv --local-time without --time-zone), as the command does.
  const export_places = run.document === 'gpx' || run.document === 'kml' ||
    (run.document === 'avionics-csv' && run.fields['local-time'] !== undefined && run.fields['time-zone'] === undefined);
  if (run.command === 'orvexdecode-export' && !export_places) return;
  if (run.fields.airports === undefined) {
    const { source, tried } = default_airports();
    if (source === null) {
      write_all(2, Buffer.from(`warning: airports are not looked up: no airport table found (looked for ${tried.join(' ')}) ` +
        '(--airports FILE names one)\n'));
    }
    run.fields.airports = source ?? 'none';
  }
  const airports = decoder.check({ airports: run.fields.airports });
  if (airports.status === document_status.airports_failed) exit_file_error("Airports can't be read", airports.message);
}

// The default airport table: the file ORVEXDECODE_AIRPORTS names (or "none"), else
// share/orvexdecode/airports.idx beside the module, else the one installed under /usr/local or
// /usr; source is null when there is none.
function default_airports() {
  const named = process.env.ORVEXDECODE_AIRPORTS;
  if (named !== undefined && named !== '') return { source: named, tried: [named] };
  const tried = [path.join(path.dirname(module_path), 'share', 'orvexdecode', 'airports.idx'),
    '/usr/local/share/orvexdecode/airports.idx', '/usr/share/orvexdecode/airports.idx'];
  const found = tried.find((place) => {
    try {
      return fs.statSync(place).isFile();
    } catch {
      return false;
    }
  });
  return { source: found ?? null, tried };
}

const errors = {};
if (documents[run.document].api) {
  // The report, the JSON summary and the exports: the C API's document calls in the module, told
  // as their commands tell them.
  // An export to standard output waits in memory: a file that is not a LOG writes nothing there.
  const held = run.command === 'orvexdecode-export' && output_name === null ? [] : null;
  const targets = held === null ? outputs : [null, { write: (bytes) => held.push(Buffer.from(bytes)) }];
  const result = decoder.document(run.document, run.fields, new log_input(input_fd), targets, errors, run.file_bytes);
  const not_a_log = decoder.not_a_log_reason();
  if (result.status === document_status.read_failed || errors.input !== undefined) {
    exit_file_error("Input file can't be read", run.input_display, errors.input);
  }
  if (result.status === document_status.not_a_log || (not_a_log !== null && run.command === 'orvexdecode-export')) {
    exit_file_error(`Not a LOG file (${not_a_log ?? result.message})`, run.input_display);
  }
  if (result.status === document_status.airports_failed) exit_file_error("Airports can't be read", result.message);
  if (result.status === document_status.refused) {
    exit_file_error(run.document === 'report' ? `The stretch asked for can't be shown: ${result.message}`
      : result.message);
  }
  if (result.status !== document_status.written || !outputs[1].finish()) {
    exit_file_error("Output can't be written", output_name ?? 'standard output');
  }
  if (held !== null) write_all(1, Buffer.concat(held));
  try {
    outputs[1].commit();
  } catch (error) {
    exit_file_error("Output file can't be replaced", output_name, error);
  }
  for (const warning of result.warnings.split('\n').filter((w) => w !== '')) {
    write_all(2, Buffer.from(`warning: ${warning}\n`));
  }
  if (run.command === 'orvexdecode-export') decoder.print_loss_warnings(null);
  process.exit(0);
}
const failed = decoder.convert(run.document, run.fields, run.description, new log_input(input_fd), outputs, errors);
if (failed & failure.out_of_memory) exit_file_error('Out of memory');
// Not a LOG: the XML report says so in a warning and is still written, the track is an error.
const not_a_log = decoder.not_a_log_reason();
if (classic && not_a_log !== null) {
  write_all(2, Buffer.from(`warning: not a LOG file (${not_a_log}): ${run.input_display}\n`));
}
decoder.print_loss_warnings(run.path_document);

if (failed & failure.input) exit_file_error("Input file can't be read", run.input_display, errors.input);
if (!classic && not_a_log !== null) exit_file_error(`Not a LOG file (${not_a_log})`, run.input_display);
const written = (failed & (failure.output | failure.second_output)) === 0;
if (classic && !written) exit_file_error("Output file can't be written");
if (run.input !== null) fs.closeSync(input_fd);
const finished = outputs.slice(1).map((output) => output.finish()).every(Boolean);
if (!finished || !written) {
  if (classic) exit_file_error("Output file can't be written");
  exit_file_error("Output can't be written", output_name ?? 'standard output');
}
outputs.slice(1).forEach((output, i) => {
  try {
    output.commit();
  } catch (error) {
    exit_file_error("Output file can't be replaced", run.outputs[i + 1], error);
  }
});
