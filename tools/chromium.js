// Debian's chromium, headless with SwiftShader, driven by puppeteer-core (which
// is installed with the browser tests: npm ci in tests/web). Shared by the
// browser tests, the browser figures and the README screenshot.
'use strict';
const fs = require('node:fs');
const path = require('node:path');

function puppeteer() {
  try {
    return require('node:module').createRequire(path.join(__dirname, '../tests/web/package.json'))('puppeteer-core');
  } catch {
    console.error('puppeteer-core is not installed: run bash tools/stages/web.sh once (npm ci in tests/web)');
    process.exit(1);
  }
}

// A browser on a fresh profile (in a new temporary folder unless one is given).
function launch(userDataDir = fs.mkdtempSync('/tmp/grapnel-chromium-')) {
  return puppeteer().launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir,
    args: ['--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

module.exports = { launch };
