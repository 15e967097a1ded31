// The page in a real browser (Debian's chromium, headless): smoke on the colour ramp the
// simulator writes for the same colour, the text raster, the crop every display shares, the
// hosts' live settings, pausing, bad settings that leave a working page, the preview picture.
// Usage: node page_test.mjs BUILD-WEB-DIR NATIVE-VAPRYX-SIM
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync, mkdirSync, mkdtempSync } from 'node:fs';
import http from 'node:http';
import { tmpdir } from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const build = path.resolve(process.argv[2] || 'build/web');
const pagePath = path.join(build, 'vapryx.html');
const raster = new URL('../data/name-640x480.pgm', import.meta.url).pathname;
const work = mkdtempSync(path.join(tmpdir(), 'vapryx-web-'));
let passed = 0, failed = 0;
function check(what, ok, detail = '') {
  console.log(`  ${ok ? 'ok  ' : 'FAIL'} ${what}${detail ? ` (${detail})` : ''}`);
  ok ? ++passed : ++failed;
}

// The ramp's 256 colours for a colour and brightness, as vapryx-sim.js writes them.
const ramps = new Map();
function ramp(color, brightness = 5) {
  const key = `${color}/${brightness}`;
  if (!ramps.has(key)) {
    const file = path.join(work, `${color}-${brightness}.ramp`);
    execFileSync('node', [path.join(build, 'vapryx-sim.js'), '--resolution', '640x480',
      '--volume', '5', '--seed', '1', '--frames', '0', '--raster', raster,
      '--color', color, '--brightness', String(brightness), '--ramp', file]);
    const bytes = readFileSync(file), set = new Set();
    for (let i = 0; i < 256; ++i) set.add((bytes[3 * i] << 16) | (bytes[3 * i + 1] << 8) | bytes[3 * i + 2]);
    ramps.set(key, set);
  }
  return ramps.get(key);
}

// What the WebAssembly simulator lacks the libraries for: one line, status 2, no file.
for (const args of [['--raster', raster, '--png', path.join(work, 'x.png')],
  ['--raster', raster, '--gif', path.join(work, 'x.gif')], ['--text', 'hello']]) {
  let status = 0, lines = '';
  try {
    execFileSync('node', [path.join(build, 'vapryx-sim.js'), '--resolution', '640x480', '--volume',
      '5', '--seed', '1', '--frames', '1', '--field', path.join(work, 'x.raw'), ...args],
      { stdio: ['ignore', 'ignore', 'pipe'] });
  } catch (e) {
    status = e.status;
    lines = e.stderr.toString();
  }
  check(`vapryx-sim.js ${args[args.length - 2]}: refused in one line, status 2, no file`,
    status === 2 && lines.trim().split('\n').length === 1 && !existsSync(path.join(work, 'x.raw')),
    `${status}: ${lines.trim()}`);
}

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/lib/chromium/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--hide-scrollbars', '--mute-audio'],
});
const deadline = (ms) => ({ timeout: ms, polling: 50 });

// A picture's pixels, decoded by the browser itself: lit ones, and those off the ramp.
async function pictureOn(url, set) {
  const decoder = await browser.newPage();
  const [width, height, pixels] = await decoder.evaluate(async (url) => {
    const img = new Image();
    img.src = url;
    await img.decode();
    const c = document.createElement('canvas');
    c.width = img.width; c.height = img.height;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    return [c.width, c.height, Array.from(g.getImageData(0, 0, c.width, c.height).data)];
  }, url);
  await decoder.close();
  let lit = 0, off = 0;
  for (let i = 0; i < pixels.length; i += 4) {
    const rgb = (pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2];
    if (rgb !== 0) ++lit;
    if (!set.has(rgb)) ++off;
  }
  return { lit, off, width, height };
}
const pixelsOn = async (page, set) =>
  pictureOn('data:image/png;base64,' + await page.screenshot({ encoding: 'base64' }), set);

async function open(query, url = 'file://' + pagePath, setup = async () => {}) {
  const page = await browser.newPage();
  await setup(page);
  const warnings = [];
  page.on('console', (m) => { if (m.type() === 'warn' || m.type() === 'warning') warnings.push(m.text()); });
  page.on('pageerror', (e) => warnings.push('error: ' + e.message));
  await page.setViewport({ width: 1280, height: 720 });
  await page.goto(url + query);
  return { page, warnings };
}

async function framesAfter(page, more) {
  const now = await page.evaluate(() => window.vapryx.frames);
  await page.waitForFunction((n) => window.vapryx.frames >= n, deadline(30000), now + more);
  return now + more;
}

async function onRamp(what, page, color, brightness) {
  await framesAfter(page, 40);
  const { lit, off } = await pixelsOn(page, ramp(color, brightness));
  check(what, lit > 2000 && off === 0, `lit ${lit}, off the ramp ${off}`);
}

// Queries: the colour the smoke must be in, and how many one-line warnings come with it. An
// unescaped # starts the fragment, read as the query's; a fragment alone is the settings.
const table = [
  ['?color=00ff00&seed=5', '00ff00', 5, 0],
  ['?color=orange&brightness=7&volume=9', 'ffa500', 7, 0],
  ['?color=zzz%23&volume=99&resolution=1x1&delay=-5&brightness=x&fps=maybe&bogus=1', 'ffffff', 5, 7],
  ['?text=&font=No%20Such%20Font&color=%23FF0000', 'ff0000', 5, 0],
  ['?color=00ff00&color=nosuchcolour', '00ff00', 5, 1],
  ['?volume=3&color=#0000ff&brightness=8', '0000ff', 8, 0],
  ['#color=ff0000&brightness=7', 'ff0000', 7, 0],
];
for (const [query, color, brightness, warnings] of table) {
  const { page, warnings: seen } = await open(query);
  await onRamp(`${query}: smoke on the ${color} ramp`, page, color, brightness);
  check(`  ... with ${warnings} warnings`, seen.length === warnings, seen.join(' | '));
  await page.close();
}

// The text raster handed to the core: how much ink (255) and where it lies, and the warnings.
const noFontBox = (page) => page.evaluateOnNewDocument(() => ['fontBoundingBoxAscent', 'fontBoundingBoxDescent']
  .forEach((k) => Object.defineProperty(TextMetrics.prototype, k, { get: () => undefined })));
async function rasterOf(query, setup) {
  const { page, warnings } = await open(query, undefined, setup);
  await page.waitForFunction(() => window.vapryx.raster, deadline(30000));
  const raster = await page.evaluate(() => ({ ...window.vapryx.raster, ink: Array.from(window.vapryx.raster.ink) }));
  await page.close();
  return { ...raster, warnings };
}
async function inkOf(text, setup) {
  const { cx, cy, ink, warnings } = await rasterOf(`?text=${encodeURIComponent(text)}`, setup);
  const s = { n: 0, left: cx, right: -1, top: -1, bottom: -1, cy, warnings };
  ink.forEach((v, i) => {
    if (v !== 255) return;
    const x = i % cx, y = (i - x) / cx;
    if (s.top < 0) s.top = y;
    ++s.n, s.left = Math.min(s.left, x), s.right = Math.max(s.right, x), s.bottom = y;
  });
  return { ...s, share: s.n / ((s.right - s.left + 1) * (s.bottom - s.top + 1)) };
}
const name = await inkOf('name');
for (const [what, text, setup, ok] of [
  ['a colour emoji: a filled silhouette, in the box', '💙', undefined,
    (s) => s.share > 0.5 && s.left >= 50 && s.left < 70 && s.top > 0 && s.bottom < s.cy - 1],
  ['blanks: no ink, one line says so', '   ', undefined, (s) => s.n === 0 && s.warnings.join() ===
    'vapryx: the text "   " has no outline: nothing to draw the smoke from'],
  ['a NUL does not cut it', 'na\0me', undefined, (s) => Math.abs(s.n - name.n) < name.n / 20 && s.left === name.left],
  ['no face box (Firefox before 116): the same ink in its own box', 'name', noFontBox, (s) => s.n === name.n &&
    s.left === name.left && s.right === name.right && s.top === 0 && s.bottom === s.cy - 1],
]) {
  const s = await inkOf(text, setup);
  check(`text ${JSON.stringify(text)}: ${what}`, ok(s) && (text === '   ' || !s.warnings.length), JSON.stringify(s));
}

// The same text, the same shape as the Linux program lays it out (vapryx-sim --text-raster),
// in the same face: each raster scaled onto its ink box, nearly the same pixels are ink.
function ontoInkBox({ cx, ink }, w = 160, h = 64) {
  let x0 = cx, x1 = -1, y0 = -1, y1 = -1;
  ink.forEach((v, i) => {
    if (!v) return;
    const x = i % cx, y = (i - x) / cx;
    x0 = Math.min(x0, x), x1 = Math.max(x1, x), y1 = y, y0 = y0 < 0 ? y : y0;
  });
  return Array.from({ length: w * h }, (_, i) =>
    ink[(y0 + Math.floor((y1 + 1 - y0) * Math.floor(i / w) / h)) * cx + x0 + Math.floor((x1 + 1 - x0) * (i % w) / w)] !== 0);
}
for (const text of ['Vapryx', 'مرحبا', 'שלום', 'नमस्ते', '🔥', 'مرحبا abc']) {
  const page = ontoInkBox(await rasterOf(`?font=DejaVu%20Sans&text=${encodeURIComponent(text)}`));
  execFileSync(process.argv[3], ['--size', '800x600', '--volume', '5', '--seed', '1', '--frames', '0', '--text', text,
    '--font', 'DejaVu Sans', '--text-raster', path.join(work, 'text.pgm')]);
  const file = readFileSync(path.join(work, 'text.pgm'));
  const [w, h] = file.toString('latin1').split('\n', 2)[1].split(' ').map(Number);
  const linux = ontoInkBox({ cx: w, ink: file.subarray(file.length - w * h) });
  const both = page.filter((v, i) => v && linux[i]).length, either = page.filter((v, i) => v || linux[i]).length;
  check(`text ${text}: the page's raster is the Linux program's`, both / either > 0.85, (both / either).toFixed(2));
}

// The crop every display shares: a 640x480 field fills a 1280x720 page's width, cut above
// and below, the text band whole.
{
  const { page } = await open('?seed=1');
  await framesAfter(page, 2);
  const rect = await page.evaluate(() => {
    const r = document.getElementById('field').getBoundingClientRect();
    return [r.left, r.top, r.width, r.height, getComputedStyle(document.body).cursor].join(' ');
  });
  check('a 640x480 field on 1280x720 fills its width, cropped above and below; no pointer',
    rect === '0 -120 1280 960 none', rect);
  await page.setViewport({ width: 500, height: 700 });
  await page.waitForFunction(() => document.getElementById('field').style.width === '500px', deadline(5000));
  check('... and on a 500x700 page stands whole between bars', true);
  await page.close();
}

// Served over HTTP as well as opened from a file.
{
  const server = http.createServer((req, res) => {
    res.writeHead(200, { 'Content-Type': 'text/html' });
    res.end(readFileSync(pagePath));
  });
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  const { page } = await open('?color=00ff00', `http://127.0.0.1:${server.address().port}/vapryx.html`);
  await onRamp('served over HTTP: smoke on the green ramp', page, '00ff00', 5);
  await page.close();
  server.close();
}

// The hosts change settings live, without a reload; pausing stops the frames.
{
  const { page, warnings } = await open('?color=00ff00');
  await framesAfter(page, 5);
  await page.evaluate(() => { window.notReloaded = true; });
  await page.evaluate(() => window.livelyPropertyListener('color', '#FF0000'));
  await onRamp('Lively: livelyPropertyListener("color", "#FF0000") turns it red', page, 'ff0000', 5);
  await page.evaluate(() => window.wallpaperPropertyListener.applyUserProperties({
    color: { value: '0 0 1' }, brightness: { value: 8 }, schemecolor: { value: '0.2 0.4 0.6' } }));
  await onRamp('Wallpaper Engine: applyUserProperties colour "0 0 1", brightness 8', page, '0000ff', 8);
  await page.evaluate(() => window.livelyPropertyListener('text', 'hello'));
  await page.evaluate(() => window.livelyPropertyListener('resolution', 1));
  await framesAfter(page, 10);
  const size = await page.evaluate(() => [document.getElementById('field').width, window.notReloaded]);
  check('Lively: a new text and resolution prepare the smoke again, live', size[0] === 800 && size[1] === true, String(size));

  const still = async (what, pause, resume) => {
    await page.evaluate(pause);
    const a = await page.evaluate(() => window.vapryx.frames);
    await new Promise((r) => setTimeout(r, 700));
    const b = await page.evaluate(() => window.vapryx.frames);
    await page.evaluate(resume);
    await framesAfter(page, 3);
    check(`${what}: no frames while paused, and on again`, a === b, `${a} -> ${b}`);
  };
  await still('Lively playback paused',
    () => window.livelyWallpaperPlaybackChanged('{"IsPaused":true}'),
    () => window.livelyWallpaperPlaybackChanged('{"IsPaused":false}'));
  await still('Wallpaper Engine setPaused',
    () => window.wallpaperPropertyListener.setPaused(true),
    () => window.wallpaperPropertyListener.setPaused(false));
  await still('page hidden',
    () => {
      Object.defineProperty(document, 'hidden', { value: true, configurable: true });
      document.dispatchEvent(new Event('visibilitychange'));
    },
    () => {
      Object.defineProperty(document, 'hidden', { value: false, configurable: true });
      document.dispatchEvent(new Event('visibilitychange'));
    });
  // Paused, a new colour still shows: the field as it stands through the new ramp.
  await page.evaluate(() => window.wallpaperPropertyListener.setPaused(true));
  const frozen = await page.evaluate(() => window.vapryx.frames);
  await page.evaluate(() => window.livelyPropertyListener('color', '#FFA500'));
  await new Promise((r) => setTimeout(r, 300));
  const paused = await pixelsOn(page, ramp('ffa500', 8));  // brightness 8 from above
  const after = await page.evaluate(() => window.vapryx.frames);
  check('paused, a new colour shows at once, without a frame', paused.lit > 2000 &&
    paused.off === 0 && after === frozen, `lit ${paused.lit}, off ${paused.off}, frames ${frozen} -> ${after}`);
  // And a new text: its outline, on the ramp, the old smoke gone (brightness 5: black around).
  await page.evaluate(() => {
    window.livelyPropertyListener('brightness', 5);
    window.livelyPropertyListener('text', 'hi');
  });
  await page.waitForFunction(() => window.vapryx.raster.cx < 300, deadline(5000));  // 'hello' is wider
  const text = await pixelsOn(page, ramp('ffa500')), frames = await page.evaluate(() => window.vapryx.frames);
  check('paused, a new text shows its outline at once, without a frame',
    text.lit > 2000 && text.lit < 1280 * 720 / 20 && text.off === 0 && frames === frozen,
    `lit ${text.lit}, off ${text.off}, frames ${frames}`);
  check("no warnings from the hosts, for Wallpaper Engine's own schemecolor either", !warnings.length, warnings.join());
  await page.close();
}

// A frame-rate limit from Wallpaper Engine slows it down.
{
  const { page } = await open('?delay=0');
  await framesAfter(page, 5);
  await page.evaluate(() => window.wallpaperPropertyListener.applyGeneralProperties({ fps: 5 }));
  const at = () => page.evaluate(() => [window.vapryx.frames, performance.now()]);
  const [a, t0] = await at();
  await new Promise((r) => setTimeout(r, 1000));
  const [b, t1] = await at();
  // Timed by the page's own clock: a busy machine may stretch the wait, not the rate.
  const allowed = Math.floor(((t1 - t0) / 1000) * 5) + 1;
  check('Wallpaper Engine fps 5: at most 5 frames a second', b > a && b - a <= allowed,
    `${b - a} frames in ${Math.round(t1 - t0)} ms`);
  await page.close();
}

// The hosts' packages carry the preview picture they name: the simulator's smoke, square.
{
  const lively = path.join(work, 'lively'), engine = path.join(build, 'wallpaper-engine');
  mkdirSync(lively);
  execFileSync('cmake', ['-E', 'tar', 'xf', path.join(build, 'vapryx-lively.zip')], { cwd: lively });
  for (const [dir, json, key] of [[lively, 'LivelyInfo.json', 'Thumbnail'], [lively, 'LivelyInfo.json', 'Preview'],
    [engine, 'project.json', 'preview']]) {
    const file = path.join(dir, String(JSON.parse(readFileSync(path.join(dir, json)))[key]));
    const p = existsSync(file) && await pictureOn('data:image/gif;base64,' + readFileSync(file).toString('base64'),
      ramp('ffffff'));
    check(`${json} ${key}: a square picture of the smoke in the package`, p && p.width === p.height &&
      p.lit > p.width * p.height / 4 && p.off === 0, `${file} ${p && [p.width, p.height, p.lit, p.off]}`);
  }
}

await browser.close();
console.log(`web: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
