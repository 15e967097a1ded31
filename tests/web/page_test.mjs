// The page in a real browser (Debian's chromium, headless): smoke on the colour ramp the
// simulator writes for the same colour, the crop every display shares, the hosts' live
// settings, pausing, and bad settings that leave a working page.
// Usage: node page_test.mjs BUILD-WEB-DIR
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync, mkdtempSync } from 'node:fs';
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

// The screenshot's pixels, decoded by the browser itself: lit ones, and those off the ramp.
async function pixelsOn(page, set) {
  const png = await page.screenshot({ encoding: 'base64' });
  const decoder = await browser.newPage();
  const pixels = await decoder.evaluate(async (data) => {
    const img = new Image();
    img.src = 'data:image/png;base64,' + data;
    await img.decode();
    const c = document.createElement('canvas');
    c.width = img.width; c.height = img.height;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    return Array.from(g.getImageData(0, 0, c.width, c.height).data);
  }, png);
  await decoder.close();
  let lit = 0, off = 0;
  for (let i = 0; i < pixels.length; i += 4) {
    const rgb = (pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2];
    if (rgb !== 0) ++lit;
    if (!set.has(rgb)) ++off;
  }
  return { lit, off };
}

async function open(query, url = 'file://' + pagePath) {
  const page = await browser.newPage();
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

// Queries: the colour the smoke must be in, and how many one-line warnings come with it.
const table = [
  ['?color=00ff00&seed=5', '00ff00', 5, 0],
  ['?color=orange&brightness=7&volume=9', 'ffa500', 7, 0],
  ['?color=zzz%23&volume=99&resolution=1x1&delay=-5&brightness=x&fps=maybe&bogus=1', 'ffffff', 5, 7],
  ['?text=&font=No%20Such%20Font&color=%23FF0000', 'ff0000', 5, 0],
];
for (const [query, color, brightness, warnings] of table) {
  const { page, warnings: seen } = await open(query);
  await onRamp(`${query}: smoke on the ${color} ramp`, page, color, brightness);
  check(`  ... with ${warnings} warnings`, seen.length === warnings, seen.join(' | '));
  await page.close();
}

// The crop every display shares: a 640x480 field fills a 1280x720 page's width, cut above
// and below, the text band whole.
{
  const { page } = await open('?seed=1');
  await framesAfter(page, 2);
  const rect = await page.evaluate(() => {
    const r = document.getElementById('field').getBoundingClientRect();
    return [r.left, r.top, r.width, r.height].join(' ');
  });
  check('a 640x480 field on 1280x720 fills its width, cropped above and below', rect === '0 -120 1280 960', rect);
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
  const { page } = await open('?color=00ff00');
  await framesAfter(page, 5);
  await page.evaluate(() => { window.notReloaded = true; });
  await page.evaluate(() => window.livelyPropertyListener('color', '#FF0000'));
  await onRamp('Lively: livelyPropertyListener("color", "#FF0000") turns it red', page, 'ff0000', 5);
  await page.evaluate(() => window.wallpaperPropertyListener.applyUserProperties({
    color: { value: '0 0 1' }, brightness: { value: 8 } }));
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

await browser.close();
console.log(`web: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
