// Opens an HTML flight report in Debian's headless Chromium, with the network off (every
// request but the file itself is refused and counted), and tells what a reader of the page
// would find, one fact a line:
//
//   requests refused N                     requests for anything but the file
//   script errors N                        uncaught errors and console errors
//   script ran yes|no
//   chart ID series N                      each chart, then each of its series:
//   series ID NAME points N runs N min V max V
//   chart ID empty                         a chart the LOG holds no data for
//   bands ID engine N air N exceed N limits N
//   map points N pieces N marks N
//   hover readout SERIES-WITH-VALUES map-cursor on|off
//   zoom changed|unchanged restored|not-restored
//   print widest W tallest H               the charts' and map's size in CSS pixels, printed on A4
//   screenshot PATH
//
//   node check_report.cjs REPORT.html SCREENSHOT.png [CHROMIUM]
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

async function main() {
  const [report, screenshot, chromium = '/usr/bin/chromium'] = process.argv.slice(2);
  const fileUrl = 'file://' + path.resolve(report).split('/').map(encodeURIComponent).join('/');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'orvexdecode-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    pipe: true,
    userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run', '--hide-scrollbars'],
  });
  const lines = [];
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1200, height: 900 });
    let refused = 0;
    const errors = [];
    await page.setRequestInterception(true);
    page.on('request', (request) => {
      if (request.url() === fileUrl) return request.continue();
      refused += 1;
      errors.push('request ' + request.url());
      return request.abort('internetdisconnected');
    });
    page.on('pageerror', (e) => errors.push('page error ' + e.message));
    page.on('console', (m) => { if (m.type() === 'error') errors.push('console ' + m.text()); });
    await page.setOfflineMode(true);
    await page.goto(fileUrl, { waitUntil: 'load' });

    const facts = await page.evaluate(() => {
      const out = [];
      const parse = (d) => {
        const runs = [];
        let run = null, pending = null;
        for (const s of d.match(/[MLh]|-?\d+(?:\.\d+)?/g) || []) {
          if (s === 'M') { run = []; runs.push(run); pending = null; }
          else if (s === 'h') pending = 'skip';
          else if (s === 'L') continue;
          else if (pending === 'skip') pending = null;
          else if (pending === null) pending = +s;
          else { run.push([pending, -s]); pending = null; }
        }
        return runs;
      };
      out.push('script ran ' + (document.documentElement.classList.contains('js') ? 'yes' : 'no'));
      for (const f of document.querySelectorAll('figure.chart')) {
        const id = f.id.replace(/^chart-/, '');
        const paths = f.querySelectorAll('path.s[data-name]');
        if (!paths.length) { out.push('chart ' + id + ' empty'); continue; }
        out.push('chart ' + id + ' series ' + paths.length);
        for (const p of paths) {
          const runs = parse(p.getAttribute('d'));
          const values = runs.flat().map((q) => q[1]);
          out.push('series ' + id + ' ' + p.getAttribute('data-name') + ' points ' + values.length + ' runs ' +
                   runs.length + ' min ' + Math.min(...values) + ' max ' + Math.max(...values));
        }
        const count = (sel) => f.querySelectorAll(sel).length;
        out.push('bands ' + id + ' engine ' + count('svg.d rect.b-engine') + ' air ' + count('svg.d rect.b-air') +
                 ' exceed ' + count('svg.d rect.b-exceed') + ' limits ' + count('path.limit'));
      }
      const casing = document.querySelector('path.casing');
      out.push('map points ' + (casing ? parse(casing.getAttribute('d')).flat().length : 0) + ' pieces ' +
               document.querySelectorAll('svg.track path[class^=a]').length + ' marks ' +
               document.querySelectorAll('svg.track .mark').length);
      return out;
    });
    lines.push(...facts);

    // The script: hover in the middle of the first chart, then zoom by dragging and restore.
    const plot = await page.$('figure.chart svg.plot');
    if (plot) {
      await plot.scrollIntoView();
      const box = await plot.boundingBox();
      const y = box.y + box.height * 0.5;
      const at = (f) => box.x + box.width * (0.062 + 0.876 * f);
      await page.mouse.move(at(0.5), y);
      const hover = await page.evaluate(() => {
        const r = document.querySelector('figure.chart .readout').textContent;
        const dot = document.getElementById('map-cursor');
        const values = (r.match(/\d/g) || []).length > 0 ? r.split(' \u00B7 ').length - 1 : 0;
        return 'hover readout ' + values + ' map-cursor ' + (dot && dot.getAttribute('class') === 'on' ? 'on' : 'off');
      });
      lines.push(hover);
      const viewBoxes = () => page.evaluate(() =>
        Array.from(document.querySelectorAll('svg.d')).map((s) => s.getAttribute('viewBox')).join('|'));
      const before = await viewBoxes();
      await page.mouse.move(at(0.3), y);
      await page.mouse.down();
      await page.mouse.move(at(0.5), y, { steps: 4 });
      await page.mouse.up();
      const zoomed = await viewBoxes();
      await page.mouse.click(at(0.4), y, { clickCount: 2 });
      const restored = await viewBoxes();
      lines.push('zoom ' + (zoomed !== before ? 'changed' : 'unchanged') + ' ' +
                 (restored === before ? 'restored' : 'not-restored'));
      await page.mouse.move(1, 1);
    }

    await page.screenshot({ path: screenshot, fullPage: true });

    // Printed on A4 (210 mm less 12 mm margins each side, 96 pixels an inch).
    await page.emulateMediaType('print');
    await page.setViewport({ width: 703, height: 1000 });
    const printed = await page.evaluate(() => {
      let widest = 0, tallest = 0;
      for (const f of document.querySelectorAll('figure')) {
        const r = f.getBoundingClientRect();
        widest = Math.max(widest, Math.ceil(r.width));
        tallest = Math.max(tallest, Math.ceil(r.height));
      }
      return 'print widest ' + widest + ' tallest ' + tallest;
    });
    lines.push(printed);
    await page.pdf({ path: screenshot.replace(/\.png$/, '') + '.pdf', format: 'A4', printBackground: true });
    lines.unshift('requests refused ' + refused, 'script errors ' + errors.length);
    for (const e of errors) lines.push('error ' + e);
    lines.push('screenshot ' + path.resolve(screenshot));
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  process.stdout.write(lines.join('\n') + '\n');
}

main().catch((e) => {
  process.stderr.write(String(e && e.stack || e) + '\n');
  process.exit(1);
});
