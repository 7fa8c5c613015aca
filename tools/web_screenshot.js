// Saves a frame of the browser build as the player sees it, for the README:
// level 1 in play, the rope out, in Debian's chromium headless.
//   node tools/web_screenshot.js URL OUT.png     (URL from bash tools/web.sh)
'use strict';
const chromium = require('./chromium.js');

const [url, out] = process.argv.slice(2);
if (!url || !out) {
  console.error('usage: node tools/web_screenshot.js URL OUT.png');
  process.exit(2);
}
const pause = (ms) => new Promise((r) => setTimeout(r, ms));
(async () => {
  const browser = await chromium.launch();
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
