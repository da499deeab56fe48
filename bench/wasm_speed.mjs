// The WebAssembly module's conversion time in Node, for bench/wasm.sh: one instance, the LOG read
// from its file by the module's host (tools/wasm/output_files.mjs, as the front end reads it),
// the document dropped. Prints the seconds of each run, one a line, after one run to warm up:
// the time that passed and the processor time of the process (user and system).
//
//   node wasm_speed.mjs MODULE xml|every|kml|track LOG RUNS
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

process.removeAllListeners('warning');
const { WASI } = await import('node:wasi');
const tools = fileURLToPath(new URL('../tools/wasm/', import.meta.url));
const { instantiate } = await import(path.join(tools, 'orvexdecode_module.mjs'));
const { log_input } = await import(path.join(tools, 'output_files.mjs'));

const [module_path, document, log, runs] = process.argv.slice(2);
const every_source = {
  ahrs: 1, eis: 1, analog: 1, set_menu: 1, gps_1: 1, gps_2: 1, arinc: 1, sl30_1: 1, sl30_2: 1, sl40: 1, weather: 1,
  gps_2_type: 2, verbose: 1, debug: 1,
};
const [name, fields] = {
  xml: ['xml', {}],
  every: ['xml', every_source],
  kml: ['path-kml', { summary: 0 }],
  track: ['track', {}],
}[document];

const null_fd = fs.openSync('/dev/null', 'w');
const wasi = new WASI({ version: 'preview1', args: ['orvexdecode'], env: {}, stderr: null_fd, returnOnExit: true });
const decoder = await instantiate(fs.readFileSync(module_path), wasi);
const dropped = { write() {} };

for (let run = 0; run <= Number(runs); ++run) {
  const fd = fs.openSync(log, 'r');
  const start = process.hrtime.bigint();
  const cpu_start = process.cpuUsage();
  const failed = decoder.convert(name, fields, log, new log_input(fd), [null, dropped]);
  const cpu = process.cpuUsage(cpu_start);
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  fs.closeSync(fd);
  if (failed !== 0) throw new Error(`the conversion failed (${failed})`);
  if (run > 0) console.log(`${seconds.toFixed(6)} ${((cpu.user + cpu.system) / 1e6).toFixed(6)}`);
}
