#!/usr/bin/env bash
# Makes doc/report.png, the picture of the HTML flight report that README shows: the top of the
# sample flight's report (header, flights, the first charts) as the browser test wrote it to
# BUILD/report_browser/demo_flight.html, drawn by Debian's headless chromium with
# puppeteer-core, as the test draws it: the page laid out 1024 px wide, the picture 768 px.
#   bash scripts/report_screenshot.sh [BUILD]     BUILD: the build folder, build/ by default
# Run the browser test first: ctest --test-dir build -R ReportInBrowser (scripts/test.sh
# installs what it needs).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
page=$build/report_browser/demo_flight.html
modules=tests/export/report_browser/node_modules
if [ ! -f "$page" ]; then
  echo "No $page: run the browser test first (ctest --test-dir $build -R ReportInBrowser)" >&2
  exit 1
fi
if [ ! -d "$modules/puppeteer-core" ]; then
  echo "No puppeteer-core: npm install --prefix tests/export/report_browser" >&2
  exit 1
fi

NODE_PATH=$modules node - "$page" doc/report.png <<'EOF'
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

(async () => {
  const [page, png] = process.argv.slice(2);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'orvexdecode-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true, pipe: true, userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--hide-scrollbars', '--no-first-run'],
  });
  try {
    const tab = await browser.newPage();
    await tab.setViewport({ width: 1024, height: 900, deviceScaleFactor: 0.75 });
    // Only the page itself: the report asks for nothing else.
    await tab.setRequestInterception(true);
    tab.on('request', (r) => (r.url().startsWith('file:') ? r.continue() : r.abort()));
    await tab.goto('file://' + path.resolve(page), { waitUntil: 'load' });
    // Down to the end of the first chart.
    const bottom = await tab.evaluate(() => {
      const chart = document.querySelector('figure.chart') || document.body;
      return Math.ceil(chart.getBoundingClientRect().bottom + window.scrollY);
    });
    await tab.screenshot({ path: png, clip: { x: 0, y: 0, width: 1024, height: bottom }, captureBeyondViewport: true });
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
})().catch((e) => {
  process.stderr.write(String(e && e.stack || e) + '\n');
  process.exit(1);
});
EOF
echo "Wrote doc/report.png ($(stat -c %s doc/report.png) bytes)"
