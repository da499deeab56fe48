// Reads a KML document with an independent XML parser and KML reader and prints what they
// found, one fact per line, for the decoder's tests:
//   root <element name> <namespace>
//   description <text of the document description>
//   feature <name> <geometry type or none> <coordinate count>
//   times <count> <first> <last>           (a gx:Track's sample times, when it has them)
//   timespan <begin> <end>                 (a feature's TimeSpan, when it has one)
//   <tab>longitude,latitude,altitude        (for each coordinate)
// Exits 1 with a message on standard error when the bytes are not UTF-8 or the XML parser
// reports an error.
'use strict';

const fs = require('fs');
const { DOMParser } = require('@xmldom/xmldom');
const { kml } = require('@tmcw/togeojson');

function fail(message) {
  process.stderr.write(`${message}\n`);
  process.exit(1);
}

const path = process.argv[2];
if (!path) fail('usage: node read_kml.cjs FILE.kml');

let text;
try {
  text = new TextDecoder('utf-8', { fatal: true }).decode(fs.readFileSync(path));
} catch (e) {
  fail(`not UTF-8: ${e.message}`);
}

const problems = [];
const dom = new DOMParser({
  onError: (level, message) => {
    if (level !== 'warning') problems.push(`${level}: ${message}`);
  },
}).parseFromString(text, 'text/xml');
if (problems.length > 0) fail(problems.join('\n'));

const root = dom.documentElement;
const lines = [`root ${root.nodeName} ${root.namespaceURI}`];
const description = dom.getElementsByTagName('description')[0];
lines.push(`description ${description ? description.textContent : '<none>'}`);

for (const feature of kml(dom).features) {
  const geometry = feature.geometry;
  // A point's coordinates are one position; a line's, a list of them.
  const coordinates =
    geometry && geometry.coordinates ? (geometry.type === 'Point' ? [geometry.coordinates] : geometry.coordinates) : [];
  lines.push(`feature ${feature.properties.name} ${geometry ? geometry.type : 'none'} ${coordinates.length}`);
  const times = feature.properties.coordinateProperties && feature.properties.coordinateProperties.times;
  if (times) lines.push(`times ${times.length} ${times[0]} ${times[times.length - 1]}`);
  const span = feature.properties.timespan;
  if (span) lines.push(`timespan ${span.begin} ${span.end}`);
  for (const c of coordinates) lines.push(`\t${c.join(',')}`);
}
process.stdout.write(`${lines.join('\n')}\n`);
