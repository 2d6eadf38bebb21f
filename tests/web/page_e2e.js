// The browser page end to end: headless Chromium loads build/web from a local server, with
// navigator.serial replaced by fake ports (fake_serial.js) whose far end is the simulated
// tracker in WebAssembly. Controls are found by their accessible names, as a user's tools
// find them. Prints one line per scenario and last "N passed, N failed".
//
//   node page_e2e.js --web DIR --wasm-bin DIR --qv3 PROGRAM [--chromium PROGRAM] [--work DIR]
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const puppeteer = require('puppeteer-core');

function option(name, fallback) {
  const i = process.argv.indexOf(name);
  if (i > 0 && process.argv[i + 1]) return path.resolve(process.argv[i + 1]);
  if (fallback !== undefined) return fallback;
  console.error(`page_e2e: ${name} is needed`);
  process.exit(2);
}
const webDir = option('--web');
const wasmBin = option('--wasm-bin');
const qv3 = option('--qv3');
const chromium = option('--chromium', '/usr/bin/chromium');
const work = option('--work', path.resolve('build/web-e2e/run'));
fs.mkdirSync(work, { recursive: true });

const kTimeoutMs = 20000;
const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm', '.png': 'image/png' };

// --- the page's server: build/web only; anything missing is a failed load ----------------------

const missing = [];
function serve() {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/$/, '/index.html');
    const file = path.join(webDir, path.normalize(name));
    if (!file.startsWith(webDir + path.sep) || !fs.existsSync(file)) {
      missing.push(name);
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream' });
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// --- the fake serial ports, installed before the page's own scripts -------------------------

const trackerGlue = fs.readFileSync(path.join(wasmBin, 'tracker_sim.js'), 'utf8');
const trackerWasm = fs.readFileSync(path.join(wasmBin, 'tracker_sim.wasm')).toString('base64');
const fakeSource = fs.readFileSync(path.join(__dirname, 'fake_serial.js'), 'utf8');

function installFake(wasm, ports) {
  const serial = Qv3FakeSerial.createFakeSerial(
    createTrackerModule({ wasmBinary: Uint8Array.from(atob(wasm), (c) => c.charCodeAt(0)) }));
  serial.ready.then(() => {
    for (const p of ports) {
      const port = serial.addPort(p.options);
      if (p.granted) serial.grant(port);
    }
  });
  Object.defineProperty(Navigator.prototype, 'serial', { get: () => serial, configurable: true });
  window.fakeSerial = serial;
}

// Downloads are caught as they leave: their name and bytes.
function catchDownloads() {
  window.downloads = [];
  const blobs = new Map();
  const create = URL.createObjectURL;
  URL.createObjectURL = (blob) => { const url = create(blob); blobs.set(url, blob); return url; };
  const click = HTMLAnchorElement.prototype.click;
  HTMLAnchorElement.prototype.click = function () {
    const blob = this.download && blobs.get(this.href);
    if (!blob) return click.call(this);
    blob.arrayBuffer().then((b) => window.downloads.push({ name: this.download, bytes: Array.from(new Uint8Array(b)) }));
    return undefined;
  };
}

function withoutSerial() { delete Navigator.prototype.serial; }

// --- one page --------------------------------------------------------------------------------------

let browser;
let origin;

// ports: [{ options: qv3sim's options, granted }], or null for a browser without Web Serial.
async function openPage(ports) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const errors = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('requestfailed', (r) => errors.push(`failed load ${r.url()}`));
  await page.evaluateOnNewDocument(`(${catchDownloads})();`);
  if (ports === null) {
    await page.evaluateOnNewDocument(`(${withoutSerial})();`);
  } else {
    await page.evaluateOnNewDocument(`${trackerGlue}\n${fakeSource}\n(${installFake})(${JSON.stringify(trackerWasm)}, ${JSON.stringify(ports)});`);
  }
  await page.goto(`${origin}/`);
  const readyButton = ports === null ? 'Load' : 'Read Config';
  await page.waitForFunction((name) => {
    const status = document.querySelector('[role="status"]');
    const button = [...document.querySelectorAll('button')].find((b) => b.textContent === name);
    return status && button && !button.disabled;
  }, { timeout: kTimeoutMs }, readyButton);
  const readyMs = await page.evaluate(() => performance.now());
  return { page, context, errors, readyMs };
}

const button = (page, name) => page.waitForSelector(`::-p-aria(${name}[role="button"])`, { timeout: kTimeoutMs });
async function click(page, name) { await (await button(page, name)).click(); }
const status = (page) => page.$eval('[role="status"]', (e) => e.textContent);

async function waitStatus(page, test) {
  await page.waitForFunction(`(${test})(document.querySelector('[role="status"]').textContent)`, { timeout: kTimeoutMs })
    .catch(async () => { throw new Error(`status stayed "${await status(page)}"`); });
  return status(page);
}

async function typeInto(page, name, text) {
  const field = await page.waitForSelector(`::-p-aria(${name})`, { timeout: kTimeoutMs });
  await field.click({ count: 3 });
  await page.keyboard.press('Backspace');
  await field.type(text);
}

// Answers each question that comes up until the status passes test.
async function answerUntil(page, answer, test) {
  const deadline = Date.now() + kTimeoutMs;
  while (Date.now() < deadline) {
    if (await page.$('#question[open]')) await click(page, answer);
    if (await page.evaluate(`(${test})(document.querySelector('[role="status"]').textContent)`)) return status(page);
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error(`status stayed "${await status(page)}"`);
}

const trackerImage = (page, index = 0) => page.evaluate((i) => window.fakeSerial.ports[i].image(), index);
const bytesSent = (page, index = 0) => page.evaluate((i) => window.fakeSerial.ports[i].counts.written.length, index);

async function download(page) {
  await page.waitForFunction(() => window.downloads.length > 0, { timeout: kTimeoutMs });
  return page.evaluate(() => window.downloads.shift());
}

function qv3Run(...args) { return execFileSync(qv3, args, { encoding: 'latin1', stdio: ['ignore', 'pipe', 'pipe'] }); }

function sameBytes(a, b, what) {
  const x = Buffer.from(a);
  const y = Buffer.from(b);
  if (!x.equals(y)) throw new Error(`${what}: ${x.length} bytes differ from ${y.length} expected`);
}

// --- scenarios -------------------------------------------------------------------------------------

const tracker = (options = '--model 4') => [{ options, granted: true }];
const is = (text) => `(s) => s === ${JSON.stringify(text)}`;
const startsWith = (text) => `(s) => s.startsWith(${JSON.stringify(text)})`;

const scenarios = [];
const scenario = (name, ports, body) => scenarios.push({ name, ports, body });

// Each model: read, a changed callsign written and verified, saved; the saved file is what
// qv3 save writes for the same settings, and the tracker holds what qv3 encode makes of them.
for (let model = 1; model <= 6; ++model) {
  scenario(`model ${model}: read, write, verify, save byte for byte`, tracker(`--model ${model}`), async ({ page }) => {
    await click(page, 'Read Config');
    await waitStatus(page, is('Read Config Successful'));
    await typeInto(page, 'Callsign', `n0tst-${model}`);
    await click(page, 'Write Config');
    await answerUntil(page, 'OK', is('Config Written Successfully!'));
    await click(page, 'Save');
    const saved = await download(page);
    if (saved.name !== 'config1.qv3') throw new Error(`saved as ${saved.name}`);
    const file = path.join(work, `model${model}.qv3`);
    fs.writeFileSync(file, Buffer.from(saved.bytes));
    const settings = path.join(work, `model${model}.txt`);
    fs.writeFileSync(settings, qv3Run('show', file), 'latin1');
    if (!fs.readFileSync(settings, 'latin1').includes(`"N0TST-${model}"`)) throw new Error('callsign not in capitals');
    qv3Run('save', settings, '-o', path.join(work, `model${model}-qv3.qv3`));
    sameBytes(saved.bytes, fs.readFileSync(path.join(work, `model${model}-qv3.qv3`)), 'saved file against qv3 save');
    qv3Run('encode', '--model', String(model), settings, '-o', path.join(work, `model${model}.img`));
    sameBytes(await trackerImage(page), fs.readFileSync(path.join(work, `model${model}.img`)), 'tracker against qv3 encode');
  });
}

// Failures of the line, each with the status the windows show.
for (const [name, options, command, expected] of [
  ['baud fallback: a tracker at 9600 only', '--model 4 --only-baud 9600', 'Read Config', is('Read Config Successful')],
  ['silent tracker', '--model 4 --silent', 'Read Version', startsWith('Quorvale3 not found')],
  ['short image', '--model 4 --short-image 100', 'Read Config', is('Corrupted EEPROM')],
  ['unplug mid-read', '--model 4 --hang-up-after 40', 'Read Config', startsWith('Port lost during the read (')],
]) {
  scenario(name, tracker(options), async ({ page }) => {
    await click(page, command);
    await waitStatus(page, expected);
  });
}

scenario('corrupted read-back', tracker('--model 4 --corrupt-readback 20'), async ({ page }) => {
  await click(page, 'Read Config');
  await waitStatus(page, is('Read Config Successful'));
  await click(page, 'Write Config');
  await answerUntil(page, 'OK', is('Verify Failed'));
});

scenario('a cancelled question sends nothing', tracker(), async ({ page }) => {
  await click(page, 'Read Version');
  await waitStatus(page, startsWith('Version Read'));
  const before = await bytesSent(page);
  await typeInto(page, 'Path', 'WIDE5-5');
  await click(page, 'Write Config');
  await page.waitForSelector('#question[open]', { timeout: kTimeoutMs });
  const name = await page.$eval('#question', (d) => d.querySelector('h2').textContent);
  await click(page, 'Cancel');
  await new Promise((r) => setTimeout(r, 1000));
  if (await bytesSent(page) !== before) throw new Error('bytes went out after Cancel');
  if (!name) throw new Error('the question has no caption');
});

scenario('a double click while busy, and commands refused during a write', tracker(), async ({ page }) => {
  const read = await button(page, 'Read Config');
  await read.click({ count: 2 });
  await waitStatus(page, is('Read Config Successful'));
  await click(page, 'Write Config');
  await waitStatus(page, startsWith('Writing Config'));
  const writing = await bytesSent(page);
  await click(page, 'Read Version');
  await waitStatus(page, is('Config Written Successfully!'));
  // No version query went out in the middle of the image.
  const after = await page.evaluate((from) => window.fakeSerial.ports[0].counts.written.slice(from).map((w) => w.byte), writing);
  if (after.some((b, i) => b === 0x1b && after[i + 1] === 0x56)) throw new Error('Read Version was not refused');
});

scenario('the telemetry dialog keeps a read going under it', tracker('--model 3'), async ({ page }) => {
  await click(page, 'Read Config');
  await waitStatus(page, is('Read Config Successful'));
  await click(page, 'Read Config');
  await click(page, 'Edit Telemetry');
  await page.waitForSelector('#window-2[open]', { timeout: kTimeoutMs });
  await waitStatus(page, is('Read Config Successful'));
  await click(page, 'Cancel');
  await page.waitForSelector('#window-2:not([open])', { timeout: kTimeoutMs });
});

scenario('a port another tab holds is refused with its reason', tracker(), async ({ page, context }) => {
  const other = await context.newPage();
  await other.goto(`${origin}/`);
  await other.evaluate(() => { navigator.locks.request('quorvale3config port USB 0403:6001', () => new Promise(() => {})); });
  await page.bringToFront();
  await click(page, 'Read Config');
  await waitStatus(page, is('Could not open Com Port USB 0403:6001 (another tab of this page is using it)'));
});

scenario('banks as tabs, ports chosen with a gesture only', [{ options: '--model 4', granted: false }], async ({ page }) => {
  // The page asks for a port only from the button's click (this driver's own calls count as gestures).
  if (await page.evaluate(() => window.fakeSerial.requests) !== 0) throw new Error('requestPort called without a click');
  if (await page.$eval('::-p-aria(Port)', (s) => s.options[0].text) !== 'No COM Ports Found') throw new Error('a port listed before it was granted');
  await page.evaluate(() => { window.fakeSerial.chooser = 0; });
  await click(page, 'Choose port...');
  await page.waitForFunction(() => document.querySelector('select[aria-label="Port"]').value === 'USB 0403:6001', { timeout: kTimeoutMs });
  if (await page.evaluate(() => window.fakeSerial.requests) !== 1) throw new Error('not one requestPort for one click');
  await typeInto(page, 'Callsign', 'AB1CD');
  await (await page.waitForSelector('::-p-aria(Secondary[role="tab"])')).click();
  await page.waitForFunction(() => document.querySelector('[aria-label="Callsign"]').value === 'NOCALL', { timeout: kTimeoutMs });
  await (await page.waitForSelector('::-p-aria(Primary[role="tab"])')).click();
  await page.waitForFunction(() => document.querySelector('[aria-label="Callsign"]').value === 'AB1CD', { timeout: kTimeoutMs });
});

scenario('without Web Serial: device buttons off, files still load and save', null, async ({ page }) => {
  if (!(await page.$eval('#no-serial', (e) => !e.hidden))) throw new Error('no word about the browser');
  if (!(await page.$eval('::-p-aria(Read Config[role="button"])', (b) => b.disabled))) throw new Error('Read Config enabled');
  const file = path.join(work, 'model1.qv3');
  const [chooser] = await Promise.all([page.waitForFileChooser({ timeout: kTimeoutMs }), click(page, 'Load')]);
  await chooser.accept([file]);
  await waitStatus(page, (s) => s.length > 0);
  if (await page.$eval('[aria-label="Callsign"]', (e) => e.value) !== 'N0TST-1') throw new Error('the file did not load');
  await click(page, 'Save');
  sameBytes((await download(page)).bytes, fs.readFileSync(file), 'saved again');
});

// --- run ---------------------------------------------------------------------------------------------

async function main() {
  const server = await serve();
  origin = `http://127.0.0.1:${server.address().port}`;
  const profile = fs.mkdtempSync(path.join(work, 'profile-'));
  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
  });
  let passed = 0;
  let failed = 0;
  const readyTimes = [];
  for (const s of scenarios) {
    let opened = null;
    try {
      opened = await openPage(s.ports);
      readyTimes.push(opened.readyMs);
      await s.body(opened);
      if (opened.errors.length > 0) throw new Error(`console: ${opened.errors.join(' | ')}`);
      console.log(`ok      ${s.name}`);
      passed += 1;
    } catch (error) {
      console.log(`FAILED  ${s.name}: ${error.message}`);
      failed += 1;
    } finally {
      if (opened) await opened.context.close().catch(() => {});
    }
  }
  if (missing.length > 0) {
    console.log(`FAILED  resources the page asked for that do not exist: ${missing.join(', ')}`);
    failed += 1;
  }
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
  readyTimes.sort((a, b) => a - b);
  console.log(`ready after navigation: median ${readyTimes[readyTimes.length >> 1].toFixed(0)} ms`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
}

main().catch((error) => { console.error(error); console.log('0 passed, 1 failed'); process.exitCode = 1; });
