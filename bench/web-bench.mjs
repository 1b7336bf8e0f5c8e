// The element in a headless Chromium against the bridge and a local network, in one run:
// - rowCount growth per second during a 200,000-row search, the page's against the native
//   panel's (velkan-search, timed from its first row to its last as it prints them);
// - the longest task on the page's main thread (from a DevTools Protocol trace) during that
//   search and while scrolling through 1,000,000 rows (goal: at most 50 ms);
// - the page's JS heap after garbage collection at 1,000,000 rows against 1,000 (goal: at most 1.2x).
// usage: node web-bench.mjs BUILD_DIR CHROMIUM
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import readline from 'node:readline';
import { fileURLToPath } from 'node:url';

const [buildDir, chromiumPath] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
const driver = path.join(here, '../tests/browser/node_modules/playwright-core/index.mjs');
if (!fs.existsSync(driver)) {
  console.log('playwright-core is not installed: run npm ci in tests/browser (./run test does); the web benchmarks are skipped');
  process.exit(0);
}
const { chromium } = await import(driver);
const tool = (name) => path.join(buildDir, 'tools', name, name);
const webhost = path.join(buildDir, 'web/velkan-webhost');
const module = path.join(buildDir, 'control/libvelkanfilesearch.so');
const WAIT_MS = 600000;
const children = [];
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velkan-web-bench-'));

function start(program, args, pattern) {
  return new Promise((resolve, reject) => {
    const child = spawn(program, args, { stdio: ['ignore', 'pipe', 'pipe'] });
    children.push(child);
    let output = '';
    const look = (chunk) => {
      output += chunk;
      const match = output.match(pattern);
      if (match) resolve(match);
    };
    child.stdout.on('data', look);
    child.stderr.on('data', look);
    child.on('exit', (code) => reject(new Error(`${program} exited with ${code}:\n${output}`)));
  });
}

// Folders of files named trackNNNNNN.mp3, each shared by as many peers as asked.
function folderOf(files) {
  const folder = path.join(work, `f${files}`);
  fs.mkdirSync(folder);
  for (let i = 0; i < files; i += 1) fs.writeFileSync(path.join(folder, `track${String(i).padStart(6, '0')}.mp3`), '');
  return folder;
}

async function network(folder, peers) {
  const shares = [];
  for (let i = 0; i < peers; i += 1) shares.push('--share', `peer${i}=${folder}`);
  const [, port] = await start(tool('velkan-localnet'), ['--port', '0', '--peers', '0', ...shares], /^appserver 127\.0\.0\.1:(\d+)$/m);
  const appServer = `127.0.0.1:${port}`;
  const [, bridgePort] = await start(webhost, ['--port', '0', '--app-server', appServer], /serving http:\/\/127\.0\.0\.1:(\d+)\//);
  return { appServer, bridge: `http://127.0.0.1:${bridgePort}` };
}

const param = execFileSync(tool('velkan-param'), ['encode', '-n', 'bench|tester|x|x|x|A|0|0'], { encoding: 'utf8' }).trim();

// The native panel's rows per second, first row to last, as velkan-search prints them.
async function nativeRate(appServer) {
  const env = { ...process.env, QT_QPA_PLATFORM: 'offscreen', VELKAN_REGISTRY: path.join(work, 'registry.reg') };
  execFileSync(tool('velkan-regsvr'), [module], { env, stdio: 'ignore' });
  const child = spawn(tool('velkan-search'), ['--param', param, '--search', 'track', '--app-server', appServer, '--json', '--timeout', '600'],
    { env, stdio: ['ignore', 'pipe', 'ignore'] });
  let rows = 0;
  let first = 0;
  let last = 0;
  for await (const line of readline.createInterface({ input: child.stdout })) {
    if (!line.startsWith('{"row"') && !line.includes('"row"')) continue;
    rows += 1;
    last = performance.now();
    if (rows === 1) first = last;
  }
  return { rows, perSecond: (rows - 1) / ((last - first) / 1000) };
}

// A page of the bridge's demo, its rowCount sampled every frame from the first row on.
async function openSearch(browser, bridge, trace) {
  const page = await browser.newPage({ viewport: { width: 1000, height: 900 } });
  await page.addInitScript(() => {
    window.growth = { first: 0, last: 0, firstRows: 0, rows: 0, idle: false };
    const sample = () => {
      const panel = document.querySelector('velkan-file-search');
      const rows = panel?.rowCount ?? 0;
      const now = performance.now();
      if (rows > 0 && window.growth.first === 0) Object.assign(window.growth, { first: now, firstRows: rows });
      if (rows !== window.growth.rows) Object.assign(window.growth, { last: now, rows });
      if (panel && !panel.dataset.benchListening) {
        panel.dataset.benchListening = '1';
        panel.addEventListener('searchidle', () => { window.growth.idle = true; });
      }
      requestAnimationFrame(sample);
    };
    requestAnimationFrame(sample);
  });
  // Loaded and activated first, so that the trace holds the search and not the page's loading.
  await page.goto(`${bridge}/?${new URLSearchParams({ param })}`);
  await page.evaluate(() => document.querySelector('velkan-file-search').activated);
  // The driver's own script for waiting is compiled in the page on first use: before the trace,
  // so that the trace holds the page's work and not the driver's.
  await page.waitForFunction(() => true);
  if (trace) await browser.startTracing(page, { categories: ['devtools.timeline', 'disabled-by-default-devtools.timeline'] });
  await page.evaluate(() => document.querySelector('velkan-file-search').VelkanSearch('track'));
  await page.waitForFunction(() => window.growth.idle, null, { timeout: WAIT_MS, polling: 200 });
  return page;
}

// The longest task on a renderer's main thread in a trace, in ms.
function longestTask(trace) {
  const events = JSON.parse(trace.toString()).traceEvents;
  const main = new Set(events.filter((e) => e.name === 'thread_name' && e.args?.name === 'CrRendererMain').map((e) => `${e.pid}:${e.tid}`));
  let longest = 0;
  for (const e of events) {
    if (e.ph === 'X' && (e.name === 'RunTask' || e.name === 'ThreadControllerImpl::RunTask') && main.has(`${e.pid}:${e.tid}`)) {
      longest = Math.max(longest, (e.dur ?? 0) / 1000);
    }
  }
  return longest;
}

async function heapAfterGc(page) {
  const session = await page.context().newCDPSession(page);
  await session.send('HeapProfiler.enable');
  for (let i = 0; i < 3; i += 1) await session.send('HeapProfiler.collectGarbage');
  const { usedSize } = await session.send('Runtime.getHeapUsage');
  return usedSize;
}

// Scrolls the list from top to bottom in steps, a frame apart.
async function scrollThrough(page, steps) {
  await page.evaluate(async (count) => {
    const root = document.querySelector('velkan-file-search').shadowRoot;
    const scroller = [...root.querySelectorAll('*')].find((e) => ['auto', 'scroll'].includes(getComputedStyle(e).overflowY) && e.scrollHeight > e.clientHeight);
    const frame = () => new Promise((resolve) => requestAnimationFrame(resolve));
    for (let i = 1; i <= count; i += 1) {
      scroller.scrollTop = ((scroller.scrollHeight - scroller.clientHeight) * i) / count;
      await frame();
      await frame();
    }
  }, steps);
}

const results = [];
const browser = await chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox', '--disable-gpu'] });
try {
  const hundredThousand = folderOf(100000);
  const thousand = folderOf(999);

  // 200,000 rows: two peers sharing 100,000 files each.
  let net = await network(hundredThousand, 2);
  const native = await nativeRate(net.appServer);
  let page = await openSearch(browser, net.bridge, true);
  const searchTask = longestTask(await browser.stopTracing());
  const growth = await page.evaluate(() => window.growth);
  const pageRate = (growth.rows - growth.firstRows) / ((growth.last - growth.first) / 1000);
  await page.close();
  results.push([`rowCount growth, ${growth.rows} rows: page / native panel`, `${(pageRate / native.perSecond).toFixed(2)}x`,
    `${pageRate.toFixed(0)} vs ${native.perSecond.toFixed(0)} rows/s (native ${native.rows} rows)`]);
  results.push(['longest main-thread task during the 200,000-row search', `${searchTask.toFixed(1)} ms`,
    searchTask <= 50 ? 'within 50 ms' : 'OVER 50 ms']);

  // 1,000 rows, then 1,000,000: ten peers sharing 100,000 files each.
  for (const child of children.splice(0)) child.kill('SIGTERM');
  net = await network(thousand, 1);
  page = await openSearch(browser, net.bridge, false);
  const smallRows = await page.evaluate(() => document.querySelector('velkan-file-search').rowCount);
  const smallHeap = await heapAfterGc(page);
  await page.close();
  for (const child of children.splice(0)) child.kill('SIGTERM');
  net = await network(hundredThousand, 10);
  page = await openSearch(browser, net.bridge, false);
  const bigRows = await page.evaluate(() => document.querySelector('velkan-file-search').rowCount);
  const bigHeap = await heapAfterGc(page);
  await browser.startTracing(page, { categories: ['devtools.timeline', 'disabled-by-default-devtools.timeline'] });
  await scrollThrough(page, 300);
  const scrollTask = longestTask(await browser.stopTracing());
  await page.close();
  results.push([`longest main-thread task scrolling through ${bigRows} rows (300 steps)`, `${scrollTask.toFixed(1)} ms`,
    scrollTask <= 50 ? 'within 50 ms' : 'OVER 50 ms']);
  const heapRatio = bigHeap / smallHeap;
  results.push([`page JS heap after GC: ${bigRows} rows / ${smallRows} rows`, `${heapRatio.toFixed(2)}x`,
    `${(bigHeap / 1048576).toFixed(2)} vs ${(smallHeap / 1048576).toFixed(2)} MiB; ${heapRatio <= 1.2 ? 'within 1.2x' : 'OVER 1.2x'}`]);
} finally {
  await browser.close();
  for (const child of children) child.kill('SIGTERM');
  fs.rmSync(work, { recursive: true, force: true });
}
const width = Math.max(...results.map((r) => r[0].length));
console.log(`${'measurement (one run, headless Chromium)'.padEnd(width)}  ${'value'.padStart(9)}  detail`);
for (const [label, value, detail] of results) console.log(`${label.padEnd(width)}  ${value.padStart(9)}  ${detail}`);
