// Opens an HTML flight report in Debian's headless Chromium, with the network off (every
// request but the file itself is refused and counted), and tells what a reader of the page
// would find, one fact a line:
//
//   requests refused N                     requests for anything but the file, on every page
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
//   screenshot PATH                        the page at 1280 px; beside it PATH-less-.png.a4.pdf,
//                                          .letter.pdf and .412.png (the page on a phone)
//
// Then the page on a phone 412 px wide (and on a small phone, 360 px, and a tablet, 768 px),
// every <details> opened, once as loaded and once zoomed by a drag across the first chart:
//
//   phone W[ zoomed] document D            the document's width: W when nothing scrolls sideways
//   phone W[ zoomed] texts N below-10px N smallest S cut N
//                                          every text node shown: its size as rendered (the
//                                          computed font size times the on-screen scale of an SVG),
//                                          and those cut off by the viewport or a clipping box
//   phone W[ zoomed] cells N outside N     every table cell shown, and those not wholly inside
//                                          the viewport
//   phone W[ zoomed] small|cut|outside TEXT
//                                          the first few offenders, to say which
//   phone W zoom unchanged                 the drag did not zoom
//
//   node check_report.cjs REPORT.html SCREENSHOT.png [CHROMIUM]
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const phoneWidths = [412, 360, 768];

// What a reader of the page at this width finds: run in the page. A text is measured as shown
// (the font size times the scale its SVG is drawn at); a text or cell is "cut" or "outside" when
// part of it lies beyond the viewport's sides or beyond a box that clips its overflow.
function measurePage(examples) {
  const width = document.documentElement.clientWidth;
  const facts = {
    document: Math.max(document.documentElement.scrollWidth, document.body.scrollWidth),
    texts: 0, small: 0, smallest: Infinity, cut: 0, cells: 0, outside: 0, offenders: [],
  };
  const note = (kind, text, detail) => {
    if (facts.offenders.filter((o) => o.startsWith(kind)).length < examples) {
      facts.offenders.push(kind + ' ' + JSON.stringify(text.trim().slice(0, 40)) + (detail ? ' ' + detail : ''));
    }
  };
  const beyond = (r, box) => r.left < box.left - 0.5 || r.right > box.right + 0.5 ||
                             r.top < box.top - 0.5 || r.bottom > box.bottom + 0.5;
  const sideways = (r) => r.left < -0.5 || r.right > width + 0.5;
  const clipped = (element, r) => {
    for (let a = element.parentElement; a && a !== document.body; a = a.parentElement) {
      const style = getComputedStyle(a);
      if ((style.overflowX !== 'visible' || style.overflowY !== 'visible') && beyond(r, a.getBoundingClientRect())) {
        return true;
      }
    }
    return false;
  };
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    const element = node.parentElement;
    if (!node.data.trim() || !element || element.closest('script, style, title, desc')) continue;
    const style = getComputedStyle(element);
    if (style.visibility !== 'visible') continue;
    let r;
    let size = parseFloat(style.fontSize);
    if (element instanceof SVGElement) {
      r = element.getBoundingClientRect();
      const m = element.getScreenCTM();
      if (!m) continue;
      size *= Math.min(Math.hypot(m.a, m.b), Math.hypot(m.c, m.d));
    } else {
      const range = document.createRange();
      range.selectNodeContents(node);
      if (!Array.from(range.getClientRects()).some((q) => q.width > 0 && q.height > 0)) continue;
      r = range.getBoundingClientRect();
    }
    if (!(r.width > 0 && r.height > 0)) continue;
    facts.texts += 1;
    size = Math.round(size * 10) / 10;
    facts.smallest = Math.min(facts.smallest, size);
    if (size < 10) {
      facts.small += 1;
      note('small', node.data, size + 'px');
    }
    if (sideways(r) || clipped(element, r)) {
      facts.cut += 1;
      note('cut', node.data);
    }
  }
  for (const cell of document.querySelectorAll('td, th')) {
    if (!cell.getClientRects().length) continue;
    facts.cells += 1;
    if (sideways(cell.getBoundingClientRect())) {
      facts.outside += 1;
      note('outside', cell.textContent);
    }
  }
  return facts;
}

// Opens the report in a new page with every other request refused; counts into `network`.
async function openReport(browser, fileUrl, viewport, network) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  await page.setRequestInterception(true);
  page.on('request', (request) => {
    if (request.url() === fileUrl) return request.continue();
    network.refused += 1;
    network.errors.push('request ' + request.url());
    return request.abort('internetdisconnected');
  });
  page.on('pageerror', (e) => network.errors.push('page error ' + e.message));
  page.on('console', (m) => { if (m.type() === 'error') network.errors.push('console ' + m.text()); });
  await page.setOfflineMode(true);
  await page.goto(fileUrl, { waitUntil: 'load' });
  return page;
}

// Drags across the first chart from 30 % to 50 % of its time axis; false without a chart.
async function dragAcrossFirstChart(page) {
  const plot = await page.$('figure.chart svg.plot');
  if (!plot) return false;
  await plot.scrollIntoView();
  const box = await plot.boundingBox();
  const y = box.y + box.height * 0.5;
  const at = (f) => box.x + box.width * (0.062 + 0.876 * f);
  await page.mouse.move(at(0.3), y);
  await page.mouse.down();
  await page.mouse.move(at(0.5), y, { steps: 4 });
  await page.mouse.up();
  await page.mouse.move(1, 1);
  return true;
}

// The facts of the page on a phone (or tablet) of the given width.
async function phoneFacts(browser, fileUrl, width, network, screenshot) {
  const page = await openReport(browser, fileUrl, { width, height: 915, isMobile: true, hasTouch: true }, network);
  const lines = [];
  const measure = async (label) => {
    const f = await page.evaluate(measurePage, 5);
    lines.push(label + ' document ' + f.document,
               label + ' texts ' + f.texts + ' below-10px ' + f.small + ' smallest ' + f.smallest + ' cut ' + f.cut,
               label + ' cells ' + f.cells + ' outside ' + f.outside);
    for (const o of f.offenders) lines.push(label + ' ' + o);
  };
  await page.evaluate(() => { for (const d of document.querySelectorAll('details')) d.open = true; });
  await measure('phone ' + width);
  if (screenshot) await page.screenshot({ path: screenshot, fullPage: true });
  const viewBoxes = () => page.evaluate(() =>
    Array.from(document.querySelectorAll('svg.d')).map((s) => s.getAttribute('viewBox')).join('|'));
  const before = await viewBoxes();
  if (await dragAcrossFirstChart(page)) {
    if (await viewBoxes() !== before) await measure('phone ' + width + ' zoomed');
    else lines.push('phone ' + width + ' zoom unchanged');
  }
  await page.close();
  return lines;
}

async function main() {
  const [report, screenshot, chromium = '/usr/bin/chromium'] = process.argv.slice(2);
  const fileUrl = 'file://' + path.resolve(report).split('/').map(encodeURIComponent).join('/');
  const stem = screenshot.replace(/\.png$/, '');
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
  const network = { refused: 0, errors: [] };
  try {
    const page = await openReport(browser, fileUrl, { width: 1280, height: 900 }, network);

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
      await dragAcrossFirstChart(page);
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
    await page.pdf({ path: stem + '.a4.pdf', format: 'A4', printBackground: true });
    await page.pdf({ path: stem + '.letter.pdf', format: 'Letter', printBackground: true });
    await page.close();

    for (const width of phoneWidths) {
      lines.push(...await phoneFacts(browser, fileUrl, width, network, width === 412 ? stem + '.412.png' : null));
    }
    lines.unshift('requests refused ' + network.refused, 'script errors ' + network.errors.length);
    for (const e of network.errors) lines.push('error ' + e);
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
