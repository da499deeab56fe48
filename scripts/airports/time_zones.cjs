// Reads "ident<TAB>latitude<TAB>longitude" lines on standard input and writes
// "ident<TAB>zone" lines: the IANA time zone at each position, from the time-zone boundaries
// geo-tz carries (its comprehensive product, whose names stay right before 1970 too). Where
// boundaries overlap (disputed areas, and Xinjiang, whose two zones both hold there) the name
// first in alphabetical order is taken, so that the choice never depends on the data's order.
'use strict';
const { find } = require('geo-tz/all');

const input = require('fs').readFileSync(0, 'utf8');
const out = [];
for (const line of input.split('\n')) {
  if (line === '') continue;
  const [ident, latitude, longitude] = line.split('\t');
  const zones = find(Number(latitude), Number(longitude)).slice().sort();
  if (zones.length === 0) throw new Error(`no time zone at ${ident} ${latitude} ${longitude}`);
  out.push(`${ident}\t${zones[0]}`);
}
process.stdout.write(out.join('\n') + '\n');
