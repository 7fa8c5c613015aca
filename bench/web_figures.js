// The browser build's figures for bench/README.md, measured in Debian's
// chromium headless (SwiftShader): time from navigation to the first frame,
// frames per second on the title, CPU time per frame of the game step and the
// draw submission on level 5, and the gzip size of the page.
//   node bench/web_figures.js BUILD_WEB LEVEL5.inputs
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const zlib = require('node:zlib');
const chromium = require('../tools/chromium.js');

const [build, level5] = process.argv.slice(2);
if (!build || !level5 || !fs.existsSync(path.join(build, 'grapnel.wasm')) || !fs.existsSync(level5)) {
  console.error('usage: node bench/web_figures.js BUILD_WEB LEVEL5.inputs  (a built page and solver --write output)');
  process.exit(2);
}
const files = ['index.html', 'grapnel.js', 'grapnel.wasm'];
const frames = fs.readFileSync(level5, 'utf8').split('\n').filter((l) => l.trim() && !l.startsWith('#'))
  .flatMap((l) => l.trim().split(/\s+/).map(Number));
const median = (xs) => [...xs].sort((a, b) => a - b)[xs.length >> 1];

(async () => {
  const server = http.createServer((req, res) => {
    const name = path.basename(new URL(req.url, 'http://x').pathname) || 'index.html';
    if (!files.includes(name)) return res.writeHead(404).end();
    const type = { html: 'text/html', js: 'text/javascript', wasm: 'application/wasm' }[name.split('.').pop()];
    res.writeHead(200, { 'Content-Type': type }).end(fs.readFileSync(path.join(build, name)));
  });
  await new Promise((ok) => server.listen(0, '127.0.0.1', ok));
  const browser = await chromium.launch();
  const firsts = [];
  const rates = [];
  const steps = [];
  const draws = [];
  const cpus = [];
  let calls = 0;
  for (let run = 0; run < 5; ++run) {
    const page = await browser.newPage();
    await page.setViewport({ width: 1024, height: 768 });
    if (process.env.DEBUG) page.on('console', (m) => console.error(m.type(), m.text()));
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    await page.waitForFunction(() => window.Module?.page?.firstFrameAt, { timeout: 120000 });
    firsts.push(await page.evaluate(() => Module.page.firstFrameAt));
    rates.push(await page.evaluate(() => new Promise((done) => {
      let n = 0;
      const t0 = performance.now();
      const tick = () => { ++n; if (performance.now() - t0 < 3000) requestAnimationFrame(tick); else done(n * 1000 / (performance.now() - t0)); };
      requestAnimationFrame(tick);
    })));
    // CPU time of the page's renderer process over the timed frames: the
    // wall clock inside the page means little on a loaded machine.
    const cdp = await browser.target().createCDPSession();
    const rendererCpu = async () => (await cdp.send('SystemInfo.getProcessInfo')).processInfo
      .filter((p) => p.type === 'renderer').reduce((sum, p) => sum + p.cpuTime, 0);
    const cpuBefore = await rendererCpu();
    const timing = await page.evaluate((frames) => {
      const p = Module._malloc(frames.length * 4);
      Module.HEAPF32.set(frames, p >> 2);
      return JSON.parse(Module.UTF8ToString(Module._web_time_frames(p, frames.length / 4, 5)));
    }, frames);
    cpus.push((await rendererCpu() - cpuBefore) * 1000 / timing.frames);
    steps.push(timing.step_ms / timing.frames);
    draws.push(timing.draw_ms / timing.frames);
    calls = timing.draw_calls / timing.frames;
    await page.close();
  }
  await browser.close();
  server.close();
  const gz = files.map((f) => zlib.gzipSync(fs.readFileSync(path.join(build, f)), { level: 9 }).length);
  const kb = (n) => (n / 1024).toFixed(1);
  console.log(`| full screen page at 1024x768, median of 5 loads | value |`);
  console.log(`|---|---:|`);
  console.log(`| navigation to the first frame | ${median(firsts).toFixed(0)} ms |`);
  console.log(`| frames per second on the title | ${median(rates).toFixed(1)} |`);
  console.log(`| game step, level 5 (${frames.length / 4} frames of the solver's inputs) | ${(median(steps) * 1000).toFixed(1)} µs |`);
  console.log(`| draw submission, level 5 (game's GL calls, batch, WebGL calls) | ${(median(draws) * 1000).toFixed(1)} µs |`);
  console.log(`| renderer process CPU per frame over those frames | ${(median(cpus) * 1000).toFixed(1)} µs |`);
  console.log(`| draw calls per frame | ${calls.toFixed(1)} |`);
  console.log(`| gzip size: ${files.map((f, i) => `${f} ${kb(gz[i])}`).join(', ')} KiB | ${kb(gz.reduce((a, b) => a + b))} KiB |`);
})().catch((e) => { console.error(e); process.exit(1); });
