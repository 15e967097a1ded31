// What the page costs in headless chromium, side by side in one run: its size, the parts of
// a frame at 800 x 600 (the step, the field through the ramp, the put on the canvas) in
// milliseconds, and the browser's CPU share (all its processes, % of one core) showing the
// page at 1920 x 1080 and 30 frames a second, beside the same browser showing an empty page.
// A measurement, not a test (the machine is shared and noisy). Run after make test-web:
//   node tools/measure-web.mjs [BUILD-WEB-DIR]
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

const require = createRequire(new URL('../tests/web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const build = path.resolve(process.argv[2] || 'build/web');
const page = 'file://' + path.join(build, 'vapryx.html');
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

console.log(`page: ${(statSync(path.join(build, 'vapryx.html')).size / 1024).toFixed(1)} kB`);

function launch() {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/lib/chromium/chromium',
    headless: true,
    args: ['--no-sandbox', '--hide-scrollbars', '--mute-audio'],
  });
}

// Clock ticks (user + system) of a process and every process below it.
function treeTicks(root) {
  const parent = new Map(), ticks = new Map();
  for (const name of readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = readFileSync(`/proc/${name}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parent.set(Number(name), Number(fields[1]));
      ticks.set(Number(name), Number(fields[11]) + Number(fields[12]));
    } catch { /* gone meanwhile */ }
  }
  let sum = 0;
  for (const [pid, t] of ticks) {
    for (let p = pid; p > 1; p = parent.get(p)) {
      if (p === root) { sum += t; break; }
      if (!parent.has(p)) break;
    }
  }
  return sum;
}

// Each part of a frame, 300 times, with the page's own frames paused.
{
  const browser = await launch();
  const tab = await browser.newPage();
  await tab.setViewport({ width: 800, height: 600 });
  await tab.goto(page + '?resolution=800x600&seed=1');
  await tab.waitForFunction(() => window.vapryx.frames > 30, { timeout: 30000 });
  const parts = await tab.evaluate(() => {
    window.wallpaperPropertyListener.setPaused(true);
    const canvas = document.getElementById('field');
    const context = canvas.getContext('2d');
    const image = _vapryx_frame();
    const time = (f) => {
      const t0 = performance.now();
      for (let i = 0; i < 300; ++i) f();
      return (performance.now() - t0) / 300;
    };
    return {
      step: time(() => _vapryx_step()),
      ramp: time(() => _vapryx_ramp()),
      put: time(() => context.putImageData(
        new ImageData(new Uint8ClampedArray(HEAPU8.buffer, image, 800 * 600 * 4), 800, 600), 0, 0)),
    };
  });
  console.log(`per frame at 800x600: step ${parts.step.toFixed(2)} ms, ramp ${parts.ramp.toFixed(2)} ms, ` +
    `put ${parts.put.toFixed(2)} ms`);
  await browser.close();
}

// The browser's share of one core over 10 s, after 2 s to settle.
async function share(url) {
  const browser = await launch();
  const tab = await browser.newPage();
  await tab.setViewport({ width: 1920, height: 1080 });
  await tab.goto(url);
  await sleep(2000);
  const pid = browser.process().pid, hz = 100;
  const frames0 = await tab.evaluate(() => (window.vapryx ? window.vapryx.frames : 0));
  const t0 = treeTicks(pid), s0 = performance.now();
  await sleep(10000);
  const t1 = treeTicks(pid), s1 = performance.now();
  const frames1 = await tab.evaluate(() => (window.vapryx ? window.vapryx.frames : 0));
  await browser.close();
  const seconds = (s1 - s0) / 1000;
  return { cpu: ((t1 - t0) / hz / seconds) * 100, fps: (frames1 - frames0) / seconds };
}
const idle = await share('data:text/html,<body style="background:#000"></body>');
const smoke = await share(page + '?delay=33333');
console.log(`browser CPU at 1920x1080: empty page ${idle.cpu.toFixed(1)} %, ` +
  `vapryx ${smoke.cpu.toFixed(1)} % at ${smoke.fps.toFixed(1)} fps ` +
  `(ratio ${(smoke.cpu / Math.max(idle.cpu, 0.1)).toFixed(1)})`);
