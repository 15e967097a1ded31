// A screenshot of the page by headless chromium after N frames, for the README:
//   node tools/web-screenshot.mjs BUILD-WEB-DIR 'QUERY' WxH FRAMES OUT.png
import { createRequire } from 'node:module';
import path from 'node:path';

const require = createRequire(new URL('../tests/web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const [build, query, size, frames, out] = process.argv.slice(2);
const [width, height] = size.split('x').map(Number);
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/lib/chromium/chromium',
  headless: true,
  args: ['--no-sandbox', '--hide-scrollbars'],
});
const page = await browser.newPage();
await page.setViewport({ width, height });
await page.goto('file://' + path.resolve(build, 'vapryx.html') + query);
await page.waitForFunction((n) => window.vapryx.frames >= n, { timeout: 60000 }, Number(frames));
await page.evaluate(() => window.wallpaperPropertyListener.setPaused(true));
await page.screenshot({ path: out });
await browser.close();
