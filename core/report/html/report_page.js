// The flight report's script: zooms every chart together, reads every series out under the
// cursor and moves the marker on the map. The page is whole without it.
(function () {
  'use strict';
  var NS = 'http://www.w3.org/2000/svg';
  var section = document.getElementById('charts');
  document.documentElement.className += ' js';
  if (!section) return;
  // The pieces of the time axis: where each begins (seconds on the axis), its clock there
  // (seconds of UTC or of LOG time) and whether the time before it is cut out.
  var pieces = (section.getAttribute('data-axis') || '').split(' ').filter(Boolean).map(function (p) {
    var f = p.split(',');
    return { x: +f[0], c: +f[1], utc: f[2].charAt(0) === 'u', cut: f[2].indexOf('c') > 0 };
  });
  if (!pieces.length) pieces = [{ x: 0, c: 0, utc: false, cut: false }];
  var cut = +(section.getAttribute('data-cut') || 0);
  // The charts' geometry as the page's writer declares it (chart_geometry.h): the plot area in
  // each chart's coordinates and the time labels' baseline; the most time ticks and their steps.
  var plot = (section.getAttribute('data-plot') || '').split(' ').map(Number);
  var L = plot[0], T = plot[1], W = plot[2], H = plot[3], LABEL_Y = plot[4];
  var ticks = (section.getAttribute('data-ticks') || '').split(' ').map(Number);
  var MAX_TICKS = ticks[0], STEPS = ticks.slice(1);
  var bucket = +(section.getAttribute('data-bucket') || 1);
  var gap = +(section.getAttribute('data-gap') || 5);
  var figures = Array.prototype.slice.call(section.querySelectorAll('figure.chart'));
  var charts = [];
  var span = 0;
  figures.forEach(function (f) {
    var svg = f.querySelector('svg.plot');
    if (!svg) return;
    span = +f.getAttribute('data-span');
    charts.push({
      svg: svg,
      layers: Array.prototype.slice.call(svg.querySelectorAll('svg.d')),
      paths: Array.prototype.slice.call(svg.querySelectorAll('path.s')),
      xaxis: svg.querySelector('g.xaxis'),
      readout: f.querySelector('.readout'),
      runs: null
    });
  });
  if (!charts.length || !(span > 0)) return;
  var x0 = 0, x1 = span;

  function pad(n) { return (n < 10 ? '0' : '') + n; }
  function clock(s, seconds, utc) {  // s: seconds of the clock the labels read
    var w = Math.round(s);
    var h = Math.floor(w / 3600), m = Math.floor(w / 60) % 60, sec = w % 60;
    if (!utc) return h + ':' + pad(m) + ':' + pad(sec);
    h = h % 24;
    return pad(h) + ':' + pad(m) + (seconds ? ':' + pad(sec) : '');
  }
  function pieceAt(t) {
    var p = pieces[0];
    for (var i = 1; i < pieces.length && pieces[i].x <= t; i++) p = pieces[i];
    return p;
  }
  function moment(t) {
    var p = pieceAt(t), s = p.c + (t - p.x);
    return p.utc ? clock(s, true, true) + 'Z' : 'LOG ' + clock(s, true, false);
  }

  function tickStep(s) {
    for (var i = 0; i < STEPS.length; i++) if (s / STEPS[i] <= MAX_TICKS) return STEPS[i];
    var last = STEPS[STEPS.length - 1];
    return Math.ceil(s / MAX_TICKS / last) * last;
  }
  function el(name, attrs, text) {
    var e = document.createElementNS(NS, name);
    for (var k in attrs) e.setAttribute(k, attrs[k]);
    if (text !== undefined) e.textContent = text;
    return e;
  }
  // Ticks at whole steps of each piece's clock, and a break mark where time is cut out.
  function drawTicks(c) {
    if (!c.xaxis) return;
    while (c.xaxis.firstChild) c.xaxis.removeChild(c.xaxis.firstChild);
    var s = x1 - x0, step = tickStep(s), n = 0;
    function px(t) { return (L + (t - x0) / s * W).toFixed(1); }
    pieces.forEach(function (p, i) {
      var end = i + 1 < pieces.length ? pieces[i + 1].x : span;
      var mark = p.x - cut / 2;
      if (p.cut && mark >= x0 && mark <= x1) c.xaxis.appendChild(el('path', { 'class': 'cut', d: 'M' + px(mark) + ' ' + T + 'V' + (T + H) }));
      var lo = Math.max(p.x, x0), hi = Math.min(end, x1);
      if (hi < lo) return;
      for (var t = Math.ceil((p.c + lo - p.x) / step - 1e-9) * step; t <= p.c + hi - p.x + 1e-6 && n < 64; t += step, n++) {
        var x = px(p.x + t - p.c);
        c.xaxis.appendChild(el('path', { d: 'M' + x + ' ' + T + 'V' + (T + H) }));
        c.xaxis.appendChild(el('text', { x: x, y: LABEL_Y }, clock(t, step < 60, p.utc)));
      }
    });
  }
  function setRange(a, b) {
    var min = Math.min(span, Math.max(4 * bucket, 2));
    a = Math.max(0, a); b = Math.min(span, b);
    if (b - a < min) { var m = (a + b) / 2; a = Math.max(0, m - min / 2); b = Math.min(span, a + min); a = Math.max(0, b - min); }
    x0 = a; x1 = b;
    charts.forEach(function (c) {
      c.layers.forEach(function (l) {
        var v = l.getAttribute('viewBox').split(' ');
        l.setAttribute('viewBox', x0 + ' ' + v[1] + ' ' + (x1 - x0) + ' ' + v[3]);
      });
      drawTicks(c);
    });
  }

  // The points of a chart's or the map's path data (path_data.h), as runs of x and y.
  function readPath(d) {
    var runs = [], run = null, pending = null, re = /[MLh]|-?\d+(?:\.\d+)?/g, m;
    while ((m = re.exec(d))) {
      var s = m[0];
      if (s === 'M') { run = { x: [], y: [] }; runs.push(run); pending = null; }
      else if (s === 'h') { re.exec(d); }
      else if (s !== 'L') {
        if (pending === null) pending = +s;
        else { run.x.push(pending); run.y.push(+s); pending = null; }
      }
    }
    return runs;
  }
  // A series as runs of x (seconds) and values: a chart's y is the value negated.
  function seriesRuns(d) {
    var runs = readPath(d);
    runs.forEach(function (r) { r.y = r.y.map(function (y) { return -y; }); });
    return runs;
  }
  function valueAt(runs, t) {
    for (var i = 0; i < runs.length; i++) {
      var r = runs[i], n = r.x.length;
      if (t < r.x[0] - bucket) return null;
      if (t > r.x[n - 1] + bucket) continue;
      var lo = 0, hi = n - 1;
      while (hi - lo > 1) { var mid = (lo + hi) >> 1; if (r.x[mid] <= t) lo = mid; else hi = mid; }
      return Math.abs(r.x[hi] - t) < Math.abs(t - r.x[lo]) ? r.y[hi] : r.y[lo];
    }
    return null;
  }
  function number(v, dec) {
    var s = v.toFixed(dec);
    if (s.indexOf('.') >= 0) s = s.replace(/0+$/, '').replace(/\.$/, '');
    return s === '-0' ? '0' : s;
  }

  var track = document.querySelector('path.casing');
  var dot = document.getElementById('map-cursor');
  var trackPoints = null;
  function trackAt(t) {
    if (!trackPoints) {
      var runs = readPath(track.getAttribute('d'));
      var times = track.getAttribute('data-t').split(' ').map(Number);
      trackPoints = { x: [], y: [], t: times };
      runs.forEach(function (r) { for (var i = 0; i < r.x.length; i++) { trackPoints.x.push(r.x[i]); trackPoints.y.push(r.y[i]); } });
    }
    var p = trackPoints, lo = 0, hi = p.t.length - 1;
    if (hi < 0) return -1;
    while (hi - lo > 1) { var mid = (lo + hi) >> 1; if (p.t[mid] <= t) lo = mid; else hi = mid; }
    var i = Math.abs(p.t[hi] - t) < Math.abs(t - p.t[lo]) ? hi : lo;
    return Math.abs(p.t[i] - t) <= gap ? i : -1;
  }

  function showCursor(t) {
    var x = L + (t - x0) / (x1 - x0) * W;
    charts.forEach(function (c) {
      c.cursor.setAttribute('x1', x); c.cursor.setAttribute('x2', x);
      c.cursor.style.visibility = 'visible';
      if (!c.runs) c.runs = c.paths.map(function (p) { return seriesRuns(p.getAttribute('d')); });
      // Built as nodes: a series' name and unit are text, never markup.
      var parts = [document.createTextNode(moment(t))];
      c.paths.forEach(function (p, k) {
        var v = valueAt(c.runs[k], t);
        var swatch = document.createElement('span');
        swatch.style.color = getComputedStyle(p).stroke;
        swatch.textContent = '\u25A0';
        parts.push(document.createTextNode(' \u00B7 '), swatch, document.createTextNode(' ' + p.getAttribute('data-name') + ' ' +
                   (v === null ? '\u2014' : number(v, +p.getAttribute('data-dec')) + ' ' + p.getAttribute('data-unit'))));
      });
      c.readout.textContent = '';
      parts.forEach(function (n) { c.readout.appendChild(n); });
    });
    if (track && dot) {
      var i = trackAt(t);
      if (i < 0) dot.setAttribute('class', '');
      else { dot.setAttribute('cx', trackPoints.x[i]); dot.setAttribute('cy', trackPoints.y[i]); dot.setAttribute('class', 'on'); }
    }
  }
  function hideCursor() {
    charts.forEach(function (c) { c.cursor.style.visibility = 'hidden'; });
  }

  charts.forEach(function (c) {
    var sel = el('rect', { 'class': 'selection', x: 0, y: T, width: 0, height: H });
    c.cursor = el('line', { 'class': 'cursor', x1: L, x2: L, y1: T, y2: T + H });
    c.cursor.style.visibility = 'hidden';
    var hit = el('rect', { 'class': 'hitarea', x: L, y: T, width: W, height: H });
    c.svg.appendChild(sel); c.svg.appendChild(c.cursor); c.svg.appendChild(hit);
    var start = null;
    function plotX(e) {
      var m = c.svg.getScreenCTM();
      var p = c.svg.createSVGPoint(); p.x = e.clientX; p.y = e.clientY;
      return Math.min(L + W, Math.max(L, p.matrixTransform(m.inverse()).x));
    }
    function timeOf(px) { return x0 + (px - L) / W * (x1 - x0); }
    hit.addEventListener('mousedown', function (e) { start = plotX(e); e.preventDefault(); });
    hit.addEventListener('mousemove', function (e) {
      var px = plotX(e);
      showCursor(timeOf(px));
      if (start !== null) { sel.setAttribute('x', Math.min(start, px)); sel.setAttribute('width', Math.abs(px - start)); }
    });
    window.addEventListener('mouseup', function (e) {
      if (start === null) return;
      var px = plotX(e), a = start;
      start = null; sel.setAttribute('width', 0);
      if (Math.abs(px - a) > 4) setRange(timeOf(Math.min(a, px)), timeOf(Math.max(a, px)));
    });
    hit.addEventListener('mouseleave', function () { if (start === null) hideCursor(); });
    hit.addEventListener('dblclick', function () { setRange(0, span); });
  });
  var all = document.getElementById('show-all');
  if (all) all.addEventListener('click', function () { setRange(0, span); });

  Array.prototype.forEach.call(document.querySelectorAll('a.exceed'), function (a) {
    a.addEventListener('click', function (e) {
      var from = +a.getAttribute('data-from'), to = +a.getAttribute('data-to');
      var margin = Math.max(30, (to - from) * 0.5);
      setRange(from - margin, to + margin);
      Array.prototype.forEach.call(document.querySelectorAll('.b-exceed.hit,.b-warn.hit'), function (b) { b.classList.remove('hit'); });
      var band = document.getElementById(a.getAttribute('data-band'));
      if (band) band.classList.add('hit');
      var target = document.querySelector(a.getAttribute('href'));
      if (target) { e.preventDefault(); target.scrollIntoView({ block: 'center' }); showCursor((from + to) / 2); }
    });
  });
})();
