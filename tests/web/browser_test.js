// Browser tests of the web build in headless chromium (SwiftShader) through
// puppeteer-core: the page, the controls, the picture and the samples beside
// the desktop's, the replay hash, and the refusals. tools/stages/web.sh builds
// both sides and sets GRAPNEL_WEB_BUILD (the page), GRAPNEL_WEB_REF (the
// desktop's level1.inputs, level1.hash, scene.ppm) and GRAPNEL_DESKTOP_REF.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const chromium = require('../../tools/chromium.js');

const { GRAPNEL_WEB_BUILD: build, GRAPNEL_WEB_REF: ref, GRAPNEL_DESKTOP_REF: desktopRef } = process.env;

// The scene both renderers draw is level 1 after 100 frames of these inputs,
// pointer at (500, 120), in a 640 x 480 canvas.
const inputs = fs.readFileSync(path.join(ref, 'level1.inputs'), 'utf8').split('\n')
  .filter((l) => l.trim() && !l.startsWith('#'))
  .flatMap((l) => l.trim().split(/\s+/).map(Number));

// The build folder as a static host; /missing/ serves it without the module
// and /damaged/ with its first half only.
const types = { html: 'text/html', js: 'text/javascript', wasm: 'application/wasm' };
function serve(req, res) {
  const [, variant, file] = new URL(req.url, 'http://x').pathname.match(/^\/(missing\/|damaged\/)?(.*)$/);
  const name = file || 'index.html';
  const full = path.join(build, path.basename(name));
  const wasm = name === 'grapnel.wasm';
  if (!fs.existsSync(full) || (variant === 'missing/' && wasm)) return res.writeHead(404).end();
  const body = fs.readFileSync(full);
  res.writeHead(200, { 'Content-Type': types[name.split('.').pop()] || 'application/octet-stream' });
  res.end(variant === 'damaged/' && wasm ? body.subarray(0, body.length >> 1) : body);
}

let server, browser, base;
const scratch = fs.mkdtempSync('/tmp/grapnel-web-test-');  // the browser profile, the voice samples
before(async () => {
  server = http.createServer(serve);
  await new Promise((ok) => server.listen(0, '127.0.0.1', ok));
  base = `http://127.0.0.1:${server.address().port}/`;
  browser = await chromium.launch(path.join(scratch, 'profile'));
});
after(async () => {
  await browser?.close();
  server?.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// Runs in the page before its scripts: keeps a copy of every audio buffer the
// SDL layer queues, notes each sound request with the sample it lands on,
// and the time of the first click.
function watchAudio() {
  const audio = window.audio = { samples: [], blocks: [], requests: [], pushed: 0, clickAt: null };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (when) {
    const data = this.buffer.getChannelData(0);
    audio.blocks.push({ at: audio.pushed, when, now: this.context.currentTime, perf: performance.now() });
    for (const v of data) audio.samples.push(Math.round(v * 32768));
    audio.pushed += data.length;
    return start.apply(this, arguments);
  };
  addEventListener('mousedown', () => { audio.clickAt ??= performance.now(); }, true);
  let module;
  Object.defineProperty(window, 'Module', { configurable: true, get: () => module, set: (m) => {
    module = m;
    m.preRun = [() => m._web_watch_sounds()];
    m.page.onSound = (name, volume, lock) => audio.requests.push({ at: audio.pushed, name, volume, lock });
  } });
}

// A new page at the query, its errors collected; resolves once the title shows
// unless `title` is false.
async function open(query, { watch = false, title = true } = {}) {
  const page = await browser.newPage();
  page.setDefaultTimeout(120000);  // a busy machine: these only keep a hang from lasting
  await page.setViewport({ width: 800, height: 600 });
  const errors = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(e.message));
  if (watch) await page.evaluateOnNewDocument(watchAudio);
  await page.goto(base + query);
  if (title) await until(page, `the title for '${query}'`, (s) => s.state === 4);
  return { page, errors };
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// The run's state, or null until the module has started.
const state = (page) => page.evaluate(() =>
  (window.Module?.calledRun ? JSON.parse(Module.UTF8ToString(Module._web_state())) : null));
async function until(page, what, check) {
  for (let i = 0; i < 1200; ++i) {
    const s = await state(page);
    if (s && check(s)) return;
    await sleep(50);
  }
  assert.fail(`the page never reached: ${what} (last state ${JSON.stringify(await state(page))})`);
}
const newsText = (page) => page.waitForSelector('#news:not([hidden])', { timeout: 60000 })
  .then((news) => news.evaluate((n) => n.textContent));

// Lit pixels (green at 40 or more, as the desktop window tests count them) in
// the title's hi score, score and "press start" boxes of the 640 x 480 canvas
// (app/hud.cpp; cells of 20 pixels), copied right after the game has drawn a
// frame (its frame callback was queued before this one). In play the HUD is
// part of the picture compared with the desktop's.
const titleLitCounts = (page) => page.evaluate((boxes) => new Promise((done) => requestAnimationFrame(() => {
  const c = Module.canvas;
  const g = Object.assign(document.createElement('canvas'), { width: c.width, height: c.height }).getContext('2d');
  g.drawImage(c, 0, 0);
  const d = g.getImageData(0, 0, c.width, c.height).data;
  done(boxes.map(([x0, y0, x1, y1]) => {
    let n = 0;
    for (let y = y0; y <= y1; ++y) for (let x = x0; x <= x1; ++x) n += d[(y * c.width + x) * 4 + 1] >= 40;
    return n;
  }));
})), [[10, 10, 90, 30], [410, 10, 630, 30], [210, 290, 430, 310]]);

test('the title, a click into level 1, the controls and Escape', { timeout: 300000 }, async () => {
  const { page, errors } = await open('?windowed&width=640&height=480', { watch: true });
  let hi, score, press;  // "press start" blinks: half of every second
  for (let i = 0; i < 40 && !press; ++i) {
    if (i) await sleep(50);
    [hi, score, press] = await titleLitCounts(page);
  }
  assert.ok(press > 0, 'press start never showed');
  assert.ok(hi > 20 && score > 20, `hi ${hi}, score ${score} lit pixels`);

  await page.mouse.click(400, 300);
  await until(page, 'level 1 in play', (s) => s.state === 1 && s.level === 0);
  assert.equal(await page.evaluate(() => SDL.audioContext.state), 'running');

  for (const paused of [1, 0]) {
    await page.keyboard.press('p');
    await until(page, `paused ${paused}`, (s) => s.paused === paused);
  }
  for (const key of ['Space', 'ShiftLeft']) {
    await page.keyboard.down(key);
    await until(page, `${key} fires the rope`, (s) => s.rope !== 0);
    await page.keyboard.up(key);
    await until(page, `letting go of ${key} drops the rope`, (s) => s.rope === 0);
  }

  // The samples the page queued match the desktop voice given the same
  // requests at the same samples, to the last bit.
  const audio = await page.evaluate(() => window.audio);
  const gem = audio.requests.find((r) => r.name === 'snd_gem');  // the click's sound
  assert.ok(audio.requests[0].name === 'snd_level_start' && gem, JSON.stringify(audio.requests));
  const raw = path.join(scratch, 'voice.raw');
  execFileSync(desktopRef, ['voice', String(audio.samples.length), raw,
    ...audio.requests.flatMap((r) => [r.at, r.name, r.volume, r.lock].map(String))]);
  const desktop = new Int16Array(new Uint8Array(fs.readFileSync(raw)).buffer);
  const firstDiff = audio.samples.findIndex((v, i) => v !== desktop[i]);
  assert.equal(firstDiff, -1, `sample ${firstDiff} differs of ${audio.samples.length}`);
  assert.ok(audio.samples.slice(gem.at, gem.at + 4410).some((v) => Math.abs(v) > 1000), 'the click was silent');
  const block = audio.blocks.filter((b) => b.at <= gem.at).pop();
  const heardAt = block.perf + (block.when - block.now + (gem.at - block.at) / 44100) * 1000;
  console.log(`# click to sound: ${(heardAt - audio.clickAt).toFixed(1)} ms after the click, before the output device's own latency`);

  await page.keyboard.press('Escape');
  assert.match(await newsText(page), /run has ended/);
  assert.equal((await state(page)).running, 0);
  await page.click('#again');
  await until(page, 'a new run from the title', (s) => s.running === 1 && s.state === 4);
  assert.deepEqual(errors, []);
  await page.close();
});

// The replay runs frame by frame in the main loop; the scene is then drawn
// with the loop stopped. Per channel, every pixel but the outermost ring is
// within 8 of the desktop's (sub-pixel rounding of the smooth edges), and
// 99.5% within 2. The ring is left out: Mesa clips a line at the window's edge
// before smoothing it, so the last pixel of a line leaving the window differs
// by up to a third.
test('the replay of level 1 ends in the desktop state, and its scene matches the desktop picture', { timeout: 300000 }, async () => {
  const { page, errors } = await open('?windowed&width=640&height=480');
  const [hash, web] = await page.evaluate((frames, sceneFrames) => new Promise((done) => {
    const p = Module._malloc(frames.length * 4);
    Module.HEAPF32.set(frames, p >> 2);
    Module.page.scriptDone = () => setTimeout(() => {  // once the loop's frame is over
      const hash = Module.UTF8ToString(Module._web_replay_result());
      const px = Module._web_render_scene(p, sceneFrames, 1, 500, 120);
      done([hash, Array.from(Module.HEAPU8.subarray(px, px + 640 * 480 * 4))]);
    });
    Module._web_replay_start(p, frames.length / 4, 1);
  }), inputs, 100);
  assert.equal(hash, fs.readFileSync(path.join(ref, 'level1.hash'), 'utf8').trim());
  const ppm = fs.readFileSync(path.join(ref, 'scene.ppm'));
  const desktop = ppm.subarray(ppm.length - 640 * 480 * 3);
  let close = 0;
  const far = [];
  for (let i = 0; i < 640 * 480; ++i) {
    const [x, y] = [i % 640, Math.floor(i / 640)];
    const w = ((479 - y) * 640 + x) * 4;
    const diff = Math.max(...[0, 1, 2].map((c) => Math.abs(desktop[i * 3 + c] - web[w + c])));
    close += diff <= 2;
    if (x % 639 && y % 479 && diff > 8 && far.length < 5) far.push(`(${x},${y}) by ${diff}`);  // off the ring
  }
  assert.deepEqual(far, []);
  assert.ok(close >= 0.995 * 640 * 480, `only ${close} pixels within 2`);
  assert.deepEqual(errors, []);
  await page.close();
});

test('the window fills the page, and bad sizes are refused as on the desktop', { timeout: 300000 }, async () => {
  const badSize = /Unable to set video mode: Invalid width or height/;
  for (const [query, want] of [
    ['', [800, 600]],  // full screen: the whole window
    ['?width=abc', [800, 600]],  // atoi gives 0: the option is not given
    ['?windowed&width=abc', [640, 480]],
    ['?windowed&bogus', [640, 480]],
    ['?windowed&width=-5', badSize],
    ['?windowed&width=999999', badSize],
    ['?windowed&width=60000&height=60000', /Unable to set video mode/],
  ]) {
    const { page } = await open(query, { title: Array.isArray(want) });
    if (Array.isArray(want)) {
      const s = await state(page);
      assert.deepEqual([s.width, s.height], want, query);
      const rect = await page.$eval('canvas', (e) => [e.clientWidth, e.clientHeight]);
      assert.deepEqual(rect, query.includes('windowed') ? want : [800, 600], query);
    } else {
      assert.match(await newsText(page), want, query);
    }
    await page.close();
  }
});

test('a missing or damaged module gives a message on the page', { timeout: 300000 }, async () => {
  for (const variant of ['missing/', 'damaged/']) {
    const { page } = await open(variant + '?windowed', { title: false });
    assert.match(await newsText(page), /could not start/, variant);
    await page.close();
  }
});
