// Browser view under load: 10 real browser pages (the system chromium) follow
// the scratch screen while datagrams arrive at 100 per second on loopback.
// Prints the datagram -> page DOM latency (send time against the time a
// MutationObserver in the page sees the new text) and the program's CPU.
//   node bench/browser.mjs [BUILD_DIR]
// Starts the real program, which takes ports 29105 and 29104.
import dgram from 'node:dgram';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import {
  freePort, launchBrowser, scratchDir, sleep, startCommentator, stop, waitFor, waitForHttp,
} from '../tests/browser/common.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const build = path.resolve(root, process.argv[2] || process.env.BUILD_DIR || 'build');
const CLIENTS = 10;
const RATE = 100;            // datagrams per second
const SECONDS = 10;
const LATENCY_TARGET_MS = 50;
const CPU_TARGET = 50;       // % of one core for the whole program

let failures = 0;
function figure(name, value, unit, target, pass) {
  const v = Number.isInteger(value) ? String(value) : value.toFixed(1);
  console.log(`${name.padEnd(36)} ${v.padStart(14)} ${unit.padEnd(12)} target ${target.padEnd(16)} ${pass ? 'PASS' : 'FAIL'}`);
  if (!pass) ++failures;
}

// Clock ticks of user + system time the process has used so far.
function cpuTicks(pid) {
  const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
  const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
  return Number(fields[11]) + Number(fields[12]); // utime, stime
}
const TICKS_PER_S = 100; // USER_HZ on Linux

function percentile(sorted, p) {
  if (!sorted.length) return NaN;
  return sorted[Math.min(sorted.length - 1, Math.ceil((p / 100) * sorted.length) - 1)];
}

// Installed in every page before it loads: the wall-clock time each
// numbered name first arrives in a WebSocket message (splits the latency
// into the way to the page and the page's own work).
function watchMessages() {
  window.__arrived = {};
  const Socket = window.WebSocket;
  window.WebSocket = function (url) {
    const ws = new Socket(url);
    ws.addEventListener('message', (e) => {
      const at = performance.timeOrigin + performance.now();
      for (const m of String(e.data).matchAll(/Q(\d+)Q/g))
        if (!(m[1] in window.__arrived)) window.__arrived[m[1]] = at;
    });
    return ws;
  };
}

// Installed in every page: the wall-clock time each numbered name first
// shows up in the DOM.
function watch() {
  window.__seen = {};
  const note = (node) => {
    const m = /Q(\d+)Q/.exec(node.textContent || '');
    if (m && !(m[1] in window.__seen)) window.__seen[m[1]] = performance.timeOrigin + performance.now();
  };
  new MutationObserver((records) => {
    for (const r of records) note(r.target);
  }).observe(document.getElementById('screen'), { childList: true, characterData: true, subtree: true });
}

const work = scratchDir('commentator-bench-');
const profile = scratchDir('commentator-bench-chromium-');
let program;
let browser;
const sock = dgram.createSocket('udp4');
const send = (text) => new Promise((resolve) => sock.send(Buffer.from(text, 'latin1'), 29105, '127.0.0.1', resolve));

try {
  const port = await freePort();
  program = startCommentator(path.join(build, 'src/app/commentator'), work, port);
  await waitForHttp(port, 15000);
  await send('{scratch}+{clr}+{title}Browser bench{eop}');
  browser = await launchBrowser(profile, { width: 800, height: 600 });
  const pages = [];
  for (let i = 0; i < CLIENTS; ++i) {
    const page = await browser.newPage();
    await page.addInitScript(watchMessages);
    await page.goto(`http://127.0.0.1:${port}/scratch`);
    await waitFor('the page to connect', () => page.locator('#offline').isHidden(), 10000);
    await page.evaluate(watch);
    pages.push(page);
  }
  await sleep(500);

  const sent = new Map();
  const total = RATE * SECONDS;
  const t0 = performance.now();
  const cpu0 = cpuTicks(program.pid);
  for (let n = 0; n < total; ++n) {
    const due = t0 + (n * 1000) / RATE;
    const wait = due - performance.now();
    if (wait > 0) await sleep(wait);
    const line = n % 20;
    sent.set(String(n), performance.timeOrigin + performance.now());
    await send(`{scratch}+{list}${line}{rank}${line + 1}{bib}${n % 97}{name}Q${n}Q{nat}GBR{status}{laps}${n % 9}{eop}`);
  }
  const elapsed = (performance.now() - t0) / 1000;
  const cpu = ((cpuTicks(program.pid) - cpu0) / TICKS_PER_S / elapsed) * 100;
  await sleep(1000);

  const latencies = [];
  const toPage = [];
  const inPage = [];
  let missing = 0;
  for (const page of pages) {
    const seen = await page.evaluate(() => window.__seen);
    const arrived = await page.evaluate(() => window.__arrived);
    for (const [n, at] of sent) {
      if (n in arrived) toPage.push(arrived[n] - at);
      if (n in arrived && n in seen) inPage.push(seen[n] - arrived[n]);
      if (n in seen) latencies.push(seen[n] - at);
      else ++missing;
    }
  }
  for (const list of [latencies, toPage, inPage]) list.sort((a, b) => a - b);
  const split = (list) => `p50 ${percentile(list, 50).toFixed(1)} ms, p99 ${percentile(list, 99).toFixed(1)} ms`;
  console.log(`# send -> WebSocket message in the page: ${split(toPage)}; message -> DOM: ${split(inPage)}`);
  console.log(`# ${total} datagrams at ${RATE}/s to ${CLIENTS} pages over ${elapsed.toFixed(1)} s; ` +
              `${latencies.length} arrivals seen, ${missing} overtaken before shown; ` +
              `load average ${fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ')} ` +
              '(the pages, the sender and the program share this machine)');
  const p50 = percentile(latencies, 50);
  const p99 = percentile(latencies, 99);
  figure('browser latency p50', p50, 'ms', `<= ${LATENCY_TARGET_MS} ms`, p50 <= LATENCY_TARGET_MS);
  figure('browser latency p99', p99, 'ms', `<= ${LATENCY_TARGET_MS} ms`, p99 <= LATENCY_TARGET_MS);
  figure('program CPU, 100/s, 10 pages', cpu, '% of a core', `<= ${CPU_TARGET} %`, cpu <= CPU_TARGET);
} catch (e) {
  console.error(e.stack || String(e));
  failures = Math.max(failures, 1);
} finally {
  sock.close();
  if (browser) await browser.close().catch(() => {});
  await stop(program);
  fs.rmSync(work, { recursive: true, force: true });
  fs.rmSync(profile, { recursive: true, force: true });
}
process.exit(failures ? 1 : 0);
