// The web element in a real Chromium against the bridge and a local network.
// usage: node browser-tests.mjs WEBHOST LOCALNET VELKAN_SEARCH VELKAN_PARAM VELKAN_REGSVR CONTROL_MODULE CHROMIUM PANEL_GEOMETRY
// With VELKAN_WEB_SHOTS=DIR the layout test also writes the web panel beside the native one, at
// one and two device pixels per pixel, as PNG files in DIR.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [webhost, localnet, velkanSearch, velkanParam, velkanRegsvr, controlModule, chromiumPath, panelGeometry] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
if (!fs.existsSync(path.join(here, 'node_modules/playwright-core'))) {
  console.log('playwright-core is not installed here: run npm ci in tests/browser (./run test does)');
  process.exit(77);
}
const { chromium } = await import('playwright-core');
// Generous: the sanitizer build of the bridge on a busy machine is slow to answer.
const WAIT_MS = 45000;
const children = [];
const servers = [];

function versions() {
  const core = JSON.parse(fs.readFileSync(path.join(here, 'node_modules/playwright-core/package.json'), 'utf8'));
  const browser = execFileSync(chromiumPath, ['--version'], { encoding: 'utf8' }).trim();
  console.log(`playwright-core ${core.version}; ${browser}; node ${process.version}`);
}

// Starts a program and waits for a line of its output that matches; the match.
function start(program, args, pattern) {
  return new Promise((resolve, reject) => {
    const child = spawn(program, args, { stdio: ['ignore', 'pipe', 'pipe'] });
    children.push(child);
    let output = '';
    const timer = setTimeout(() => reject(new Error(`${program} did not start:\n${output}`)), WAIT_MS);
    const look = (chunk) => {
      output += chunk;
      const match = output.match(pattern);
      if (match) {
        clearTimeout(timer);
        resolve({ child, match, output: () => output });
      }
    };
    child.stdout.on('data', look);
    child.stderr.on('data', look);
    child.on('exit', (code) => reject(new Error(`${program} exited with ${code}:\n${output}`)));
  });
}

async function startNetwork(args) {
  const started = await start(localnet, ['--port', '0', ...args], /^appserver 127\.0\.0\.1:(\d+)$/m);
  // All listeners are printed together, the application server first.
  await new Promise((resolve) => setTimeout(resolve, 0));
  return { appServer: `127.0.0.1:${started.match[1]}`, output: started.output };
}

async function startBridge(appServer, origins) {
  const args = ['--port', '0', '--app-server', appServer];
  for (const origin of origins) args.push('--allow-origin', origin);
  const started = await start(webhost, args, /serving http:\/\/127\.0\.0\.1:(\d+)\//);
  return `http://127.0.0.1:${started.match[1]}`;
}

// A site of its own on a port of its own: its origin is what the bridge allows or not. It
// serves the page that openPage describes in the address.
async function startSite() {
  const server = http.createServer((request, response) => {
    const query = new URL(request.url, 'http://x').searchParams;
    response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
    response.end(embeddingPage(query.get('bridge'), JSON.parse(query.get('attributes') ?? '{}')));
  });
  servers.push(server);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return `http://127.0.0.1:${server.address().port}`;
}

function embeddingPage(bridge, attributes) {
  const list = Object.entries(attributes).map(([name, value]) => ` ${name}="${value}"`).join('');
  return `<!DOCTYPE html><meta charset="utf-8"><title>embedding</title>
<script type="module" src="${bridge}/velkanfilesearch.js"></script>
<script>
  window.events = [];
  document.addEventListener('DOMContentLoaded', () => {
    const panel = document.querySelector('velkan-file-search');
    for (const type of ['Connect', 'searchidle', 'error', 'activate']) {
      panel?.addEventListener(type, (event) => window.events.push({ type, detail: event.detail ?? null }));
    }
  });
</script>
<velkan-file-search bridge="${bridge}"${list}></velkan-file-search>`;
}

async function openPage(site, bridge, attributes) {
  const page = await browser.newPage();
  const query = new URLSearchParams({ bridge, attributes: JSON.stringify(attributes) });
  await page.goto(`${site}/?${query}`);
  return page;
}

function silentPeers(network) {
  const ports = [...network.output().matchAll(/^peer \S+ 127\.0\.0\.1:(\d+) silent$/gm)].map((m) => Number(m[1]));
  assert.equal(ports.length, 3);
  return ports;
}

// Established connections to any of the ports, from /proc.
function connectionsTo(ports) {
  let count = 0;
  for (const file of ['/proc/net/tcp', '/proc/net/tcp6']) {
    if (!fs.existsSync(file)) continue;
    for (const line of fs.readFileSync(file, 'utf8').split('\n').slice(1)) {
      const fields = line.trim().split(/\s+/);
      if (fields.length < 4 || fields[3] !== '01') continue;
      const remotePort = parseInt(fields[2].split(':')[1], 16);
      if (ports.includes(remotePort)) count += 1;
    }
  }
  return count;
}

async function until(condition, what) {
  const deadline = Date.now() + WAIT_MS;
  while (!(await condition())) {
    if (Date.now() > deadline) throw new Error(`gave up waiting: ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

const events = (page, type) => page.evaluate((t) => window.events.filter((e) => e.type === t), type);

const tests = [];
const test = (name, body) => tests.push({ name, body });

let browser;
let param;
let operatorParam;
let shareDir;

test('an allowed page embeds the element with page data; rows arrive; a column sort', async () => {
  const network = await startNetwork(['--peers', '60', '--seed', '7']);
  const site = await startSite();
  const bridge = await startBridge(network.appServer, [site]);
  const page = await openPage(site, bridge, { param, search: 'mp3' });
  await page.waitForFunction(() => document.querySelector('velkan-file-search').rowCount > 0, null, { timeout: WAIT_MS });
  await until(async () => (await events(page, 'searchidle')).length > 0, 'the search to end');
  const panel = page.locator('velkan-file-search');
  const rowCount = await panel.evaluate((e) => e.rowCount);
  assert.equal(await panel.locator('[role=grid]').getAttribute('aria-rowcount'), String(rowCount + 1));
  assert.ok(await panel.locator('[role=row][aria-rowindex="2"]').count() === 1, 'the first row is drawn');

  await panel.locator('[role=columnheader][data-column="0"]').click();
  await until(async () => (await panel.locator('[data-column="0"]').getAttribute('aria-sort')) === 'ascending', 'the sort');
  const nicksUp = await panel.locator('.row').evaluateAll((rows) => rows.map((r) => r.firstElementChild.textContent));
  await panel.locator('[role=columnheader][data-column="0"]').click();
  await until(async () => (await panel.locator('[data-column="0"]').getAttribute('aria-sort')) === 'descending', 'the reverse sort');
  await until(async () => {
    const nicksDown = await panel.locator('.row').evaluateAll((rows) => rows.map((r) => r.firstElementChild.textContent));
    return nicksDown.length > 0 && nicksDown[0] !== nicksUp[0];
  }, 'the rows in the other order');
  await page.close();
});

test('Enter and a double click raise Connect with the native control\'s nick and folder', async () => {
  const network = await startNetwork(['--peers', '0', '--share', `kim=${path.join(shareDir, 'share')}`]);
  // The native control, registered in a registry file of the test's own.
  const env = { ...process.env, QT_QPA_PLATFORM: 'offscreen', VELKAN_REGISTRY: path.join(shareDir, 'registry.reg') };
  execFileSync(velkanRegsvr, [controlModule], { env, stdio: 'ignore' });
  const native = execFileSync(velkanSearch, ['--param', param, '--search', 'song', '--app-server', network.appServer,
    '--json', '--timeout', '30', '--connect', '0'], { encoding: 'utf8', env });
  const nativeEvent = native.split('\n').filter(Boolean).map((l) => JSON.parse(l)).find((r) => r.event === 'Connect');
  assert.ok(nativeEvent, `the native control raised Connect:\n${native}`);

  const site = await startSite();
  const bridge = await startBridge(network.appServer, [site]);
  const page = await openPage(site, bridge, { param, search: 'song' });
  const panel = page.locator('velkan-file-search');
  await until(async () => (await events(page, 'searchidle')).length > 0, 'the search to end');
  // Enter with nothing selected: the native panel's message box, in the page.
  await panel.locator('[role=grid]').focus();
  await page.keyboard.press('Enter');
  await panel.locator('[role=dialog]').waitFor({ timeout: WAIT_MS });
  assert.equal(await panel.locator('[role=dialog] p').textContent(), '파일을 선택하세요');
  await panel.locator('[role=dialog] button').click();

  await panel.locator('.row[data-row="0"]').dblclick();
  await until(async () => (await events(page, 'Connect')).length === 1, 'Connect after a double click');
  // Enter connects the selected row: the selection comes with the next state, after Connect.
  await panel.locator('.row[data-row="0"][aria-selected="true"]').waitFor({ timeout: WAIT_MS });
  await panel.locator('[role=grid]').focus();
  await page.keyboard.press('Enter');
  await until(async () => (await events(page, 'Connect')).length === 2, 'Connect after Enter');
  for (const { detail } of await events(page, 'Connect')) {
    assert.equal(detail.nick, nativeEvent.nick);
    assert.equal(detail.folder, nativeEvent.eventFolder);
    assert.equal(detail.folderText, nativeEvent.folder);
  }
  await page.close();
});

// The list's scrolling parts in the panel's shadow root: what scrolls, and the tallest scroll height.
const scrolling = (page) => page.evaluate(() => {
  const root = document.querySelector('velkan-file-search').shadowRoot;
  const all = [...root.querySelectorAll('*')];
  const tallest = Math.max(...all.map((e) => e.scrollHeight));
  const scroller = all.find((e) => ['auto', 'scroll'].includes(getComputedStyle(e).overflowY) && e.scrollHeight > e.clientHeight);
  return { tallest, scrolls: Boolean(scroller) };
});

test('scrolling reaches the last of 100,000 rows', async () => {
  // One folder of 50,000 files, shared by two peers: 100,000 file rows under their folder rows.
  const folder = path.join(shareDir, 'many');
  fs.mkdirSync(folder);
  for (let i = 0; i < 50000; i += 1) fs.writeFileSync(path.join(folder, `track${String(i).padStart(5, '0')}.mp3`), '');
  const network = await startNetwork(['--peers', '0', '--share', `kim=${folder}`, '--share', `lee=${folder}`]);
  const site = await startSite();
  const bridge = await startBridge(network.appServer, [site]);
  const page = await openPage(site, bridge, { param, search: 'track' });
  await until(async () => (await events(page, 'searchidle')).length > 0, 'the search to end');
  const panel = page.locator('velkan-file-search');
  const rowCount = await panel.evaluate((e) => e.rowCount);
  assert.ok(rowCount >= 100000, `${rowCount} rows`);
  const before = await scrolling(page);
  assert.ok(before.scrolls, 'the list scrolls');
  assert.ok(before.tallest <= 10_000_000, `scroll height ${before.tallest}`);
  // To the end, as the End key or a dragged scroll bar takes it.
  await page.evaluate(() => {
    const root = document.querySelector('velkan-file-search').shadowRoot;
    for (const e of root.querySelectorAll('*')) {
      if (['auto', 'scroll'].includes(getComputedStyle(e).overflowY) && e.scrollHeight > e.clientHeight) e.scrollTop = e.scrollHeight;
    }
  });
  const last = panel.locator(`[role=row][aria-rowindex="${rowCount + 1}"]`);
  await last.waitFor({ timeout: WAIT_MS });
  assert.ok(await last.isVisible(), 'the last row is in view');
  assert.match(await last.textContent(), /track49999\.mp3/);
  assert.ok((await scrolling(page)).tallest <= 10_000_000);
  // Only the rows in view are in the page.
  assert.ok(await panel.locator('[role=row]').count() < 100);
  fs.rmSync(folder, { recursive: true, force: true });
  await page.close();
});

test('a row named with a stale order generation raises nothing', async () => {
  const network = await startNetwork(['--peers', '0', '--share', `kim=${path.join(shareDir, 'share')}`,
    '--share', `lee=${path.join(shareDir, 'share')}`]);
  const site = await startSite();
  const bridge = await startBridge(network.appServer, [site]);
  const page = await openPage(site, bridge, { param, search: 'song' });
  const refusals = [];
  page.on('console', (message) => { if (message.text().includes('stale-generation')) refusals.push(message.text()); });
  await until(async () => (await events(page, 'searchidle')).length > 0, 'the search to end');
  // A sort and, before the page has heard of the new order, a double click's message naming
  // a row of the old one: the bridge refuses it.
  const panel = page.locator('velkan-file-search');
  await panel.evaluate((e) => {
    e.shadowRoot.querySelector('[role=columnheader][data-column="0"]').click();
    e.connectToRow(1);
  });
  await until(() => refusals.length === 1, 'the bridge to refuse the stale row');
  await until(async () => (await panel.locator('[data-column="0"]').getAttribute('aria-sort')) === 'ascending', 'the sort');
  // The same row named in the new order: kim's file, the second row sorted by nick.
  await panel.evaluate((e) => e.connectToRow(1));
  await until(async () => (await events(page, 'Connect')).length > 0, 'Connect for the row of the new order');
  const connects = await events(page, 'Connect');
  assert.equal(connects.length, 1);
  assert.equal(connects[0].detail.nick, 'kim');
  await page.close();
});

test('StopSearch ends a search; AboutBox settles when closed', async () => {
  const network = await startNetwork(['--peers', '0', '--hostile', 'silent=3']);
  const site = await startSite();
  const bridge = await startBridge(network.appServer, [site]);
  const page = await openPage(site, bridge, { param });
  await page.evaluate(async () => {
    const panel = document.querySelector('velkan-file-search');
    panel.VelkanSearch('ignored before activation');
    await panel.activated;
    panel.VelkanSearch('x');
  });
  const panel = page.locator('velkan-file-search');
  const peerPorts = silentPeers(network);
  await until(() => connectionsTo(peerPorts) === 3, 'the search to reach the three silent peers');
  assert.equal((await events(page, 'searchidle')).length, 0);
  await page.evaluate(() => document.querySelector('velkan-file-search').StopSearch());
  await until(async () => (await events(page, 'searchidle')).length === 1, 'searchidle after StopSearch');
  await until(() => connectionsTo(peerPorts) === 0, 'the stopped search to close its connections');

  const about = page.evaluate(() => document.querySelector('velkan-file-search').AboutBox().then(() => 'closed'));
  await panel.locator('[role=dialog] button').click();
  assert.equal(await about, 'closed');
  await page.close();
});

test('a refused origin gets the error state and its application server sees no request', async () => {
  let requests = 0;
  const appServer = net.createServer((socket) => { requests += 1; socket.destroy(); });
  servers.push(appServer);
  await new Promise((resolve) => appServer.listen(0, '127.0.0.1', resolve));
  const bridge = await startBridge(`127.0.0.1:${appServer.address().port}`, ['https://only.example']);
  const site = await startSite();
  const page = await openPage(site, bridge, { param, search: 'mp3' });
  const panel = page.locator('velkan-file-search');
  await panel.locator('.error').waitFor({ state: 'visible', timeout: WAIT_MS });
  const [error] = await events(page, 'error');
  assert.equal(error.detail.reason, 'origin-not-allowed');
  assert.equal(await panel.locator('.error').textContent(), error.detail.message);
  // A page script cannot open a control itself either.
  const refused = await page.evaluate((b) => new Promise((resolve) => {
    const socket = new WebSocket(`${b.replace('http', 'ws')}/control`);
    socket.onopen = () => resolve('open');
    socket.onclose = () => resolve('closed');
  }), bridge);
  assert.equal(refused, 'closed');
  assert.equal(requests, 0);
  await page.close();
});

test('a forged Host field is refused', async () => {
  const bridge = new URL(await startBridge('127.0.0.1:9', []));
  const status = await new Promise((resolve, reject) => {
    http.get({ host: '127.0.0.1', port: bridge.port, path: '/velkanfilesearch.js', headers: { Host: `rebound.example:${bridge.port}` } },
      (response) => { response.resume(); resolve(response.statusCode); }).on('error', reject);
  });
  assert.equal(status, 403);
});

test('closing the page closes the session\'s peer connections', async () => {
  const network = await startNetwork(['--peers', '0', '--hostile', 'silent=3']);
  const peerPorts = silentPeers(network);
  const site = await startSite();
  const bridge = await startBridge(network.appServer, [site]);
  const page = await openPage(site, bridge, { param, search: 'x' });
  // Both ends of each connection are on this machine: the bridge's three and the peers' three.
  await until(() => connectionsTo(peerPorts) === 3, 'the bridge to connect to the three peers');
  await page.close();
  await until(() => connectionsTo(peerPorts) === 0, 'the peer connections to close');
});

// The native control's records for a search, from velkan-search with a registry of the test's own.
function nativeRecords(appServer, args) {
  const env = { ...process.env, QT_QPA_PLATFORM: 'offscreen', VELKAN_REGISTRY: path.join(shareDir, 'registry.reg') };
  execFileSync(velkanRegsvr, [controlModule], { env, stdio: 'ignore' });
  const output = execFileSync(velkanSearch, ['--app-server', appServer, '--json', '--timeout', '30', ...args], { encoding: 'utf8', env });
  return output.split('\n').filter(Boolean).map((line) => JSON.parse(line));
}

test('the server-information window shows what the native window shows', async () => {
  const network = await startNetwork(['--peers', '1', '--seed', '7']);
  const native = nativeRecords(network.appServer, ['--param', operatorParam, '--search', 'mp3', '--server-info', '0'])
    .find((r) => r.type === 'serverinfo');
  assert.ok(native?.answered, 'the native control got the figures');
  const site = await startSite();
  const bridge = await startBridge(network.appServer, [site]);
  const page = await openPage(site, bridge, { param: operatorParam, search: 'mp3' });
  const panel = page.locator('velkan-file-search');
  await until(async () => (await events(page, 'searchidle')).length > 0, 'the search to end');
  const button = panel.locator('button[data-id="4"]');
  assert.ok(await button.isVisible(), 'the operator sees the server-information button');
  assert.ok(await button.isDisabled(), 'until a row is clicked');
  // Row 0 is a row of the network's one server, whichever it is.
  const row = panel.locator('.row[data-row="0"]');
  await row.click();
  await until(() => button.isEnabled(), 'the button to follow the click');
  const nick = await row.locator('[role=gridcell]').first().textContent();
  // The native Tab order, passing what is disabled or hidden: download, (stop,) the list,
  // (connect,) server information; Enter on a button presses it.
  const focused = () => page.evaluate(() => document.querySelector('velkan-file-search').shadowRoot.activeElement?.dataset.part);
  await panel.locator('button[data-id="1"]').focus();
  await page.keyboard.press('Tab');
  assert.equal(await focused(), 'list');
  await page.keyboard.press('Tab');
  assert.equal(await focused(), 'button4');
  await page.keyboard.press('Enter');
  const window = panel.locator('[data-window="serverinfo"]');
  await window.waitFor({ timeout: WAIT_MS });
  assert.equal(await window.getAttribute('aria-label'), '서버정보');
  assert.equal(await window.locator('[data-value="title"]').textContent(), `${nick} 서버 정보`);
  await until(async () => (await window.locator('[data-value="download"]').textContent()) !== '', 'the figures');
  const shown = {};
  for (const name of ['download', 'upload', 'count', 'size']) shown[name] = await window.locator(`[data-value="${name}"]`).textContent();
  assert.deepEqual(shown, { download: native.download, upload: native.upload, count: native.countText, size: native.sizeText });
  assert.equal(await window.locator('button').getAttribute('title'), '확인');
  await page.keyboard.press('Escape');
  await window.waitFor({ state: 'detached', timeout: WAIT_MS });
  await page.close();
});

test('at a device pixel ratio of 2 every picture comes from its twice-size file', async () => {
  const network = await startNetwork(['--peers', '20', '--seed', '7']);
  const site = await startSite();
  const bridge = await startBridge(network.appServer, [site]);
  const context = await browser.newContext({ deviceScaleFactor: 2 });
  const page = await context.newPage();
  const pictures = new Set();
  page.on('request', (request) => {
    const { pathname } = new URL(request.url());
    if (pathname.startsWith('/pictures/') || pathname.startsWith('/icons/')) pictures.add(pathname);
  });
  const query = new URLSearchParams({ bridge, attributes: JSON.stringify({ param: operatorParam, search: 'mp3' }) });
  await page.goto(`${site}/?${query}`);
  const panel = page.locator('velkan-file-search');
  await until(async () => (await page.evaluate(() => window.events.filter((e) => e.type === 'searchidle').length)) > 0, 'the search to end');
  await panel.locator('.row[data-row="0"]').click();
  await panel.locator('button[data-id="4"]').click();
  await panel.locator('[data-window="serverinfo"]').waitFor({ timeout: WAIT_MS });
  await page.evaluate(() => Promise.all([...document.querySelector('velkan-file-search').shadowRoot.querySelectorAll('img')]
    .map((img) => img.decode().catch(() => {}))));
  await until(() => ['213', '220', '218', '219', '214'].every((n) => pictures.has(`/pictures/${n}@2x.png`)),
    `the gauges, folders and buttons from their twice-size files (asked: ${[...pictures].join(' ')})`);
  const single = [...pictures].filter((p) => !p.endsWith('@2x.png') && !p.startsWith('/icons/32/') && p !== '/pictures/icon.png');
  assert.deepEqual(single, [], 'no picture from its single-size file');
  assert.ok([...pictures].some((p) => p.startsWith('/icons/32/')), 'file pictures at 32 pixels');
  await context.close();
});

const LAYOUT_SIZES = [[728, 500], [960, 640]];

// Where the web panel's parts stand, relative to the element, under the native reader's names.
function webGeometry(element) {
  const origin = element.getBoundingClientRect();
  const root = element.shadowRoot;
  const box = (node) => {
    const hidden = node.hidden;
    node.hidden = false; // where a hidden button would stand, as the native reader tells it too
    const rect = node.getBoundingClientRect();
    node.hidden = hidden;
    return { x: rect.left - origin.left, y: rect.top - origin.top, width: rect.width, height: rect.height, visible: !hidden };
  };
  const part = (name) => box(root.querySelector(`[data-part="${name}"]`));
  const buttons = {};
  for (const id of [1, 2, 3, 4]) buttons[id] = part(`button${id}`);
  return {
    progressBar: part('progressBar'), progressText: part('progressText'), foundText: part('foundText'),
    progressCaption: part('progressCaption'), foundCaption: part('foundCaption'), list: part('list'),
    header: part('header'), buttons,
  };
}

async function resizePanel(page, [width, height]) {
  await page.locator('velkan-file-search').evaluate((element, [w, h]) => {
    element.style.width = `${w}px`;
    element.style.height = `${h}px`;
  }, [width, height]);
  // The layout follows a resize observer; two frames see it done.
  await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
}

// Both pictures side by side in one PNG, drawn by the browser itself.
async function besideEachOther(file, webPicture, nativePicture, ratio) {
  const context = await browser.newContext({ deviceScaleFactor: ratio });
  const page = await context.newPage();
  const data = (bytes) => `data:image/png;base64,${bytes.toString('base64')}`;
  await page.setContent(`<body style="margin:0;display:flex;gap:12px;background:#888;font:12px sans-serif">
    <figure style="margin:0"><img id="web" src="${data(webPicture)}"><figcaption>web</figcaption></figure>
    <figure style="margin:0"><img id="native" src="${data(nativePicture)}"><figcaption>native</figcaption></figure></body>`);
  await page.evaluate((r) => {
    for (const img of document.images) img.style.width = `${img.naturalWidth / r}px`;
  }, ratio);
  await page.screenshot({ path: file, fullPage: true });
  await context.close();
}

async function writeShots(dir, network, site, bridge) {
  fs.mkdirSync(dir, { recursive: true });
  for (const ratio of [1, 2]) {
    const suffix = ratio === 1 ? '' : '@2x';
    const env = { ...process.env, QT_QPA_PLATFORM: 'offscreen', QT_SCALE_FACTOR: String(ratio) };
    execFileSync(panelGeometry, ['--app-server', network.appServer, '--param', operatorParam, '--search', 'mp3',
      '--sort', '2', '--pictures', dir, ...LAYOUT_SIZES.map(([w, h]) => `${w}x${h}`)], { env, stdio: 'ignore' });
    const context = await browser.newContext({ deviceScaleFactor: ratio });
    const page = await context.newPage();
    const query = new URLSearchParams({ bridge, attributes: JSON.stringify({ param: operatorParam, search: 'mp3' }) });
    await page.goto(`${site}/?${query}`);
    const panel = page.locator('velkan-file-search');
    await until(async () => (await page.evaluate(() => window.events.filter((e) => e.type === 'searchidle').length)) > 0, 'the search to end');
    await panel.locator('[role=columnheader][data-column="2"]').click();
    await until(async () => (await panel.locator('[data-column="2"]').getAttribute('aria-sort')) === 'ascending', 'the sort');
    for (const size of LAYOUT_SIZES) {
      await resizePanel(page, size);
      await page.evaluate(() => Promise.all([...document.querySelector('velkan-file-search').shadowRoot.querySelectorAll('img')]
        .map((img) => img.decode().catch(() => {}))));
      const name = `${size[0]}x${size[1]}${suffix}`;
      const web = await panel.screenshot({ path: path.join(dir, `web-${name}.png`) });
      const native = fs.readFileSync(path.join(dir, `native-${name}.png`));
      await besideEachOther(path.join(dir, `beside-${name}.png`), web, native, ratio);
    }
    // The in-page windows: server information for the first row, and the about box.
    await panel.locator('.row[data-row="0"]').click();
    await panel.locator('button[data-id="4"]').click();
    const info = panel.locator('[data-window="serverinfo"]');
    await until(async () => (await info.locator('[data-value="download"]').textContent()) !== '', 'the figures');
    await panel.screenshot({ path: path.join(dir, `web-serverinfo${suffix}.png`) });
    await page.keyboard.press('Escape');
    const about = panel.evaluate((element) => element.AboutBox());
    await panel.locator('[data-window="about"]').waitFor({ timeout: WAIT_MS });
    await panel.screenshot({ path: path.join(dir, `web-about${suffix}.png`) });
    await page.keyboard.press('Enter');
    await about;
    await context.close();
  }
}

test('the web panel stands where the native panel does, at 728x500 and 960x640', async () => {
  const network = await startNetwork(['--peers', '60', '--seed', '7']);
  const native = execFileSync(panelGeometry, LAYOUT_SIZES.map(([w, h]) => `${w}x${h}`),
    { encoding: 'utf8', env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } })
    .split('\n').filter(Boolean).map((line) => JSON.parse(line));
  assert.equal(native.length, LAYOUT_SIZES.length);
  const site = await startSite();
  const bridge = await startBridge(network.appServer, [site]);
  const page = await openPage(site, bridge, { param });
  await page.evaluate(() => document.querySelector('velkan-file-search').activated);
  const misplaced = [];
  for (const expected of native) {
    await resizePanel(page, [expected.width, expected.height]);
    const shown = await page.locator('velkan-file-search').evaluate(webGeometry);
    const compare = (name, want, got) => {
      for (const edge of ['x', 'y', 'width', 'height']) {
        if (Math.abs(want[edge] - got[edge]) > 1) misplaced.push(`${expected.width}x${expected.height} ${name}.${edge}: native ${want[edge]}, web ${got[edge]}`);
      }
      if (want.visible !== got.visible) misplaced.push(`${expected.width}x${expected.height} ${name}: native ${want.visible ? 'shown' : 'hidden'}`);
    };
    for (const name of ['progressBar', 'progressText', 'foundText', 'progressCaption', 'foundCaption', 'list', 'header']) {
      compare(name, expected[name], shown[name]);
    }
    for (const id of ['1', '2', '3', '4']) compare(`button ${id}`, expected.buttons[id], shown.buttons[id]);
  }
  assert.deepEqual(misplaced, []);
  await page.close();
  if (process.env.VELKAN_WEB_SHOTS) await writeShots(process.env.VELKAN_WEB_SHOTS, network, site, bridge);
});

async function main() {
  versions();
  param = execFileSync(velkanParam, ['encode', '-n', 'web|tester|x|x|x|A|0|0'], { encoding: 'utf8' }).trim();
  // The user ID that shows the server-information button.
  operatorParam = execFileSync(velkanParam, ['encode', '-n', 'web|velkan|x|x|x|A|0|0'], { encoding: 'utf8' }).trim();
  shareDir = fs.mkdtempSync(path.join(os.tmpdir(), 'velkan-web-'));
  const folder = path.join(shareDir, 'share', '노래 모음');
  fs.mkdirSync(folder, { recursive: true });
  fs.writeFileSync(path.join(folder, 'song one.mp3'), 'x'.repeat(1000));
  browser = await chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox', '--disable-gpu'] });
  let failed = 0;
  const only = process.env.VELKAN_BROWSER_TEST;
  for (const { name, body } of tests) {
    if (only && !name.includes(only)) continue;
    try {
      await body();
      console.log(`ok - ${name}`);
    } catch (error) {
      failed += 1;
      console.log(`not ok - ${name}\n${error.stack}`);
    }
  }
  await browser.close();
  fs.rmSync(shareDir, { recursive: true, force: true });
  return failed;
}

let status = 1;
try {
  status = (await main()) === 0 ? 0 : 1;
} finally {
  for (const child of children) child.kill('SIGTERM');
  for (const server of servers) server.close();
}
process.exit(status);
