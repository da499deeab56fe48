// The WebAssembly module writes the native commands' bytes: the XML report, the KML flight path
// and the tracks, with their warnings on standard error, for the sample, simulated LOGs and
// damaged LOGs (truncated, bit-flipped, random bytes and random records), under several option
// sets. The time of the run in the XML prologue and the KML description is the one text set
// aside (the native commands write local time, the module UTC).
//
//   node same_bytes_test.mjs --native DIR --simulate EXE --module FILE --work DIR [--source DIR]
//
// The bulk runs in one instance of the module, through the front end's command-line reading;
// a few cases run tools/wasm/orvexdecode.mjs itself (files, standard input, exit status).
// Exit status 0 when every output is the same, 1 when one differs, 77 (skipped) when there is
// no module. A module built by scripts/wasm.sh is brought up to date first.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

process.removeAllListeners('warning');
const { WASI } = await import('node:wasi');

const arg = (name) => {
  const at = process.argv.indexOf(name);
  return at < 0 ? undefined : process.argv[at + 1];
};
const source = arg('--source') ?? fileURLToPath(new URL('../..', import.meta.url));
const native = arg('--native');
const simulate = arg('--simulate');
const module_path = arg('--module') ?? path.join(source, 'build-wasm/orvexdecode.wasm');
const work = arg('--work');
const wasm_tools = path.join(source, 'tools/wasm');

const module_build = path.dirname(module_path);
if (fs.existsSync(path.join(module_build, 'CMakeCache.txt'))) {
  const built = spawnSync('cmake', ['--build', module_build, '-j2', '--target', 'OrvexDecode_Wasm'], { stdio: 'inherit' });
  if (built.status !== 0) {
    console.error(`the module in ${module_build} could not be brought up to date`);
    process.exit(1);
  }
}
if (!fs.existsSync(module_path)) {
  console.log(`skipped: no module at ${module_path} (bash scripts/wasm.sh builds it)`);
  process.exit(77);
}

const { instantiate } = await import(path.join(wasm_tools, 'orvexdecode_module.mjs'));
const { parse_command_line } = await import(path.join(wasm_tools, 'command_lines.mjs'));
const { log_input } = await import(path.join(wasm_tools, 'output_files.mjs'));

fs.rmSync(work, { recursive: true, force: true });
fs.mkdirSync(work, { recursive: true });

// ---- The LOGs ------------------------------------------------------------------------------

// A pseudo-random sequence of its own, so that every run damages the LOGs the same way.
function random_bytes(seed) {
  let state = BigInt(seed) * 0x9e3779b97f4a7c15n & 0xffffffffffffffffn;
  return () => {
    state ^= state << 13n & 0xffffffffffffffffn;
    state ^= state >> 7n;
    state ^= state << 17n & 0xffffffffffffffffn;
    return Number(state & 0xffffffffn);
  };
}

const logs = [];
const add_log = (name, bytes) => {
  const file = path.join(work, name);
  fs.writeFileSync(file, bytes);
  logs.push(file);
};

const demo = fs.readFileSync(path.join(source, 'samples/demo_flight.LOG'));
add_log('demo_flight.LOG', demo);
for (const [name, options] of [
  ['sim_default.LOG', ['--seed', '1', '--minutes', '3']],
  ['sim_swap_gps.LOG', ['--seed', '11', '--minutes', '4', '--swap-gps']],
  ['sim_no_altitude.LOG', ['--seed', '13', '--minutes', '3', '--aviation-format', '3']],
  ['sim_blocks.LOG', ['--seed', '5', '--size-mb', '1.2']],  // several of the reader's blocks
]) {
  const file = path.join(work, name);
  const made = spawnSync(simulate, [...options, '-o', file], { stdio: 'inherit' });
  if (made.status !== 0) throw new Error(`${simulate} failed`);
  logs.push(file);
}
const simulated = fs.readFileSync(path.join(work, 'sim_swap_gps.LOG'));

// Truncations: in the first record's header and payload, and around the reader's block.
for (const n of [1, 5, 8, 9, 10, 31, 32, 33, 262143, 262144, 262145]) add_log(`trunc_demo_${n}.LOG`, demo.subarray(0, n));
const next = random_bytes(1);
for (let i = 0; i < 4; ++i) {
  const n = next() % simulated.length;
  add_log(`trunc_sim_${n}.LOG`, simulated.subarray(0, n));
}
// Bit flips.
for (const [flips, seed, log, name] of [[10, 2, demo, 'demo'], [1000, 3, demo, 'demo'], [200, 4, simulated, 'sim']]) {
  const damaged = Buffer.from(log);
  const next_flip = random_bytes(seed);
  for (let i = 0; i < flips; ++i) damaged[next_flip() % damaged.length] ^= 1 << (next_flip() % 8);
  add_log(`flip_${name}_${flips}.LOG`, damaged);
}
// Random bytes, and random records: headers of any source type with lengths that are 0,
// ordinary or over 255, and random payloads.
for (const [size, seed] of [[70000, 5], [300000, 6]]) {
  const next_byte = random_bytes(seed);
  add_log(`random_${size}.LOG`, Buffer.from(Array.from({ length: size }, () => next_byte() & 0xff)));
}
for (const seed of [7, 8]) {
  const next_value = random_bytes(seed);
  const parts = [];
  for (let i = 0, t = 0; i < 6000; ++i) {
    const kind = next_value() % 100;
    const length = kind < 2 ? 0 : kind < 4 ? 256 + next_value() % 600 : 1 + next_value() % 120;
    const header = Buffer.alloc(9);
    header[0] = next_value() % 16;
    header.writeUInt32BE((t += next_value() % 400), 1);
    header.writeUInt32BE(length, 5);
    const payload = Buffer.from(Array.from({ length: Math.min(length, 900) }, () => next_value() & 0xff));
    parts.push(header, payload.subarray(0, length));
  }
  add_log(`random_records_${seed}.LOG`, Buffer.concat(parts));
}

// ---- The cases ----------------------------------------------------------------------------

const every_source = ['--ahrs', '--eis', '--analog', '--set_menu', '--gps_1', '--gps_2', '--gps_2_nmea', '--arinc',
  '--sl30_1', '--sl30_2', '--sl40', '--weather', '-v', '-d'];
// [native command, its arguments before the LOG; KML when -k writes the flight path too]
const cases = [
  ['orvexdecode', []],
  ['orvexdecode', every_source],
  ['orvexdecode', ['--gps_1_nmea', '--gps_2_aviation', '--gps_1', '--summary_period', '50', '--noconstants',
    '-x', 'file:///usr/share/orvexdecode/xsl/OrvexDecode.summary_xml2html.xsl']],
  ['orvexdecode', ['--nosummary', '--ahrs_hr', '--ahrs_lr', '--summary_period=7']],
  ['orvexdecode', ['-k', 'KML']],
  ['orvexdecode', ['--gps_1_nmea', '--gps_2_nmea', '--eis', '-k', 'KML']],
  ['orvexdecode-track', []],
  ['orvexdecode-track', ['--binary']],
  ['orvexdecode-track', ['--binary', '--gps_1_nmea']],
];

// The time of the run, in the XML prologue and the KML description only.
const time_of_run = /(decode_timestamp="|<description>Generated info )[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\d \d\d:\d\d:\d\d \d{4}/;
function without_time_of_run(bytes) {
  const head = bytes.subarray(0, 4096).toString('latin1').replace(time_of_run, '$1(time of the run)');
  return Buffer.concat([Buffer.from(head, 'latin1'), bytes.subarray(4096)]);
}

const kml_file = path.join(work, 'native.kml');
function run_native(command, options, log) {
  const args = options.map((o) => (o === 'KML' ? kml_file : o));
  fs.rmSync(kml_file, { force: true });
  const r = spawnSync(path.join(native, command), [...args, log], { maxBuffer: 1 << 30 });
  return {
    status: r.status,
    stdout: r.stdout,
    stderr: r.stderr,
    kml: options.includes('KML') ? fs.readFileSync(kml_file) : null,
  };
}

// The module's stderr is a file that each run empties first.
const stderr_file = path.join(work, 'module.stderr');
const stderr_fd = fs.openSync(stderr_file, 'a+');
const wasi = new WASI({ version: 'preview1', args: ['orvexdecode'], env: {}, stderr: stderr_fd, returnOnExit: true });
const decoder = await instantiate(fs.readFileSync(module_path), wasi);

class collected {
  constructor() {
    this.parts = [];
  }
  write(bytes) {
    this.parts.push(Buffer.from(bytes));
  }
  bytes() {
    return Buffer.concat(this.parts);
  }
}

function run_module(command, options, log) {
  const args = command === 'orvexdecode-track'
    ? ['--document', 'track', ...options, log]
    : options.map((o) => (o === 'KML' ? 'module.kml' : o)).concat(log);
  const run = parse_command_line(args, decoder.version);
  fs.ftruncateSync(stderr_fd, 0);
  const outputs = [null, new collected(), new collected()];
  const fd = fs.openSync(log, 'r');
  const failed = decoder.convert(run.document, run.fields, run.description, new log_input(fd), outputs);
  fs.closeSync(fd);
  // As tools/wasm/orvexdecode.mjs: the XML report warns of an input that is not a LOG, the
  // track refuses it.
  const not_a_log = decoder.not_a_log_reason();
  const classic = command === 'orvexdecode';
  if (classic && not_a_log !== null) fs.writeSync(stderr_fd, `warning: not a LOG file (${not_a_log}): ${log}\n`);
  decoder.print_loss_warnings(run.path_document);
  if (!classic && not_a_log !== null) fs.writeSync(stderr_fd, `ERROR: Not a LOG file (${not_a_log}): ${log}\n`);
  return {
    status: failed === 0 && (classic || not_a_log === null) ? 0 : 2,
    stdout: outputs[1].bytes(),
    stderr: fs.readFileSync(stderr_file),
    kml: run.outputs[2] !== null ? outputs[2].bytes() : null,
  };
}

let compared = 0;
const differences = [];
function compare(what, native_result, module_result) {
  for (const part of ['status', 'stdout', 'stderr', 'kml']) {
    let a = native_result[part];
    let b = module_result[part];
    if (a === null && b === null) continue;
    ++compared;
    if (part === 'stdout' || part === 'kml') {
      a = without_time_of_run(a);
      b = without_time_of_run(b);
    }
    const same = Buffer.isBuffer(a) ? Buffer.isBuffer(b) && a.equals(b) : a === b;
    if (!same) {
      let at = 0;
      if (Buffer.isBuffer(a) && Buffer.isBuffer(b)) while (at < a.length && a[at] === b[at]) ++at;
      differences.push(`${what}: ${part} differs` + (Buffer.isBuffer(a)
        ? ` at byte ${at} of ${a.length} (module: ${b?.length}): native ${JSON.stringify(a.subarray(at, at + 60).toString('latin1'))}` +
          ` module ${JSON.stringify(b?.subarray(at, at + 60).toString('latin1'))}`
        : `: native ${a}, module ${b}`));
    }
  }
}

for (const log of logs) {
  for (const [command, options] of cases) {
    const what = `${path.basename(log)}: ${command} ${options.join(' ')}`;
    compare(what, run_native(command, options, log), run_module(command, options, log));
  }
}

// ---- The front end itself: files, standard input, exit status -------------------------------

const front_end = path.join(wasm_tools, 'orvexdecode.mjs');
const demo_log = logs[0];
const files = (prefix) => Object.fromEntries(['xml', 'kml', 'track'].map((k) => [k, path.join(work, `${prefix}.${k}`)]));
const n = files('native');
const m = files('module');
// [native command and arguments, the module's arguments, the files both write, standard input]
const command_lines = [
  [['orvexdecode', '-o', n.xml, '-k', n.kml, demo_log], ['-o', m.xml, '-k', m.kml, demo_log], ['xml', 'kml']],
  [['orvexdecode', '--eis', '-'], ['--eis', '-'], [], demo_log],
  [['orvexdecode', '-vd', '--ahrs', '--infile', demo_log], ['-vd', '--ahrs', '--infile', demo_log], []],
  [['orvexdecode', '-o', '/dev/null', '-k', n.kml, demo_log], ['--document', 'path-kml', '-o', m.kml, demo_log], ['kml']],
  [['orvexdecode-track', '--binary', demo_log, n.track], ['--document', 'track-binary', demo_log, m.track], ['track']],
  [['orvexdecode-track', '-', '-'], ['--document', 'track', '-', '-'], [], demo_log],
  [['orvexdecode', path.join(work, 'no such.LOG')], [path.join(work, 'no such.LOG')], []],
  [['orvexdecode', '--no_such_option', demo_log], ['--no_such_option', demo_log], []],
  [['orvexdecode', '-o', demo_log, demo_log], ['-o', demo_log, demo_log], []],
  [['orvexdecode', work], [work], []],
  [['orvexdecode-track'], ['--document', 'track'], []],
];
for (const [native_line, module_args, written, stdin_file] of command_lines) {
  const input = stdin_file === undefined ? 'ignore' : fs.openSync(stdin_file, 'r');
  const a = spawnSync(path.join(native, native_line[0]), native_line.slice(1), { stdio: [input, 'pipe', 'pipe'], maxBuffer: 1 << 30 });
  const input2 = stdin_file === undefined ? 'ignore' : fs.openSync(stdin_file, 'r');
  const b = spawnSync(process.execPath, [front_end, ...module_args], {
    stdio: [input2, 'pipe', 'pipe'], maxBuffer: 1 << 30, env: { ...process.env, ORVEXDECODE_WASM: module_path },
  });
  const what = `node orvexdecode.mjs ${module_args.join(' ')}`;
  compare(what, { status: a.status, stdout: a.stdout, stderr: null, kml: null },
    { status: b.status, stdout: b.stdout, stderr: null, kml: null });
  // Messages name the program; those of the library (warnings, debug text) are compared above.
  if ((a.stderr.length === 0) !== (b.stderr.length === 0)) differences.push(`${what}: standard error ${a.stderr} | ${b.stderr}`);
  for (const kind of written) {
    compare(`${what}: ${kind} file`, { status: 0, stdout: fs.readFileSync(n[kind]), stderr: null, kml: null },
      { status: 0, stdout: fs.readFileSync(m[kind]), stderr: null, kml: null });
  }
}

// The documents of the C API's document calls, on the sample, every fifth other LOG (simulated
// and damaged) and a scenario's flight between airports: [the native command and its arguments
// before the LOG, the module's document]. Both take the native build's airport table, named
// alike, and the same profile and limits files.
const scenario_log = path.join(work, 'krnt_bfi_pae.LOG');
const scenario_made = spawnSync(simulate, ['--scenario', path.join(source, 'samples/scenarios/krnt_bfi_pae.scenario'),
  '-o', scenario_log], { stdio: 'inherit' });
if (scenario_made.status !== 0) throw new Error(`${simulate} failed`);
const profile = path.join(work, 'aircraft.profile');
fs.copyFileSync(path.join(source, 'data/profiles/example.profile'), profile);
const limits = path.join(work, 'aircraft.limits');
fs.writeFileSync(limits, 'cht_max = 380 F\noil_pressure_min = 30 psi when rpm > 1500\n');
const bad_profile = path.join(work, 'bad.profile');
fs.writeFileSync(bad_profile, 'tail = N1\ncylinders = 9\n');
const airports_csv = path.join(source, 'data/airports.csv');
const airport_env = { ...process.env, ORVEXDECODE_AIRPORTS: path.resolve(native, '../share/orvexdecode/airports.idx') };
const api_documents = [
  [['orvexdecode-report', '-o', '-'], ['report']],
  [['orvexdecode-report', '--flight', '1', '--every', '2', '-o', '-'], ['report', '--flight', '1', '--every', '2']],
  [['orvexdecode-info', '--json'], ['info-json']],
  [['orvexdecode-export', 'csv', '--every', '0.5'], ['csv', '--every', '0.5']],
  [['orvexdecode-export', 'avionics-csv', '--from', '60', '--to', '400'], ['avionics-csv', '--from', '60', '--to', '400']],
  [['orvexdecode-export', 'gpx', '--tail', 'N123AB'], ['gpx', '--tail', 'N123AB']],
  [['orvexdecode-export', 'kml', '--flight', '1'], ['kml', '--flight', '1']],
  ...[
    ['report', '--profile', profile, '--limits', limits, '--flight', '1', '--time-zone', 'Europe/Berlin'],
    ['report', '--airports', 'none', '--cross-country', '5', '--profile-set', 'liftoff_speed = 60'],
    ['report', '--airports', airports_csv, '--airport-radius', '1', '--heliports'],
    ['info-json', '--profile', profile, '--profile-set', 'aux1 = none', '--limits', limits, '--cross-country', '10'],
    ['info-json', '--time-zone', 'America/Los_Angeles', '--airport-radius', '0.5', '--heliports', '--engine-rpm', '600'],
    ['info-json', '--airports', airports_csv, '--gap', '2'],
    ['avionics-csv', '--local-time', '--profile', profile],
    ['avionics-csv', '--local-time', '--time-zone', 'Asia/Kathmandu', '--tail', 'N5'],
    ['gpx', '--profile-set', 'tail = N9'],
    ['csv', '--every', '0.01', '--to', '30'],
    // Usage errors: a period under the report's least, a value that is not a number.
    ['report', '--every', '0.01'],
    ['info-json', '--engine-rpm', 'fast'],
    // Refused before the LOG is read: a bad profile line, a bad setting, an unknown zone, airports
    // that can't be read.
    ['report', '--profile', bad_profile],
    ['info-json', '--profile-set', 'cylinders = 9'],
    ['report', '--time-zone', 'Nowhere/Atlantis'],
    ['info-json', '--airports', path.join(work, 'no such airports.csv')],
  ].map(([document, ...options]) => [
    document === 'report' ? ['orvexdecode-report', ...options, '-o', '-']
      : document === 'info-json' ? ['orvexdecode-info', '--json', ...options] : ['orvexdecode-export', document, ...options],
    [document, ...options],
  ]),
];
let api_runs = 0;
for (const log of logs.filter((_, i) => i % 5 === 0).concat([scenario_log])) {
  for (const [native_line, [document, ...options]] of api_documents) {
    const a = spawnSync(path.join(native, native_line[0]), [...native_line.slice(1), log], {
      maxBuffer: 1 << 30, env: airport_env,
    });
    const b = spawnSync(process.execPath, [front_end, '--document', document, ...options, log], {
      maxBuffer: 1 << 30, env: { ...airport_env, ORVEXDECODE_WASM: module_path },
    });
    ++api_runs;
    compare(`node orvexdecode.mjs --document ${document} ${options.join(' ')} ${path.basename(log)}`,
      { status: a.status, stdout: a.stdout, stderr: null, kml: null }, { status: b.status, stdout: b.stdout, stderr: null, kml: null });
  }
}
console.log(`${api_runs} runs of the report, the JSON summary and the exports`);

console.log(`${logs.length} LOGs, ${cases.length} option sets and documents, ${command_lines.length} command lines: ` +
  `${compared} outputs compared, ${differences.length} differ`);
for (const d of differences.slice(0, 40)) console.log(d);
process.exit(differences.length === 0 ? 0 : 1);
