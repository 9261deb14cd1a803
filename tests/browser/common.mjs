// What the browser test and the browser bench share: the system chromium
// launched without a profile of its own, the program started in a scratch
// folder with its browser view on a free loopback port, and waiting.
import { chromium } from 'playwright-core';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

export const CHROMIUM = process.env.COMMENTATOR_CHROMIUM || '/usr/bin/chromium';

export function scratchDir(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// A fresh profile each time; nothing talks to the network beyond loopback.
export async function launchBrowser(profileDir, viewport = { width: 1280, height: 800 }) {
  return chromium.launchPersistentContext(profileDir, {
    executablePath: CHROMIUM,
    headless: true,
    viewport,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
}

export function freePort() {
  return new Promise((resolve, reject) => {
    const srv = net.createServer();
    srv.once('error', reject);
    srv.listen(0, '127.0.0.1', () => {
      const { port } = srv.address();
      srv.close(() => resolve(port));
    });
  });
}

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Polls until check() returns a truthy value or the time is up.
export async function waitFor(what, check, ms) {
  const end = Date.now() + ms;
  let last;
  for (;;) {
    last = await check();
    if (last) return last;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}

// Starts the program offscreen in dir (its data folder), listening to
// 127.0.0.1 only, with the browser view on 127.0.0.1:port.
export function startCommentator(exe, dir, port) {
  fs.writeFileSync(path.join(dir, 'commentator.dat'), '127.0.0.1\r\n');
  const child = spawn(exe, ['--browser-view', `127.0.0.1:${port}`], {
    cwd: dir,
    env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' },
    stdio: ['ignore', 'inherit', 'inherit'],
  });
  return child;
}

export async function waitForHttp(port, ms) {
  await waitFor(`the browser view on port ${port}`, async () => {
    try {
      const r = await fetch(`http://127.0.0.1:${port}/page.css`);
      return r.ok;
    } catch {
      return false;
    }
  }, ms);
}

// Runs a program to its end; resolves with its standard output.
export function run(exe, args, ms) {
  return new Promise((resolve, reject) => {
    const child = spawn(exe, args, { stdio: ['ignore', 'pipe', 'inherit'] });
    const out = [];
    const timer = setTimeout(() => child.kill('SIGKILL'), ms);
    child.stdout.on('data', (d) => out.push(d));
    child.on('error', reject);
    child.on('close', (code, signal) => {
      clearTimeout(timer);
      if (code === 0) resolve(Buffer.concat(out).toString('utf8'));
      else reject(new Error(`${path.basename(exe)} ${args.join(' ')} ended with ${code ?? signal}`));
    });
  });
}

// Ends a program with SIGTERM (SIGKILL after 5 s); resolves with its exit
// status, or the signal's name when it did not end by itself.
export function stop(child) {
  return new Promise((resolve) => {
    if (!child) return resolve(null);
    if (child.exitCode !== null || child.signalCode !== null) return resolve(child.exitCode ?? child.signalCode);
    const timer = setTimeout(() => child.kill('SIGKILL'), 5000);
    child.once('exit', (code, signal) => {
      clearTimeout(timer);
      resolve(code ?? signal);
    });
    child.kill('SIGTERM');
  });
}
