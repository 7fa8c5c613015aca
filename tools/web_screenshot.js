// Saves a frame of the browser build as the player sees it, for the README:
// level 1 in play, the rope out, in Debian's chromium headless.
//   node tools/web_screenshot.js URL OUT.png     (URL from bash tools/web.sh)
'use strict';
const fs = require('node:fs');
// puppeteer-core is installed with the browser tests (npm ci in tests/web).
let puppeteer;
try {
  puppeteer = require('node:module').createRequire(
    require('node:path').join(__dirname, '../tests/web/package.json'))('puppeteer-core');
} catch {
  console.error('puppeteer-core is not installed: run bash tools/stages/web.sh once (npm ci in tests/web)');
  process.exit(1);
}

const [url, out] = process.argv.slice(2);
if (!url || !out) {
  console.error('usage: node tools/web_screenshot.js URL OUT.png');
  process.exit(2);
}
const pause = (ms) => new Promise((r) => setTimeout(r, ms));
(async () => {
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
    userDataDir: fs.mkdtempSync('/tmp/grapnel-chromium-'),
    args: ['--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 600 });
  await page.goto(url);
  await page.waitForFunction(() => window.Module?.page?.firstFrameAt, { timeout: 20000 });
  await page.mouse.click(500, 200);
  await pause(3500);
  await page.mouse.move(560, 160);
  await page.mouse.down();
  await pause(700);
  await page.screenshot({ path: out });
  await browser.close();
})().catch((e) => { console.error(e); process.exit(1); });
