// The browser page end to end: headless Chromium on build/web, navigator.serial replaced by
// fake ports (fake_serial.js) whose far end is the simulated tracker in WebAssembly. Controls
// are found by their accessible names. Prints a line per scenario, last "N passed, N failed".
//
//   node page_e2e.js --web DIR --wasm-bin DIR --qv3 PROGRAM [--chromium PROGRAM] [--work DIR] [--bench N] [--only TEXT]
//
// --only TEXT runs the scenarios whose names hold TEXT.
// --bench N runs only a model 4 read and write N times over Web Serial and over each emulated
// USB chip, and prints their times (click to final status), for scripts/bench --web.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const puppeteer = require('puppeteer-core');

const arg = (name, fallback) => {
  const i = process.argv.indexOf(name);
  return path.resolve(i > 0 ? process.argv[i + 1] : fallback);
};
const [webDir, wasmBin, qv3] = ['--web', '--wasm-bin', '--qv3'].map((name) => arg(name, `missing ${name}`));
const chromium = arg('--chromium', '/usr/bin/chromium');
const work = arg('--work', 'build/web-e2e/run');
fs.mkdirSync(work, { recursive: true });
const kTimeoutMs = 20000;
const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm', '.png': 'image/png', '.webmanifest': 'application/manifest+json' };

// build/web only: whatever else the page asks for is a failed load. Of the install files the
// page looks for, this site has the .deb and not the Windows zip (the browser reports the look
// as an aborted load, and a missing file as an error).
const missing = [];
const kInstallFile = /(-windows-x64\.zip|_amd64\.deb)$/;
const served = [];  // every address asked for
const server = http.createServer((request, response) => {
  served.push(request.url);
  const file = path.join(webDir, path.normalize(new URL(request.url, 'http://x').pathname.replace(/\/$/, '/index.html')));
  if (kInstallFile.test(request.url)) return response.writeHead(request.url.endsWith('.deb') ? 200 : 404).end();
  if (!file.startsWith(webDir + path.sep) || !fs.existsSync(file)) {
    missing.push(request.url);
    return response.writeHead(404).end();
  }
  return response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] }).end(fs.readFileSync(file));
});

// Installed before the page's scripts: the fake ports, emulated USB adapters without Web Serial, or neither.
function setUp(wasm, ports) {
  delete Navigator.prototype.usb;
  if (ports === null) { delete Navigator.prototype.serial; return; }
  const tracker = createTrackerModule({ wasmBinary: Uint8Array.from(atob(wasm), (c) => c.charCodeAt(0)) });
  if (ports.usb) {
    const usb = Qv3FakeUsb.createFakeUsb(tracker);
    usb.ready.then(() => ports.usb.forEach((d) => { const device = usb.addDevice(d.chip, d.options, d.faults); if (d.granted) usb.grant(device); }));
    Object.defineProperty(Navigator.prototype, 'usb', { get: () => usb });
    window.fakeUsb = usb;
    if (!ports.serial) { delete Navigator.prototype.serial; return; }
  }
  const serial = Qv3FakeSerial.createFakeSerial(tracker);
  serial.ready.then(() => (ports.serial || ports).forEach((p) => { const port = serial.addPort(p.options); if (p.granted) serial.grant(port); }));
  Object.defineProperty(Navigator.prototype, 'serial', { get: () => serial });
  window.fakeSerial = serial;
}
const fakeSources = [path.join(wasmBin, 'tracker_sim.js'), ...['fake_serial.js', 'fake_usb.js'].map((f) => path.join(__dirname, '../../sim/web', f))]
  .map((f) => fs.readFileSync(f)).join('\n');
const trackerWasm = fs.readFileSync(path.join(wasmBin, 'tracker_sim.wasm')).toString('base64');

let browser;
let origin;

// Ready: the status line there and button enabled.
const ready = (page, button = 'Read Config') => page.waitForFunction((name) => document.querySelector('[role="status"]') &&
  [...document.querySelectorAll('button')].some((b) => b.textContent === name && !b.disabled), { timeout: kTimeoutMs }, button);

// ports: [{ options: qv3sim's options, granted }], or null: a browser without Web Serial.
let pages = 0;
// A page that is to be installable opens in the browser's own profile, which a new context (incognito) is not.
async function openPage(ports, installable) {
  const downloads = path.join(work, `downloads-${++pages}`);
  fs.rmSync(downloads, { recursive: true, force: true });
  fs.mkdirSync(downloads, { recursive: true });
  const context = installable ? browser.defaultBrowserContext() : await browser.createBrowserContext({ downloadBehavior: { policy: 'allow', downloadPath: downloads } });
  const page = await context.newPage();
  const errors = [];
  page.on('console', (m) => m.type() === 'error' && !kInstallFile.test(m.location().url || '') && errors.push(m.text()));
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('requestfailed', (r) => kInstallFile.test(r.url()) || errors.push(`failed load ${r.url()}`));
  await page.evaluateOnNewDocument(`${fakeSources}\n(${setUp})(${JSON.stringify(trackerWasm)}, ${JSON.stringify(ports)});`);
  await page.goto(`${origin}/`);
  await ready(page, ports === null ? 'Load' : 'Read Config');
  return { page, context, errors, downloads, readyMs: await page.evaluate(() => performance.now()) };
}

const find = (page, name) => page.waitForSelector(`::-p-aria(${name})`, { timeout: kTimeoutMs });
const click = async (page, name, count = 1) => (await find(page, `${name}[role="button"]`)).click({ count });
const status = (page) => page.$eval('[role="status"]', (e) => e.textContent);
const is = (text) => (s) => s === text;
const startsWith = (text) => (s) => s.startsWith(text);
const fail = (why) => { throw new Error(why); };

// Answers each question that comes up with answer until the status passes test.
async function until(page, test, answer = 'OK') {
  for (const deadline = Date.now() + kTimeoutMs; Date.now() < deadline; await new Promise((r) => setTimeout(r, 20))) {
    if (answer && await page.$('#question[open]')) await click(page, answer);
    if (test(await status(page))) return;
  }
  fail(`status stayed "${await status(page)}"`);
}

async function type(page, name, text) {
  const field = await find(page, name);
  await field.click({ count: 3 });
  await page.keyboard.press('Backspace');
  await field.type(text);
}

const port = (page) => page.evaluate(() => ({ ...window.fakeSerial.ports[0].counts, image: window.fakeSerial.ports[0].image() }));
// The one file the browser has downloaded: its name and bytes.
async function download(dir) {
  for (const deadline = Date.now() + kTimeoutMs; Date.now() < deadline; await new Promise((r) => setTimeout(r, 50))) {
    const [name] = fs.readdirSync(dir);
    if (name && !name.endsWith('.crdownload')) return { name, bytes: fs.readFileSync(path.join(dir, name)) };
  }
  return fail('nothing was downloaded');
}
const qv3Run = (...args) => execFileSync(qv3, args, { encoding: 'latin1', stdio: ['ignore', 'pipe', 'pipe'] });
const same = (a, b, what) => Buffer.from(a).equals(Buffer.from(b)) || fail(`${what} differ`);

const scenarios = [];
const scenario = (name, ports, body, installable = false) => scenarios.push({ name, ports, body, installable });
const tracker = (options) => [{ options, granted: true }];

// Each model read, a callsign typed in small letters written and verified, and saved: the
// download is what qv3 save writes for its settings, the tracker holds what qv3 encode makes.
for (let model = 1; model <= 6; ++model) {
  scenario(`model ${model}: read, write, verify, save`, tracker(`--model ${model}`), async ({ page, downloads }) => {
    await click(page, 'Read Config');
    await until(page, is('Read Config Successful'));
    await type(page, 'Primary Callsign', `n0tst-${model}`);
    // The list of changes comes first; Cancel leaves the tracker as it was.
    const held = (await port(page)).image;
    await click(page, 'Write Config');
    const asked = await page.waitForSelector('#question[open]', { timeout: kTimeoutMs }).then(() => page.$eval('#question-text', (e) => e.textContent));
    if (!/^The tracker will change:\nPrimary Callsign: .* \u2192 N0TST-\d\nWrite these changes\?$/.test(asked)) fail(`asked "${asked}"`);
    await click(page, 'Cancel');
    await until(page, is('Write cancelled: the tracker is unchanged'), null);
    same((await port(page)).image, held, 'the tracker before and after Cancel');
    await click(page, 'Write Config');
    await until(page, is('Config Written Successfully!'));
    // ESC "D" 0xAA 0x55 and the 256 image bytes, each byte followed by its 10 ms pause.
    const w = (await port(page)).written;
    const sent = w.slice(w.findIndex((x, i) => x.byte === 0x1b && w[i + 1].byte === 0x44)).slice(0, 260);
    if (sent.length < 260 || sent.some((x, i) => i > 0 && x.ms - sent[i - 1].ms < 9.9)) fail('the write\'s pauses are short');
    await click(page, 'Save');
    const saved = await download(downloads);
    if (saved.name !== 'config1.qv3') fail(`saved as ${saved.name}`);
    const file = (ext) => path.join(work, `model${model}${ext}`);
    fs.writeFileSync(file('.qv3'), saved.bytes);
    fs.writeFileSync(file('.txt'), qv3Run('show', file('.qv3')), 'latin1');
    if (!fs.readFileSync(file('.txt'), 'latin1').includes(`"N0TST-${model}"`)) fail('callsign not in capitals');
    qv3Run('save', file('.txt'), '-o', file('-qv3.qv3'));
    same(saved.bytes, fs.readFileSync(file('-qv3.qv3')), 'download and qv3 save');
    qv3Run('encode', '--model', String(model), file('.txt'), '-o', file('.img'));
    same((await port(page)).image, fs.readFileSync(file('.img')), 'tracker and qv3 encode');
  });
}

// USB adapters through the page's own drivers in a browser without Web Serial: each chip read at 4800, read at
// 9600 after the fallback, and written (the tracker then holds byte for byte the image that went out).
const usb = (chip, options, faults = {}, granted = true) => ({ usb: [{ chip, options, faults, granted }] });
const adapter = (page) => page.evaluate(() => { const d = window.fakeUsb.devices[0]; return { ...d.counts, written: d.counts.written.map((w) => w.byte), image: d.image() }; });
async function wroteExactly(page) {
  const { written, image } = await adapter(page);
  const at = written.findIndex((b, i) => b === 0x1b && written[i + 1] === 0x44);
  same(written.slice(at + 4, at + 260), image, 'the image sent and the tracker\'s');
  fs.writeFileSync(path.join(work, 'usb.img'), Buffer.from(image));
  if (!qv3Run('decode', '--model', '4', path.join(work, 'usb.img')).includes('"N0USB"')) fail('the tracker lacks the edit');
}
const usbRows = ['cdc', 'ftdi', 'cp210x', 'ch340', 'pl2303', 'pl2303gc'].flatMap((chip) => [
  [`usb ${chip}: read at 4800`, usb(chip, '--model 4 --only-baud 4800'), ['Read Config', is('Read Config Successful')]],
  [`usb ${chip}: read after the fallback to 9600`, usb(chip, '--model 4 --only-baud 9600'), ['Read Config', is('Read Config Successful')]],
  [`usb ${chip}: written byte for byte`, usb(chip, '--model 4'), ['Read Config', is('Read Config Successful')],
    (page) => type(page, 'Primary Callsign', 'N0USB'), ['Write Config', is('Config Written Successfully!')], wroteExactly],
]);

// The line's failures, with the windows' texts: [name, tracker or ports, [button, status] or a step...].
for (const [name, options, ...steps] of [
  ['baud fallback', '--model 4 --only-baud 9600', ['Read Config', is('Read Config Successful')]],
  ['silent tracker', '--model 4 --silent', ['Read Version', startsWith('Quorvale3 not found')]],
  ['short image', '--model 4 --short-image 100', ['Read Config', is('Corrupted EEPROM')]],
  ['unplug mid-read', '--model 4 --hang-up-after 40', ['Read Config', startsWith('Port lost during the read (')]],
  ['corrupted read-back', '--model 4 --corrupt-readback 20', ['Read Version', startsWith('Version Read')],
    (page) => type(page, 'Primary Callsign', 'N0RB'), ['Write Config', is('Verify Failed')]],
  ...usbRows,
  // FTDI's status bytes never reach the line's text; its latency timer is set low.
  ['usb: FTDI status bytes', usb('ftdi', '--model 4'), ['Read Version', (s) => /^Version Read : "[^\x00-\x1f`]+\r\n"$/.test(s)],
    async (page) => (await adapter(page)).line.latency <= 2 || fail('the latency timer left high')],
  ['usb: a reply of whole packets', usb('ch340', '--model 4', { burst: true }), ['Read Config', is('Read Config Successful')]],
  ['usb: a stalled transfer', usb('cp210x', '--model 4', { stallAt: 3 }), ['Read Config', is('Read Config Successful')],
    async (page) => (await adapter(page)).clears > 0 || fail('the stall was not cleared')],
  ['usb: unplugged mid-read', usb('pl2303', '--model 4 --hang-up-after 40'), ['Read Config', startsWith('Port lost during the read (')]],
  ['usb: held by the system', usb('ftdi', '--model 4', { held: true }), ['Read Config',
    is('Could not open Com Port FTDI 0403:6001 (the system holds this adapter: unplug it, plug it in again and grant it again)')]],
  ['usb: chosen by a click', usb('pl2303gc', '--model 4', {}, false), async (page) => {
    await page.evaluate(() => { window.fakeUsb.chooser = 0; });
    await click(page, 'Choose USB adapter...');
    await page.waitForFunction(() => document.querySelector('[aria-label="Port"]').value === 'PL2303 067b:23a3', { timeout: kTimeoutMs });
    const asked = await page.evaluate(() => JSON.stringify(window.fakeUsb.requests));
    if (asked !== '[[{"vendorId":1027},{"vendorId":1659},{"vendorId":4292},{"vendorId":6790},{"classCode":2}]]') fail(`asked for ${asked}`);
  }, ['Read Config', is('Read Config Successful')]],
  // Android's Web Serial leaves out most cables' chips: both choosers, both kinds of port in one box.
  ['usb: on Android beside Web Serial', { ...usb('ftdi', '--model 4 --only-baud 9600'), serial: tracker('--model 4') }, async (page) => {
    await page.setUserAgent('Mozilla/5.0 (Linux; Android 15) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/148.0 Mobile Safari/537.36');
    await page.reload().then(() => ready(page));
    await page.waitForFunction(() => !document.getElementById('choose-usb').hidden && !document.getElementById('choose-port').disabled &&
      [...document.querySelector('[aria-label="Port"]').options].map((o) => o.value).sort().join() === 'FTDI 0403:6001,USB 0403:6001', { timeout: kTimeoutMs });
    await page.select('[aria-label="Port"]', 'FTDI 0403:6001');
  }, ['Read Config', is('Read Config Successful')], async (page) => (await adapter(page)).written.length > 0 || fail('read elsewhere')],
]) {
  scenario(name, typeof options === 'string' ? tracker(options) : options, async ({ page }) => {
    for (const step of steps) {
      if (typeof step === 'function') { await step(page); continue; }
      await click(page, step[0]);
      await until(page, step[1]);
    }
  });
}

scenario('a cancelled question sends nothing', tracker('--model 4'), async ({ page }) => {
  await click(page, 'Read Version');
  await until(page, startsWith('Version Read'));
  const before = (await port(page)).written.length;
  await type(page, 'Primary Path', 'WIDE5-5');
  await click(page, 'Write Config');
  await page.waitForSelector('#question[open]', { timeout: kTimeoutMs });
  await click(page, 'Cancel');
  await new Promise((r) => setTimeout(r, 1000));
  if ((await port(page)).written.length !== before) fail('bytes went out after Cancel');
});

// Clicks wait while the module is busy. A Read Config 50 ms after Write waits for it and is
// refused, said; typing and Quit during the write change nothing; the tracker holds the edits.
scenario('a double click while busy, commands and typing during a write', tracker('--model 4'), async ({ page }) => {
  await click(page, 'Read Config', 2);
  await until(page, is('Read Config Successful'));
  await type(page, 'Primary Callsign', 'N0HLD');
  await click(page, 'Write Config');
  await new Promise((r) => setTimeout(r, 50));
  await click(page, 'Read Config');
  await until(page, is('Write in progress, please wait'), null);
  await type(page, 'Primary Callsign', 'TYPED');
  await page.screenshot({ path: path.join(work, 'write-held.png') });
  if (await page.$$eval('#main-window [type="checkbox"]', (all) => all.some((b) => !b.disabled))) fail('a box takes clicks');
  await until(page, startsWith('Writing Config'));  // the list of changes answered OK
  await click(page, 'Quit');
  await until(page, is('Config Written Successfully!'));
  if (!(await page.$eval('#ended', (e) => e.hidden))) fail('Quit ended the page during the write');
  const callsign = await (await find(page, 'Primary Callsign')).evaluate((e) => (e.readOnly ? 'held' : e.value));
  if (callsign !== 'N0HLD') fail(`Callsign after the write: ${callsign}`);
  fs.writeFileSync(path.join(work, 'held.img'), Buffer.from((await port(page)).image));
  if (!qv3Run('decode', '--model', '4', path.join(work, 'held.img')).includes('"N0HLD"')) fail('the tracker lacks the edits');
});

// A write that a reload cut off is said once by the next page; a page opened from a folder
// says it must be served.
scenario('a write cut off by a reload is said once; a page from a folder', tracker('--model 4'), async ({ page }) => {
  const cutOff = 'The last write was interrupted: the tracker may hold an incomplete configuration. Write it again.';
  await click(page, 'Read Config');
  await until(page, is('Read Config Successful'));
  await type(page, 'Primary Callsign', 'N0CUT');
  await click(page, 'Write Config');
  await until(page, startsWith('Writing Config : *'));
  page.on('dialog', (dialog) => dialog.accept());  // the leave-page question
  for (const said of [cutOff, '']) {
    await page.reload();
    await ready(page);
    await new Promise((r) => setTimeout(r, 300));
    if (await status(page) !== said) fail(`after a reload: "${await status(page)}"`);
  }
  await page.goto(`file://${webDir}/index.html`);
  await page.waitForSelector('#not-served:not([hidden])', { timeout: kTimeoutMs });
  if (await page.$eval('#main-window', (e) => !e.hidden)) fail('the form stands without its program');
});

// Edit Telemetry is there once a model with telemetry is known.
scenario('the telemetry dialog keeps a read going under it', tracker('--model 3'), async ({ page }) => {
  await click(page, 'Read Config');
  await until(page, is('Read Config Successful'));
  await click(page, 'Read Config');
  await click(page, 'Edit Telemetry');
  await page.waitForSelector('#telemetry-window[open]', { timeout: kTimeoutMs });
  await until(page, is('Read Config Successful'), null);
  await click(page, 'Cancel');
  await page.waitForSelector('#telemetry-window:not([open])', { timeout: kTimeoutMs });
});

scenario('ports chosen by a click, held by another tab; banks as tabs, fields named for the bank', [{ options: '--model 4', granted: false }], async ({ page, context }) => {
  // The page asks for a port only from the button's click (this driver's calls count as gestures).
  if (await page.evaluate(() => window.fakeSerial.requests) !== 0) fail('requestPort without a click');
  // Declined: the chooser closed without a port, then the site refused a port; each said in one line.
  for (const [refusal, said] of [[null, 'No port was chosen.'], ['SecurityError', 'The browser refused this page a serial port']]) {
    if (refusal) await page.evaluate((name) => { const s = window.fakeSerial, real = s.requestPort; s.requestPort = async () => { s.requestPort = real; throw new DOMException('Refused', name); }; }, refusal);
    await click(page, 'Choose port...');
    await page.waitForFunction((text) => document.getElementById('port-declined').textContent.startsWith(text), { timeout: kTimeoutMs }, said);
  }
  await page.evaluate(() => { window.fakeSerial.chooser = 0; });
  await click(page, 'Choose port...');
  await page.waitForFunction(() => document.querySelector('[aria-label="Port"]').value === 'USB 0403:6001' &&
    document.getElementById('port-declined').hidden, { timeout: kTimeoutMs });
  const other = await context.newPage();
  await other.goto(`${origin}/`);
  await other.evaluate(() => { navigator.locks.request('quorvale3config port USB 0403:6001', () => new Promise(() => {})); });
  await page.bringToFront();
  await click(page, 'Read Config');
  await until(page, is('Could not open Com Port USB 0403:6001 (another tab of this page is using it)'));
  await type(page, 'Primary Callsign', 'AB1CD');
  for (const [tab, callsign] of [['Secondary', 'NOCALL'], ['Primary', 'AB1CD']]) {  // the same field, named for the bank
    await (await find(page, `${tab}[role="tab"]`)).click();
    await page.waitForFunction((n, c) => document.querySelector(`[aria-label="${n}"]`)?.value === c, { timeout: kTimeoutMs }, `${tab} Callsign`, callsign);
    if (await page.$(`::-p-aria(${tab === 'Primary' ? 'Secondary' : 'Primary'} Path)`)) fail(`a field still named for the other bank`);
  }
});

// The laid-out window, with two adapters of one kind: no box overlaps a group's caption or another box,
// no text is cut off, a list narrower than an item shows the chosen one whole ("USB 0403:6001 #2").
scenario('the laid-out boxes: no overlaps, no text cut off', [...tracker('--model 4'), ...tracker('--model 4')], async ({ page }) => {
  await page.waitForFunction(() => document.querySelector('[aria-label="Port"]').options.length === 2, { timeout: kTimeoutMs });
  await page.select('[aria-label="Port"]', 'USB 0403:6001 #2');
  const faults = await page.$eval('#main-window .surface', (surface) => {
    const boxes = [...surface.querySelectorAll('*')].filter((e) => (e.parentElement.matches('.surface, .holder') &&
      !e.matches('.holder, .tab-frame')) || e.matches('.group-caption'));
    const [said, rect] = [(e) => `"${e.getAttribute('aria-label') || e.textContent}"`, (e) => e.getBoundingClientRect()];
    const apart = (r, q) => Math.min(r.right, q.right) - Math.max(r.left, q.left) <= 1 || Math.min(r.bottom, q.bottom) - Math.max(r.top, q.top) <= 1;
    // A box inside another (a caption in its group) is not an overlap; boxes side by side are.
    const inside = (a, b) => a.contains(b) || b.contains(a);
    return boxes.flatMap((a, i) => boxes.slice(i + 1).filter((b) => !inside(a, b) && !apart(rect(a), rect(b))).map((b) => `${said(a)} overlaps ${said(b)}`))
      .concat(boxes.filter((e) => !e.matches('input, select') && e.scrollWidth > e.clientWidth).map((e) => `${said(e)} cut off`))
      .concat([...surface.querySelectorAll('select')].filter((list) => {
        const fitted = surface.appendChild(Object.assign(list.cloneNode(true), { id: '', style: 'width: auto' }));
        const narrow = fitted.offsetWidth > list.offsetWidth;
        fitted.remove();
        return narrow && list.title !== list.value;
      }).map((list) => `${said(list)} hides "${list.value}"`));
  });
  if (faults.length > 0) fail(faults.join(', '));
});

// Real key presses: [keys, the bank then shown, whether the focus is on the selected tab, else in
// Callsign]. The Alt keys from a field (browsers keep the Ctrl ones); the tab row's keys move focus
// and selection together, round. Then the tab panel and the group boxes hold their controls.
scenario('bank keys, the row of tabs, its panel and the group boxes', tracker('--model 4'), async ({ page }) => {
  await type(page, 'Primary Callsign', 'AB1CD');
  for (const [keys, bank, onRow] of [['Alt+PageDown', 1, false], ['Alt+PageUp', 0, false], ['Shift+Tab', 0, true],
    ['ArrowRight', 1, true], ['ArrowRight', 0, true], ['ArrowLeft', 1, true], ['Home', 0, true], ['End', 1, true]]) {
    for (const key of keys.split('+')) await page.keyboard.down(key);
    for (const key of keys.split('+').reverse()) await page.keyboard.up(key);
    await page.waitForFunction(([b, row]) => document.querySelector('[aria-label$="Callsign"]').value === ['AB1CD', 'NOCALL'][b] &&
      document.querySelector('[aria-selected="true"]').textContent === ['Primary', 'Secondary'][b] &&
      (row ? document.activeElement.getAttribute('aria-selected') === 'true' : /Callsign$/.test(document.activeElement.getAttribute('aria-label'))),
    { timeout: kTimeoutMs }, [bank, onRow]).catch(() => fail(`${keys}: not bank ${bank}, focus ${onRow ? 'on its tab' : 'in Callsign'}`));
  }
  const tree = await page.accessibility.snapshot({ interestingOnly: false });
  const node = (under, role, name) => (under.role === role && under.name === name ? under
    : (under.children || []).map((c) => node(c, role, name)).find(Boolean));
  const panel = node(tree, 'tabpanel', 'Secondary') || fail('no tab panel named by the selected tab');
  for (const [within, group, role, name] of [[panel, 'Timing', 'textbox', 'Secondary Auto TXD'], [panel, 'Mic-E', 'combobox', 'Secondary Mic-E Path'],
    [tree, 'Configure', 'combobox', 'Port']]) {
    if (!node(node(within, 'group', group) || {}, role, name)) fail(`no ${name} in the group ${group}`);
  }
  if (!await page.$$eval('[role="tab"]', (tabs) => tabs.every((t) => document.getElementById(t.getAttribute('aria-controls'))
    ?.contains(document.querySelector('[aria-label$="Callsign"]'))))) fail('a tab controls no panel holding the form');
});

// Read Config keeps an entry in the browser's storage, which a reload keeps and the History dialog
// lists; "Save Copy..." downloads it, and Load puts it back after an edit.
scenario('the history: kept by a read, listed after a reload, downloaded, loaded', tracker('--model 4'), async ({ page, downloads }) => {
  const press = async (name) => (await page.waitForSelector(`#history-window ::-p-aria(${name}[role="button"])`, { timeout: kTimeoutMs })).click();
  await click(page, 'Read Config');
  await until(page, is('Read Config Successful'));
  // Saved in the background as the read ends: reloaded once IndexedDB holds it.
  await page.waitForFunction(() => new Promise((resolve) => { const db = indexedDB.open('/history'); db.onsuccess = () => {
    const count = db.result.transaction('FILE_DATA').objectStore('FILE_DATA').count(); count.onsuccess = () => resolve(count.result > 0);
  }; }), { timeout: kTimeoutMs });
  // An entry as earlier versions of the page stored it (Emscripten's IDBFS records, the folder's own among them).
  await page.evaluate(() => new Promise((resolve) => { indexedDB.open('/history').onsuccess = (event) => {
    const store = event.target.result.transaction('FILE_DATA', 'readwrite').objectStore('FILE_DATA');
    store.getAll().onsuccess = (got) => {
      const stored = got.target.result.find((record) => record.contents);
      store.put({ timestamp: new Date(), mode: 0o40777 }, '/history');
      store.put({ ...stored, mode: 0o100666 }, '/history/2020-01-02 03-04-05 OLDER model 4 read.qv3').onsuccess = resolve;
    };
  }; }));
  await page.reload().then(() => ready(page));
  await type(page, 'Primary Callsign', 'EDITED');
  await click(page, 'History...');
  const [line, older] = await page.$eval('#history-window select', (list) => [...list.options].map((option) => option.value));
  if (!/^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d  NOCALL  model 4  read$/.test(line)) fail(`listed: ${line}`);
  if (older !== '2020-01-02 03:04:05  OLDER  model 4  read') fail(`the earlier page's entry listed as ${older}`);
  await page.screenshot({ path: path.join(work, 'history.png') });
  await press('Save Copy...');
  const copy = await download(downloads);
  if (copy.name !== `${line.slice(0, 10)} ${line.slice(11, 19).replace(/:/g, '-')} NOCALL model 4 read.qv3`) fail(`downloaded as ${copy.name}`);
  await press('Load');
  await until(page, is('File Loaded'), null);
  if (await (await find(page, 'Primary Callsign')).evaluate((e) => e.value) !== 'NOCALL') fail('Load left the edit');
});

scenario('without Web Serial: device buttons off, files still load and save', null, async ({ page, downloads }) => {
  if (await page.$eval('#no-serial', (e) => e.hidden)) fail('no word about the browser');
  if (!(await (await find(page, 'Read Config[role="button"]')).evaluate((b) => b.disabled))) fail('Read Config enabled');
  // The port controls say why they are off; only the install file the site has is a link.
  const why = await page.$$eval('#choose-port, [aria-label="Port"]', (els) => els.map((e) => e.disabled &&
    document.getElementById(e.getAttribute('aria-describedby'))?.checkVisibility() && e.getAttribute('aria-describedby')));
  if (why.length !== 2 || why.some((id) => id !== 'no-serial-reason')) fail(`the port controls' reason: ${why}`);
  await page.waitForSelector('#downloads-elsewhere:not([hidden])', { timeout: kTimeoutMs });
  const links = await page.$$eval('#no-serial a', (as) => as.map((a) => a.getAttribute('href')));
  if (links.length !== 1 || !links[0].endsWith('_amd64.deb')) fail(`links: ${links}`);
  const file = path.join(work, 'loaded.qv3');
  fs.writeFileSync(`${file}.txt`, 'model = 6\nprimary.callsign = "N0TST-6"\n');
  qv3Run('save', `${file}.txt`, '-o', file);
  const [chooser] = await Promise.all([page.waitForFileChooser({ timeout: kTimeoutMs }), click(page, 'Load')]);
  await chooser.accept([file]);
  await page.waitForFunction(() => document.querySelector('[aria-label="Primary Callsign"]').value === 'N0TST-6', { timeout: kTimeoutMs });
  await click(page, 'Save');
  same((await download(downloads)).bytes, fs.readFileSync(file), 'saved again');
});

// Visited once, the page is kept by its service worker: with the network off it reloads from
// there, asking the server nothing, and reads. Chromium finds nothing against installing it.
scenario('installable; kept for use offline: a reload and a read without the network', tracker('--model 4'), async ({ page }) => {
  const { installabilityErrors: errors } = await (await page.createCDPSession()).send('Page.getInstallabilityErrors');
  if (errors.length > 0) fail(`not installable: ${errors.map((e) => e.errorId)}`);
  await page.evaluate(() => navigator.serviceWorker.ready).then(() => page.setOfflineMode(true));
  const before = served.length;
  await page.reload().then(() => ready(page));
  await click(page, 'Read Config');
  await until(page, is('Read Config Successful'));
  // The browser's own look for a newer worker is not stopped by the emulation.
  const asked = served.slice(before).filter((url) => !url.endsWith('/service_worker.js'));
  if (asked.length > 0 || !await page.evaluate(() => !!navigator.serviceWorker.controller)) fail(`not served by the service worker: ${asked}`);
}, true);

// A phone held upright: the window, then the question, telemetry and history dialogs, take the
// screen's width, every control reached by scrolling down only and 40px high for a finger.
scenario('a phone: 390x844 with touch', tracker('--model 3'), async ({ page }) => {
  await page.setViewport({ width: 390, height: 844, hasTouch: true, isMobile: true });
  await ready(page);
  const check = async (within, picture) => {
    await page.screenshot({ path: path.join(work, picture), fullPage: within === 'html' });
    const faults = await page.$eval(within, (root) => [...root.querySelectorAll('input, select, textarea, button')].filter((e) => e.checkVisibility())
      .map((e) => [e.getAttribute('aria-label') || e.textContent, (e.type === 'checkbox' ? e.closest('label') : e).getBoundingClientRect()])
      .flatMap(([said, r]) => (r.left < 0 || r.right > innerWidth ? [`${said} off the side`] : []).concat(r.height < 40 ? [`${said} ${r.height}px high`] : []))
      .concat(root.scrollWidth > root.clientWidth ? [`${root.id || 'the page'} scrolls sideways`] : []));
    if (faults.length > 0) fail(`${picture}: ${faults.join(', ')}`);
  };
  await check('html', 'phone.png');
  await click(page, 'Read Config').then(() => until(page, is('Read Config Successful')));
  for (const [button, dialog, close] of [['Edit Telemetry', 'telemetry-window', 'Cancel'], ['History...', 'history-window', 'Close'], ['Write Config', 'question', 'Cancel']]) {
    if (button === 'Write Config') await type(page, 'Primary Callsign', 'N0PH');
    await click(page, button);
    await page.waitForSelector(`#${dialog}[open]`, { timeout: kTimeoutMs });
    await check(`#${dialog}`, `phone-${dialog}.png`);
    await (await page.waitForSelector(`#${dialog} ::-p-aria(${close}[role="button"])`, { timeout: kTimeoutMs })).click();
    await page.waitForSelector(`#${dialog}:not([open])`, { timeout: kTimeoutMs });
  }
});

const benchRuns = Number(process.argv[process.argv.indexOf('--bench') + 1] || 0);
if (process.argv.includes('--bench')) {
  scenarios.length = 0;
  for (let run = 0; run < benchRuns; ++run) {
    for (const chip of ['serial', 'cdc', 'ftdi', 'cp210x', 'ch340', 'pl2303', 'pl2303gc']) {
      scenario('bench', chip === 'serial' ? tracker('--model 4') : usb(chip, '--model 4'), async ({ page, readyMs }) => {
        const timed = async (button, text) => { const t = Date.now(); await click(page, button); await until(page, is(text)); return Date.now() - t; };
        const read = await timed('Read Config', 'Read Config Successful');
        await type(page, 'Primary Callsign', `N0BEN-${run}`);  // a write with something to change
        console.log(`bench ${chip} ready ${readyMs.toFixed(0)} read ${read} write ${await timed('Write Config', 'Config Written Successfully!')}`);
      });
    }
  }
}

if (process.argv.includes('--only')) {
  const only = process.argv[process.argv.indexOf('--only') + 1] || '';
  scenarios.splice(0, scenarios.length, ...scenarios.filter((s) => s.name.includes(only)));
}

async function main() {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  const profile = fs.mkdtempSync(path.join(work, 'profile-'));
  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
  });
  let passed = 0;
  const ready = [];
  const run = async (s) => {
    let opened = null;
    try {
      opened = await openPage(s.ports, s.installable);
      ready.push(opened.readyMs);
      await s.body(opened);
      if (opened.errors.length > 0) fail(`console: ${opened.errors.join(' | ')}`);
      console.log(`ok      ${s.name}`);
      passed += 1;
    } catch (error) {
      console.log(`FAILED  ${s.name}: ${error.message}`);
    }
    if (opened) await (s.installable ? opened.page : opened.context).close().catch(() => {});
  };
  // Most of a scenario is waiting on the simulated line, so two run side by side, each in a
  // context of its own; the installable ones share the browser's own profile (its service
  // worker, its storage) and the bench measures, so those run one at a time.
  const alone = scenarios.filter((s) => s.installable || benchRuns > 0);
  const queue = scenarios.filter((s) => !alone.includes(s));
  const lane = async () => { while (queue.length > 0) await run(queue.shift()); };
  await Promise.all([lane(), lane()]);
  for (const s of alone) await run(s);
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
  if (missing.length > 0) console.log(`FAILED  the page asked for what is not there: ${missing.join(', ')}`);
  const failed = scenarios.length - passed + (missing.length > 0 ? 1 : 0);
  console.log(`ready after navigation (median, with the fake's tracker loading): ${ready.sort((a, b) => a - b)[ready.length >> 1].toFixed(0)} ms`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
}

main().catch((error) => { console.log(`FAILED  ${error.message}\n0 passed, 1 failed`); process.exitCode = 1; });
